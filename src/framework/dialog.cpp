#include "framework/dialog.h"

#include "framework/application.h"
#include "framework/custom_control.h"
#include "framework/dialog_part.h"
#include "framework/user_seam.h"

namespace fw {

namespace {

// Posted to a modal dialog after its initialisation so that a scripted user acts from inside
// the running modal loop.
const UINT kUserActsMessage = WM_APP + 0x3F0;

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

bool IsControlColorRequest(UINT message) {
    switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
        return true;
    default:
        return false;
    }
}

} // namespace

Dialog::Dialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

void Dialog::SetHelpTopic(DWORD contextId) {
    OnMessage(WM_HELP, [this, contextId](WPARAM, LPARAM) -> LRESULT {
        ShowProgramHelp(hwnd_, contextId);
        return TRUE;
    });
}

Dialog::~Dialog() {
    if (!hwnd_)
        return;
    // The messages sent while the window is destroyed must not reach an object that is
    // already half gone: the window forgets the object first.
    ::SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    if (!modal_)
        ::DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal() {
    modal_ = true;
    result_ = -1;
    INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_),
                                       parent_, DialogProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    hwnd_ = nullptr;
    return result;
}

bool Dialog::Create() {
    modal_ = false;
    result_ = -1;
    HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_),
                                     parent_, DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd)
        return false;
    ::ShowWindow(hwnd, SW_SHOW);
    return true;
}

void Dialog::EndDialog(INT_PTR result) {
    result_ = result;
    if (modal_)
        ::EndDialog(hwnd_, result);
    else
        ::ShowWindow(hwnd_, SW_HIDE);
}

bool Dialog::OnInitDialog() {
    DoDataExchange();
    for (DialogPart* part : parts_)
        part->DoDataExchange(hwnd_);
    for (DialogPart* part : parts_)
        part->OnInitDialog();
    return true;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        return FALSE;
    }
    // Nothing thrown may cross into the system's code that called this procedure: a handler
    // that fails (out of memory, say) leaves the message unhandled instead.
    try {
        return self->Route(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR Dialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        bool setDefaultFocus = OnInitDialog();
        if (modal_ && InstalledUserSeam())
            ::PostMessageA(hwnd_, kUserActsMessage, 0, 0);
        return setDefaultFocus ? TRUE : FALSE;
    }
    case kUserActsMessage:
        if (UserSeam* user = InstalledUserSeam())
            user->ActInDialog(*this);
        return TRUE;
    case WM_COMMAND:
        return RouteCommand(wParam) ? TRUE : FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        int id = static_cast<int>(header->idFrom);
        for (const HandlerTables* tables : tables_) {
            if (auto* handler = tables->FindNotify(id, header->code)) {
                ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, (*handler)(header));
                return TRUE;
            }
        }
        return FALSE;
    }
    case WM_TIMER:
        for (const HandlerTables* tables : tables_) {
            if (auto* handler = tables->FindTimer(wParam)) {
                (*handler)();
                return TRUE;
            }
        }
        return FALSE;
    default:
        break;
    }
    const MessageHandler* handler = nullptr;
    for (const HandlerTables* tables : tables_) {
        if ((handler = tables->FindMessage(message)))
            break;
    }
    if (!handler)
        return static_cast<INT_PTR>(ReflectToControl(message, wParam, lParam));
    LRESULT result = (*handler)(wParam, lParam);
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT Dialog::ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam) const {
    HWND control = nullptr;
    if (IsControlColorRequest(message)) {
        control = reinterpret_cast<HWND>(lParam);
    } else if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU)
            control = item->hwndItem;
    }
    // The dialog's own colour request names the dialog: there is no control to ask.
    if (!control || !::IsChild(hwnd_, control))
        return 0;
    return ::SendMessageA(control, kReflectedMessage + message, wParam, lParam);
}

bool Dialog::RouteCommand(WPARAM wParam) {
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    for (const HandlerTables* tables : tables_) {
        if (auto* handler = tables->FindCommand(id, code)) {
            (*handler)();
            return true;
        }
    }
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return true;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

} // namespace fw
