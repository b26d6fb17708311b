// The main window's tooltips: the tooltip control, the tips of the buttons and options, and the
// width that lets long tips wrap.
#include "ui/tooltips.h"

#include "framework/dpi.h"
#include "owners/owners.h"
#include "resource.h"

#include <commctrl.h>

namespace {

const struct {
    int control;
    const char* text;
} kTooltips[] = {
    {IDC_NEW_ACCOUNT, "Add a new account"},
    {IDC_DELETE_ACCOUNT, "Delete current account"},
    {IDC_SET_DEFAULT, "Set current account as the default account"},
    {IDC_ACCOUNT_OPTIONS, "How the current account signs in and carries the browser's traffic"},
    {IDC_EDIT_SAVE, "Edit the current account"},
    {IDC_ADD_FORWARDING, "Add the port forwarding to the list"},
    {IDC_DELETE_FORWARDING, "Delete the selected forwarding"},
    {IDC_USE_IE_PROXY, "Set the Internet Explorer to use the configured proxy [recommanded]"},
    {IDC_CONFIGURE_PROXY, "Configure the proxy that can be set for Internet Explorer"},
    {IDC_NO_JAVA, "Prevents Java/Javascript to run in Internet Explorer [recommanded]"},
    {IDC_NO_ACTIVEX, "Prevents ActiveX content to run in Internet Explorer"},
    {IDC_START_WITH_WINDOWS, "Select Marrowin's autorun mode"},
    {IDC_AUTOSTART, "Start the default account upon Marrowin start"},
    {IDC_MINIMIZE, "When the proram starts the program window is minimized to icon tray"},
    {IDC_CANCEL_EDIT, "Cancels the current action"},
};

} // namespace

void Tooltips::Create(HWND window) {
    window_ = window;
    tooltip_ = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    if (!tooltip_)
        return;
    ::SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
    MeasureCharWidth();
    for (const auto& tip : kTooltips)
        Set(tip.control, tip.text);
}

// Adds the control's tip, or changes its text; then, as after every tip, the tip width becomes
// that of this text in average characters, so long tips wrap.
void Tooltips::Set(int controlId, const std::string& text) {
    if (!tooltip_)
        return;
    TOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    // The tooltip subclasses the control, so it sees the mouse messages without the
    // program relaying them.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(::GetDlgItem(window_, controlId));
    tool.lpszText = const_cast<char*>(text.c_str());
    TOOLINFOA existing = tool;
    existing.lpszText = nullptr;
    bool known = ::SendMessageA(tooltip_, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&existing));
    ::SendMessageA(tooltip_, known ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0,
                   reinterpret_cast<LPARAM>(&tool));

    tipLength_ = static_cast<int>(text.size());
    SetMaxTipWidth();
}

void Tooltips::FollowDpi() {
    if (!tooltip_)
        return;
    MeasureCharWidth();
    SetMaxTipWidth();
}

// Measured once per scale: the context's font never changes, and asking costs a device
// context. The context's font is made for the system's scale, the window may be on a monitor
// of another.
void Tooltips::MeasureCharWidth() {
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(fw::WindowDc(window_), &metrics);
    charWidth_ = ::MulDiv(metrics.tmAveCharWidth, static_cast<int>(fw::WindowDpi(window_)),
                          static_cast<int>(fw::SystemDpi()));
}

void Tooltips::SetMaxTipWidth() const {
    ::SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, static_cast<LPARAM>(tipLength_) * charWidth_);
}
