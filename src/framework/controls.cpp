// The control wrappers' methods that are more than one message.
#include "framework/controls.h"

#include "framework/wide_text.h"

#include <algorithm>
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
    return Narrow(text.data(), static_cast<size_t>(copied));
}

namespace {

// The bytes whose order is the order of the text for CompareString with these settings.
std::string SortKey(LCID locale, const std::string& text) {
    std::wstring wide = Widen(text);
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    int size = ::LCMapStringW(locale, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0);
    std::string key(size, '\0');
    if (size > 0)
        ::LCMapStringW(locale, flags, wide.data(), static_cast<int>(wide.size()),
                       reinterpret_cast<LPWSTR>(&key[0]), size);
    return key;
}

} // namespace

void ComboBox::AddStrings(const std::vector<std::string>& texts) const {
    size_t bytes = 0;
    for (const std::string& text : texts)
        bytes += text.size() + 1;
    // Room for all of them, so that the list does not grow again and again.
    Send(CB_INITSTORAGE, texts.size(), bytes);
    // Without redrawing meanwhile: the list would otherwise update its scroll bar each time.
    Send(WM_SETREDRAW, FALSE);
    bool sorted = (::GetWindowLongA(hwnd_, GWL_STYLE) & CBS_SORT) != 0;
    if (sorted && GetCount() == 0) {
        AppendInOrder(texts);
    } else {
        for (const std::string& text : texts)
            AddString(text);
    }
    Send(WM_SETREDRAW, TRUE);
}

void ComboBox::AppendInOrder(const std::vector<std::string>& texts) const {
    LCID locale = static_cast<LCID>(Send(CB_GETLOCALE));
    std::vector<std::pair<std::string, size_t>> keyed;
    keyed.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        keyed.emplace_back(SortKey(locale, texts[i]), i);
    // The control puts an item before those equal to it that it already holds: of equal
    // items, the last added comes first.
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second > b.second;
    });
    // Inserting does not sort: each goes to the end.
    for (const auto& entry : keyed)
        Send(CB_INSERTSTRING, static_cast<WPARAM>(-1),
             reinterpret_cast<LPARAM>(texts[entry.second].c_str()));
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
