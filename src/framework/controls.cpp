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
    LRESULT length = Send(CB_GETLBTEXTLEN, index);
    if (length == CB_ERR)
        return std::string();
    std::vector<char> buffer(length + 1);
    LRESULT copied = Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    return copied == CB_ERR ? std::string() : std::string(buffer.data(), copied);
}

} // namespace fw
