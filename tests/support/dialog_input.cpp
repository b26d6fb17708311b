#include "support/dialog_input.h"

void ClickItem(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void ChooseRadio(HWND dialog, int first, int last, int id) {
    ::CheckRadioButton(dialog, first, last, id);
    ClickItem(dialog, id);
}

void ChooseItem(HWND dialog, int id, int index) {
    HWND combo = ::GetDlgItem(dialog, id);
    ::SendMessageA(combo, CB_SETCURSEL, index, 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

void TypeInto(HWND dialog, int id, const std::string& text) {
    ::SetDlgItemTextA(dialog, id, text.c_str());
}

std::string ItemText(HWND dialog, int id) {
    char text[1024] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

bool ItemChecked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool ItemEnabled(HWND dialog, int id) {
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

int ComboSelection(HWND dialog, int id) {
    return static_cast<int>(::SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}
