// The forwarding list's columns, rows and default marks.
#include "ui/forwarding_list.h"

namespace {

enum Column { kPortColumn, kAccountColumn, kDescriptionColumn, kDefaultColumn, kTargetColumn };

const char kDefaultMark[] = "[*]";

} // namespace

void ForwardingList::SetUp() {
    view_.AddExtendedStyle(LVS_EX_FULLROWSELECT);
    view_.InsertColumn(kPortColumn, "Port", 40);
    view_.InsertColumn(kAccountColumn, "Account server", 100);
    view_.InsertColumn(kDescriptionColumn, "Description", 65);
    view_.InsertColumn(kDefaultColumn, "D", 25);
    view_.InsertColumn(kTargetColumn, "Target server:port", 115);
    const int order[] = {kDefaultColumn, kPortColumn, kAccountColumn, kTargetColumn,
                         kDescriptionColumn};
    view_.SetColumnOrder(order, 5);
}

void ForwardingList::Fill(const std::vector<AccountForwarding>& rows) {
    // Without this the visible list repaints after every row, which makes filling thousands
    // of rows take seconds.
    ::SendMessageA(view_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(view_, LVM_DELETEALLITEMS, 0, 0);
    rows_.clear();
    rows_.reserve(rows.size());
    for (const AccountForwarding& row : rows) {
        rows_.push_back({row, false});
        AppendToView(rows_.back());
    }
    ::SendMessageA(view_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(view_, nullptr, TRUE);
}

void ForwardingList::Append(const AccountForwarding& row, bool markedDefault) {
    rows_.push_back({row, markedDefault});
    AppendToView(rows_.back());
}

void ForwardingList::MarkDefault(const std::string& account) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        bool marked = rows_[i].data.account == account;
        if (marked == rows_[i].marked)
            continue;
        rows_[i].marked = marked;
        view_.SetCell(static_cast<int>(i), kDefaultColumn, marked ? kDefaultMark : "");
    }
}

void ForwardingList::RenameAccount(const std::string& oldName, const std::string& newName) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].data.account != oldName)
            continue;
        rows_[i].data.account = newName;
        view_.SetCell(static_cast<int>(i), kAccountColumn, newName);
    }
}

void ForwardingList::RemoveAccount(const std::string& name) {
    for (int row = RowCount() - 1; row >= 0; --row) {
        if (rows_[row].data.account == name)
            Remove(row);
    }
    ::RedrawWindow(view_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void ForwardingList::Remove(int row) {
    if (row < 0 || row >= RowCount())
        return;
    rows_.erase(rows_.begin() + row);
    view_.DeleteRow(row);
}

void ForwardingList::Replace(int row, const Forwarding& forwarding) {
    if (row < 0 || row >= RowCount())
        return;
    rows_[row].data.forwarding = forwarding;
    view_.SetCell(row, kPortColumn, forwarding.localPort);
    view_.SetCell(row, kDescriptionColumn, forwarding.description);
    ShowTarget(row);
}

void ForwardingList::ChangeTargetPort(const std::string& account, const std::string& oldPort,
                                      const std::string& newPort) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        Forwarding& forwarding = rows_[i].data.forwarding;
        if (rows_[i].data.account != account || forwarding.targetPort != oldPort)
            continue;
        forwarding.targetPort = newPort;
        ShowTarget(static_cast<int>(i));
    }
}

int ForwardingList::FindForwardingRow(const std::string& localPort,
                                      const std::string& account) const {
    for (int row = 0; row < RowCount(); ++row) {
        const AccountForwarding& data = rows_[row].data;
        if (data.forwarding.localPort == localPort && data.account == account)
            return row;
    }
    return -1;
}

int ForwardingList::SelectedRow() const {
    int row = view_.SelectionMark();
    return row >= 0 && row < RowCount() ? row : -1;
}

void ForwardingList::AppendToView(const Entry& entry) const {
    int index = view_.AppendRow(entry.data.forwarding.localPort);
    view_.SetCell(index, kAccountColumn, entry.data.account);
    view_.SetCell(index, kDescriptionColumn, entry.data.forwarding.description);
    if (entry.marked)
        view_.SetCell(index, kDefaultColumn, kDefaultMark);
    ShowTarget(index);
}

void ForwardingList::ShowTarget(int row) const {
    const Forwarding& forwarding = rows_[row].data.forwarding;
    view_.SetCell(row, kTargetColumn, forwarding.targetServer + ":" + forwarding.targetPort);
}
