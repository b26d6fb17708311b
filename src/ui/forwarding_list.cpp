// The forwarding list's columns, rows and default marks, and the cells the view asks for.
#include "ui/forwarding_list.h"

#include <commctrl.h>

#include <utility>

namespace {

enum Column { kPortColumn, kAccountColumn, kDescriptionColumn, kDefaultColumn, kTargetColumn };

const char kDefaultMark[] = "[*]";

// A list with rows shows the focus on its focused row; an empty one shows nothing of it, so
// it draws a focus rectangle inside its border, below the column headers.
LRESULT CALLBACK FocusWhenEmptyProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR) {
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS)
        ::InvalidateRect(list, nullptr, TRUE);
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(list, FocusWhenEmptyProc, 0);
    LRESULT result = ::DefSubclassProc(list, message, wParam, lParam);
    if (message == WM_PAINT && ::GetFocus() == list &&
        ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 0) {
        RECT rect, header = {};
        ::GetClientRect(list, &rect);
        ::GetWindowRect(reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0)),
                        &header);
        rect.top += header.bottom - header.top;
        ::InflateRect(&rect, -1, -1);
        if (HDC dc = ::GetDC(list)) {
            ::DrawFocusRect(dc, &rect);
            ::ReleaseDC(list, dc);
        }
    }
    return result;
}

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
    ::SetWindowSubclass(view_, FocusWhenEmptyProc, 0, 0);
}

// The rows are moved in, not copied: thousands of them are held once.
void ForwardingList::Fill(std::vector<AccountForwarding> rows) {
    // Costly even on an empty list under Wine; at start-up the list is empty.
    if (view_.RowCount() > 0)
        view_.DeleteAllRows();
    rows_.clear();
    rows_.shrink_to_fit();
    rows_.reserve(rows.size());
    for (AccountForwarding& row : rows)
        rows_.push_back({std::move(row), false});
    view_.SetRowCount(RowCount());
    view_.Refresh();
}

void ForwardingList::Append(const AccountForwarding& row, bool markedDefault) {
    rows_.push_back({row, markedDefault});
    view_.SetRowCount(RowCount());
}

void ForwardingList::MarkDefault(const std::string& account) {
    for (Entry& entry : rows_)
        entry.marked = entry.data.account == account;
    view_.Refresh();
}

void ForwardingList::RenameAccount(const std::string& oldName, const std::string& newName) {
    for (Entry& entry : rows_) {
        if (entry.data.account == oldName)
            entry.data.account = newName;
    }
    view_.Refresh();
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
    view_.Refresh();
}

void ForwardingList::ChangeTargetPort(const std::string& account, const std::string& oldPort,
                                      const std::string& newPort) {
    for (Entry& entry : rows_) {
        Forwarding& forwarding = entry.data.forwarding;
        if (entry.data.account == account && forwarding.targetPort == oldPort)
            forwarding.targetPort = newPort;
    }
    view_.Refresh();
}

void ForwardingList::AnswerCellRequest(NMLVDISPINFOA& request) const {
    LVITEMA& item = request.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    if (item.iItem < 0 || item.iItem >= RowCount()) {
        item.pszText[0] = '\0';
        return;
    }
    // Copied into the view's buffer, cut to its size as the view cuts a cell it holds.
    std::string text = CellText(rows_[item.iItem], item.iSubItem);
    ::lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
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

std::string ForwardingList::CellText(const Entry& entry, int column) const {
    const Forwarding& forwarding = entry.data.forwarding;
    switch (column) {
    case kPortColumn:
        return forwarding.localPort;
    case kAccountColumn:
        return entry.data.account;
    case kDescriptionColumn:
        return forwarding.description;
    case kDefaultColumn:
        return entry.marked ? kDefaultMark : "";
    case kTargetColumn:
        return forwarding.targetServer + ":" + forwarding.targetPort;
    default:
        return std::string();
    }
}
