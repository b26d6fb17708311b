// ForwardingList: the main window's list of every account's port forwardings. It holds the
// rows it shows, default marks included, and the list view is virtual: it asks for each cell
// as it paints it, so thousands of rows cost nothing at start-up. The window asks this list
// rather than reading cells back.
#pragma once

#include "framework/controls.h"
#include "settings/account_store.h"

#include <string>
#include <vector>

class ForwardingList {
public:
    void Bind(HWND dialog, int id) { view_.Bind(dialog, id); }
    HWND Handle() const { return view_; }

    // The columns: port, account, description, the default mark "D" and the target; shown with
    // the mark first.
    void SetUp();
    // Replaces the rows; none is marked.
    void Fill(std::vector<AccountForwarding> rows);
    void Append(const AccountForwarding& row, bool markedDefault);
    // Marks the rows of this account as the default's and clears the mark of every other row.
    void MarkDefault(const std::string& account);
    void RenameAccount(const std::string& oldName, const std::string& newName);
    void RemoveAccount(const std::string& name);
    void Remove(int row);
    // Gives the row the forwarding's values; its account and default mark stay.
    void Replace(int row, const Forwarding& forwarding);
    // Every forwarding of the account whose target port is `oldPort` gets `newPort`.
    void ChangeTargetPort(const std::string& account, const std::string& oldPort,
                          const std::string& newPort);

    // Answers the view's request for a cell's text (LVN_GETDISPINFO).
    void AnswerCellRequest(NMLVDISPINFOA& request) const;

    int RowCount() const { return static_cast<int>(rows_.size()); }
    const AccountForwarding& Row(int row) const { return rows_[row].data; }
    // The first row of the account with this local port, both compared exactly, or -1.
    int FindForwardingRow(const std::string& localPort, const std::string& account) const;
    // The row most recently selected, or -1 when there is none.
    int SelectedRow() const;

private:
    struct Entry {
        AccountForwarding data;
        bool marked = false;
    };

    std::string CellText(const Entry& entry, int column) const;

    fw::ListView view_;
    std::vector<Entry> rows_;
};
