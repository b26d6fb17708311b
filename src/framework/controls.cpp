// The control wrappers' methods that are more than one message.
#include "framework/controls.h"

#include <vector>

namespace fw {

std::string Control::GetText() const {
    int length = ::GetWindowTextLengthA(hwnd_);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(length + 1);
    int copied = ::GetWindowTextA(hwnd_, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? copied : 0);
}

std::string ComboBox::GetItemText(int index) const {
    // Read wide and converted here: the system's own conversion of the ANSI message goes
    // through a buffer of fixed size under Wine, which a long item overruns.
    LRESULT length = ::SendMessageW(hwnd_, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return std::string();
    std::wstring text(length + 1, L'\0');
    LRESULT copied = ::SendMessageW(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    if (copied == CB_ERR || copied <= 0)
        return std::string();
    int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(copied), nullptr, 0,
                                     nullptr, nullptr);
    std::string narrow(size, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(copied), &narrow[0], size,
                          nullptr, nullptr);
    return narrow;
}

void ListView::AddExtendedStyle(DWORD style) const {
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, style, style);
}

void ListView::InsertColumn(int index, const std::string& heading, int width) const {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(heading.c_str());
    column.iSubItem = index;
    Send(LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void ListView::SetColumnOrder(const int* order, int count) const {
    Send(LVM_SETCOLUMNORDERARRAY, count, reinterpret_cast<LPARAM>(order));
}

} // namespace fw
