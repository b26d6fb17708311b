// The main window's look: its labels and header bars styled at start-up and again when the
// contrast changes, the grey of the window with white fields or the system's colours, the
// application icon while minimised and as the drag icon.
#include "ui/window_look.h"

#include "controls/accessible_name.h"
#include "controls/bitmap_scaling.h"
#include "framework/dpi.h"
#include "resource.h"
#include "ui/control_names.h"

namespace {

// The fields the user types into or chooses from, which stand on white.
const int kWhiteFields[] = {IDC_LOCAL_PORT,  IDC_USER_NAME,     IDC_PASSWORD,
                            IDC_SERVER_NAME, IDC_STARTUP_TYPE,  IDC_PORT_DESCRIPTION,
                            IDC_SERVER_PORT, IDC_TARGET_SERVER, IDC_TARGET_PORT};

} // namespace

WindowLook::WindowLook(fw::Dialog& dialog)
    : fw::DialogPart(dialog),
      appIcon_(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {
    for (UINT message : {WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT, WM_CTLCOLORBTN,
                         WM_CTLCOLORLISTBOX, WM_CTLCOLORSCROLLBAR}) {
        OnMessage(message,
                  [this, message](WPARAM w, LPARAM l) { return OnCtlColor(message, w, l); });
    }
    OnMessage(WM_PAINT, [this](WPARAM, LPARAM) { return OnPaint(); });
    // A theme of high contrast is switched on or off, or its colours change.
    OnMessage(WM_SYSCOLORCHANGE, [this](WPARAM, LPARAM) {
        FollowContrast();
        return 0;
    });
    OnMessage(WM_SETTINGCHANGE, [this](WPARAM setting, LPARAM) {
        if (setting == SPI_SETHIGHCONTRAST)
            FollowContrast();
        return 0;
    });
    OnMessage(WM_QUERYDRAGICON,
              [this](WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(appIcon_); });
}

void WindowLook::DoDataExchange(HWND dialog) {
    statusLabel_.Bind(dialog, IDC_STATUS_LABEL);
    proxySettingsLabel_.Bind(dialog, IDC_PROXY_SETTINGS_LABEL);
    forwardingsHeading_.Bind(dialog, IDC_FORWARDINGS_HEADING);
    serverSettingsHeading_.Bind(dialog, IDC_SERVER_SETTINGS_HEADING);
    versionLabel_.Bind(dialog, IDC_VERSION_LABEL);
    mainMenuHeader_.Bind(dialog, IDC_MAIN_MENU_HEADER);
    tunnelSettingsHeader_.Bind(dialog, IDC_TUNNEL_SETTINGS_HEADER);
}

void WindowLook::OnInitDialog() {
    tooltips_.Create(DialogHandle());
    SetWindowIcon();
    highContrast_ = HighContrastOn();
    StyleLabelsAndHeaders();
    FollowDpi();
    NameMainWindowControls(DialogHandle());
}

// The dialog scales its controls and their font itself; the labels' fonts, the headers' skin,
// the logo and the minimised icon are the look's to scale.
void WindowLook::FollowDpi() {
    UINT dpi = DialogUnitsDpi();
    for (CLabel* label : {&statusLabel_, &proxySettingsLabel_, &forwardingsHeading_,
                          &serverSettingsHeading_, &versionLabel_})
        label->SetDpi(dpi);
    for (CxSkinButton* header : {&mainMenuHeader_, &tunnelSettingsHeader_})
        header->SetDpi(dpi);
    SkinHeaders();
    ShowLogo(dpi);
    minimizedIconSize_ = fw::SystemMetricForDpi(SM_CXICON, dpi);
    minimizedIcon_.Reset(static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                     minimizedIconSize_, minimizedIconSize_, LR_DEFAULTCOLOR)));
    tooltips_.FollowDpi();
}

// The scale the dialog's units have, as dots per inch: its font, MS Sans Serif 8, is 13 pixels
// high at 100 %. A bitmap font grows in steps, so the controls may grow less than the monitor's
// dots per inch; the look's own pieces grow with the controls they stand in.
UINT WindowLook::DialogUnitsDpi() const {
    RECT eightUnits = {0, 0, 0, 8};
    if (!::MapDialogRect(DialogHandle(), &eightUnits) || eightUnits.bottom <= 0)
        return fw::WindowDpi(DialogHandle());
    return static_cast<UINT>(::MulDiv(fw::kDefaultDpi, eightUnits.bottom, 13));
}

// At 100 % the dialog shows the logo as it loaded it; at other scales it shows the logo drawn
// at 200 %, made smaller to the scale.
void WindowLook::ShowLogo(UINT dpi) {
    if (dpi == fw::kDefaultDpi && !logo_)
        return;
    fw::Bitmap large(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                       MAKEINTRESOURCEA(IDB_LOGO_200), IMAGE_BITMAP,
                                                       0, 0, LR_CREATEDIBSECTION)));
    BITMAP size = {};
    if (!large || !::GetObjectA(large, sizeof(size), &size))
        return;
    fw::Bitmap scaled = ScaledBitmap(large, ::MulDiv(size.bmWidth, static_cast<int>(dpi), 192),
                                     ::MulDiv(size.bmHeight, static_cast<int>(dpi), 192));
    if (!scaled)
        return;
    ::SendMessageA(Item(IDC_LOGO), STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(scaled.Get()));
    logo_ = std::move(scaled);
}

void WindowLook::SetWindowIcon() const {
    ::SendMessageA(DialogHandle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    ::SendMessageA(DialogHandle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
}

void WindowLook::FollowContrast() {
    highContrast_ = HighContrastOn();
    StyleLabelsAndHeaders();
    // The common controls keep a copy of the system's colours of their own until told.
    for (HWND child = ::GetWindow(DialogHandle(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    ::RedrawWindow(DialogHandle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void WindowLook::StyleLabelsAndHeaders() {
    COLORREF window = ColorOf(Part::kWindow, highContrast_);
    statusLabel_.SetFontBold(true)
        .SetTextColor(ColorOf(statusColor_, highContrast_))
        .SetFontSize(18)
        .SetBkColor(window);
    for (CLabel* heading : {&forwardingsHeading_, &serverSettingsHeading_, &versionLabel_})
        heading->SetFontBold(true)
            .SetTextColor(ColorOf(Part::kText, highContrast_))
            .SetBkColor(window);
    SkinHeaders();
    for (CxSkinButton* header : {&mainMenuHeader_, &tunnelSettingsHeader_}) {
        header->SetTextOffset(-3);
        header->SetTextColor(ColorOf(Part::kHeaderText, highContrast_));
        header->SetShadow(!highContrast_);
        header->SetInert();
    }
    proxySettingsLabel_.SetFontBold(true)
        .SetTextColor(ColorOf(proxySettingsSet_ ? Part::kText : Part::kAlert, highContrast_))
        .SetFontSize(10)
        .SetBkColor(window);
}

// The headers are the same bar whether pressed or not: they have no command, and take no focus.
// Their picture keeps its own colours whatever the theme: under high contrast they are plain
// raised bars in the system's colours instead.
void WindowLook::SkinHeaders() {
    for (CxSkinButton* header : {&mainMenuHeader_, &tunnelSettingsHeader_}) {
        if (highContrast_)
            header->SetSkin(0, 0, 0, 0, 0, 0, CxSkinButton::kStretch, 1, 0);
        else
            header->SetSkin(IDB_HEADER_SKIN, IDB_HEADER_SKIN, 0, 0, 0, 0, CxSkinButton::kStretch, 0,
                            0);
    }
}

void WindowLook::ShowPrivacyState(bool on, Part color) {
    const char* state = on ? "Privacy ON" : "Privacy OFF";
    bool changed = statusLabel_.GetText() != state;
    statusColor_ = color;
    statusLabel_.SetText(state);
    statusLabel_.SetFontBold(true).SetTextColor(ColorOf(color, highContrast_)).SetFontSize(18);
    if (changed)
        AnnounceNameChange(statusLabel_);
}

void WindowLook::ShowProxySettingsSet(bool set) {
    proxySettingsSet_ = set;
    proxySettingsLabel_.SetText(set ? "Proxy settings: set" : "Proxy settings: not set");
    proxySettingsLabel_.SetTextColor(ColorOf(set ? Part::kText : Part::kAlert, highContrast_));
}

void WindowLook::ShowEditSaveTip(bool editing) {
    tooltips_.Set(IDC_EDIT_SAVE, editing ? "Save the modifications" : "Edit the current account");
}

// Everything stands on the window's colour, except the fields the user types into or chooses
// from. A label keeps the text colour it chose when its request was passed back to it.
LRESULT WindowLook::OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam) const {
    ReflectToControl(message, wParam, lParam);
    auto dc = reinterpret_cast<HDC>(wParam);
    auto control = reinterpret_cast<HWND>(lParam);
    ::SetBkMode(dc, TRANSPARENT);
    int id = FieldId(control);
    for (int field : kWhiteFields) {
        if (id == field) {
            ::SetTextColor(dc, ColorOf(Part::kFieldText, highContrast_));
            ::SetBkColor(dc, ColorOf(Part::kField, highContrast_));
            return reinterpret_cast<LRESULT>(BrushOf(Part::kField, highContrast_));
        }
    }
    if (!IsLabel(control))
        ::SetTextColor(dc, ColorOf(Part::kText, highContrast_));
    ::SetBkColor(dc, ColorOf(Part::kWindow, highContrast_));
    return reinterpret_cast<LRESULT>(BrushOf(Part::kWindow, highContrast_));
}

// The edit and the drop-down list of a combo box ask for their colours as the combo box.
int WindowLook::FieldId(HWND control) const {
    if (control == DialogHandle())
        return 0;
    for (int comboId : {IDC_SERVER_NAME, IDC_STARTUP_TYPE}) {
        COMBOBOXINFO parts = {};
        parts.cbSize = sizeof(parts);
        if (::GetComboBoxInfo(Item(comboId), &parts) &&
            (control == parts.hwndItem || control == parts.hwndList))
            return comboId;
    }
    return ::GetDlgCtrlID(control);
}

bool WindowLook::IsLabel(HWND control) const {
    for (const CLabel* label : {&statusLabel_, &proxySettingsLabel_, &forwardingsHeading_,
                                &serverSettingsHeading_, &versionLabel_}) {
        if (label->Handle() == control)
            return true;
    }
    return false;
}

// Minimised, the window shows the application icon in the middle of its client area.
LRESULT WindowLook::OnPaint() const {
    HWND window = DialogHandle();
    if (!::IsIconic(window))
        return ::DefWindowProcA(window, WM_PAINT, 0, 0);
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    ::SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(window, &client);
    int x = (client.right - client.left - minimizedIconSize_ + 1) / 2;
    int y = (client.bottom - client.top - minimizedIconSize_ + 1) / 2;
    ::DrawIconEx(dc, x, y, minimizedIcon_ ? minimizedIcon_.Get() : appIcon_, minimizedIconSize_,
                 minimizedIconSize_, 0, nullptr, DI_NORMAL);
    ::EndPaint(window, &paint);
    return 0;
}
