// Thin, non-owning views of dialog controls, bound once by id when the dialog binds its
// controls. One small method per window message the program uses.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace fw {

class Control {
public:
    Control() = default;
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The program's own controls also subclass the dialog item here.
    virtual void Bind(HWND dialog, int id) { hwnd_ = ::GetDlgItem(dialog, id); }
    HWND Handle() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    int Id() const { return ::GetDlgCtrlID(hwnd_); }

    std::string GetText() const;
    void SetText(const std::string& text) const { ::SetWindowTextA(hwnd_, text.c_str()); }
    void Enable(bool enable) const { ::EnableWindow(hwnd_, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }

protected:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(hwnd_, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

class Static : public Control {};
class Button : public Control {};
class Edit : public Control {};

class CheckBox : public Control {
public:
    bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void SetCheck(bool checked) const { Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
};

class ComboBox : public Control {
public:
    int AddString(const std::string& text) const {
        return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    // Exact match that ignores letter case, searching after item `start` (-1: from the top).
    int FindStringExact(int start, const std::string& text) const {
        return static_cast<int>(
            Send(CB_FINDSTRINGEXACT, start, reinterpret_cast<LPARAM>(text.c_str())));
    }
    // Adds many items at once. Into an empty sorted combo box they go in the order the control
    // itself keeps (its locale, letter case ignored), found here from sort keys and appended,
    // rather than each searched for its place with one comparison call after another.
    void AddStrings(const std::vector<std::string>& texts) const;
    int GetCount() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void SetCurSel(int index) const { Send(CB_SETCURSEL, index); }
    std::string GetItemText(int index) const;

private:
    // Appends the texts in the order of the control's sorting.
    void AppendInOrder(const std::vector<std::string>& texts) const;
};

// A report-view list control whose rows its owner holds (a virtual list): the control keeps
// only the row count, selection and focus, and asks its parent for every cell it shows.
class ListView : public Control {
public:
    void AddExtendedStyle(DWORD style) const;
    void InsertColumn(int index, const std::string& heading, int width) const;
    void SetColumnOrder(const int* order, int count) const;
    // The owner now holds `count` rows; the view keeps its scroll position.
    void SetRowCount(int count) const { Send(LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL); }
    int RowCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    void DeleteAllRows() const { Send(LVM_DELETEALLITEMS); }
    // The rows after it move up, with their selection.
    void DeleteRow(int row) const { Send(LVM_DELETEITEM, row); }
    // The owner changed cells: they are asked for again at the next paint.
    void Refresh() const { ::InvalidateRect(hwnd_, nullptr, FALSE); }
    // The row most recently selected, or -1.
    int SelectionMark() const { return static_cast<int>(Send(LVM_GETSELECTIONMARK)); }
};

} // namespace fw
