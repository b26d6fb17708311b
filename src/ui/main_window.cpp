// The main window's start-up, its settings panel, Help, About, the web pages, the version
// check, hiding instead of closing, Quit and the tray icon. Privacy on and off is its part
// PrivacyView.
#include "ui/main_window.h"

#include "controls/look.h"
#include "framework/application.h"
#include "framework/startup_trace.h"
#include "framework/user_seam.h"
#include "help_ids.h"
#include "logic/screen_fit.h"
#include "resource.h"
#include "system/browser_settings.h"
#include "ui/about_box.h"
#include "ui/dialogs/version_answer_box.h"
#include "ui/panel_controls.h"
#include "ui/tray_icon.h"

#include <shellapi.h>

namespace {

const UINT_PTR kHideTimer = 500;
const UINT_PTR kTrayRefreshTimer = 501;
const int kTrayRefreshTicks = 10;

// The window's rectangle as its placement records it.
RECT PlacementRect(HWND window) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(window, &placement);
    return placement.rcNormalPosition;
}

const char kConnectionTestPage[] = "http://www.marrowin.example/test.html";
const char kPurchasePage[] = "http://www.marrowin.example/purchase.html";

} // namespace

CDravenlokDlg::CDravenlokDlg()
    : fw::Dialog(IDD_MARROWIN_DIALOG), look_(*this),
      accountsEditor_(*this, accounts_,
                      {[this](bool set) { look_.ShowProxySettingsSet(set); },
                       [this](bool editing) { look_.ShowEditSaveTip(editing); }}),
      options_(*this, accounts_, session_,
               [this](const ProxyForwardingChange& change) {
                   accountsEditor_.ShowProxyForwarding(change);
               }),
      privacy_(*this, session_, look_, accountsEditor_, options_) {
    OnCommand(IDC_SETTINGS, [this] { ToggleSettingsPanel(); });
    OnCommand(IDC_TEST_SETTINGS, [this] { OpenWebPage(kConnectionTestPage); });
    OnCommand(IDC_PURCHASE, [this] { OpenWebPage(kPurchasePage); });
    OnCommand(IDC_HELP_BUTTON, [this] { ShowHelp(); });
    OnCommand(IDC_VERSION_CHECK, [this] { CheckForNewVersion(); });
    OnCommand(ID_TRAY_RESTORE, [this] { RestoreFromTray(); });
    OnCommand(ID_TRAY_QUIT, [this] { Quit(); });
    OnTimer(kHideTimer, [this] { OnHideTimer(); });
    OnTimer(kTrayRefreshTimer, [this] { OnTrayRefreshTimer(); });
    OnMessage(VersionCheck::kAnswerMessage, [this](WPARAM, LPARAM) { return OnVersionAnswer(); });
    if (UINT quitMessage = ::RegisterWindowMessageA(kQuitMessageName))
        OnMessage(quitMessage, [this](WPARAM, LPARAM) { return OnQuitMessage(); });
    OnMessage(WM_QUERYENDSESSION, [](WPARAM, LPARAM) -> LRESULT { return TRUE; });
    OnMessage(WM_ENDSESSION, [this](WPARAM ending, LPARAM) { return OnEndSession(ending); });
    OnMessage(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l) { return OnSysCommand(w, l); });
    OnMessage(WM_HELP, [this](WPARAM, LPARAM) { return OnHelpKey(); });
    OnMessage(WM_DPICHANGED, [this](WPARAM, LPARAM rect) { return OnDpiChanged(rect); });
}

// A client still held is let go, not stopped: the window of a test, say, goes before the
// process ends.
CDravenlokDlg::~CDravenlokDlg() = default;

void CDravenlokDlg::DoDataExchange() {
    HWND dialog = Handle();
    settingsButton_.Bind(dialog, IDC_SETTINGS);
    versionCheckButton_.Bind(dialog, IDC_VERSION_CHECK);
    leftFrame_.Bind(dialog, IDC_LEFT_FRAME);
    settingsFrame_.Bind(dialog, IDC_SETTINGS_FRAME);
}

// The parts bind their controls and set themselves up first.
bool CDravenlokDlg::OnInitDialog() {
    fw::StampStartupStep("dialog and its controls created");
    fw::Dialog::OnInitDialog();
    fw::StampStartupStep("controls bound, parts set up");

    AddAboutItemToSystemMenu();

    std::string folder = fw::ExecutableFolder();
    session_.SetFolder(folder);
    options_.SetFolder(folder);
    ::SetCurrentDirectoryA(folder.c_str());

    MeasureWindowSizes();
    // Shown only once its contents are in place, so that filling them paints nothing.
    ::SetWindowPos(Handle(), HWND_TOP, 100, 100, collapsedWidth_, collapsedHeight_, SWP_NOACTIVATE);
    ShowSettingsPanelControls(Handle(), leftFrame_, false);
    settingsPanelOpen_ = false;
    fw::StampStartupStep("system menu, folder, sizes");

    accounts_.Open(folder + "\\Marrowin.ini");
    accounts_.Settings().HoldSnapshot();
    accounts_.LoadNames();
    fw::StampStartupStep("settings file read, names loaded");
    accountsEditor_.ShowAccounts();
    fw::StampStartupStep("accounts shown");
    options_.ShowStoredOptions();
    options_.ShowStartupType();
    look_.ShowProxySettingsSet(!accounts_.Settings().ReadString(setting::kProxyAccount).empty());
    bool minimize = options_.ShowMinimizeOption();
    fw::StampStartupStep("options shown and applied");

    // Before the autostart, which may ask the user over the window. The message loop paints
    // it: once the start-up is over, or under an autostart's box.
    ::ShowWindow(Handle(), SW_SHOW);
    if (options_.AutostartChosen())
        privacy_.AutostartDefaultTunnel(accounts_.DefaultName());
    else
        privacy_.SetTrayPrivacyState(false);
    fw::StampStartupStep("window shown");

    // After the autostart, whose box would otherwise see the window hide under it.
    if (minimize)
        ::SetTimer(Handle(), kHideTimer, 50, nullptr);

    accounts_.Settings().DropSnapshot();
    helpContextId_ = IDH_MAIN_WINDOW;
    trayRefreshTicks_ = 0;
    ::SetTimer(Handle(), kTrayRefreshTimer, 1000, nullptr);
    fw::StampStartupStep("end of OnInitDialog");
    return true;
}

void CDravenlokDlg::AddAboutItemToSystemMenu() {
    char text[256] = {};
    ::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, text, sizeof(text));
    HMENU systemMenu = ::GetSystemMenu(Handle(), FALSE);
    if (text[0] == '\0' || !systemMenu)
        return;
    ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

// Measured once, while the window still stands at its template position: the left strip's
// frame gives the collapsed size, the settings panel's frame the expanded width.
void CDravenlokDlg::MeasureWindowSizes() {
    RECT window, leftFrame, panelFrame;
    ::GetWindowRect(Handle(), &window);
    ::GetWindowRect(leftFrame_, &leftFrame);
    ::GetWindowRect(settingsFrame_, &panelFrame);

    collapsedWidth_ = (leftFrame.right - leftFrame.left) + 5;
    collapsedHeight_ = (leftFrame.bottom - window.top) - ::GetSystemMetrics(SM_CYFRAME) +
                       ::GetSystemMetrics(SM_CYSIZE);
    POINT panelRight = {panelFrame.right, panelFrame.bottom};
    ::ScreenToClient(Handle(), &panelRight);
    expandedWidth_ = panelRight.x - PlacementRect(Handle()).left + 5;
}

void CDravenlokDlg::ToggleSettingsPanel() {
    if (settingsPanelOpen_) {
        CloseSettingsPanel();
        helpContextId_ = IDH_MAIN_WINDOW;
    } else {
        OpenSettingsPanel();
        helpContextId_ = IDH_SETTINGS_PANEL;
    }
}

void CDravenlokDlg::OpenSettingsPanel() {
    RECT current = PlacementRect(Handle());
    ScreenBox window{current.left, current.top,
                     (current.right - current.left) + (expandedWidth_ - collapsedWidth_) + 10,
                     current.bottom - current.top};
    // On the work area of the window's monitor; a window larger than that keeps its title bar
    // on it.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoA(::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        window = FitOnWorkArea(
            window, {work.left, work.top, work.right - work.left, work.bottom - work.top});
    }
    ShowSettingsPanelControls(Handle(), leftFrame_, true);
    ::SetWindowPos(Handle(), HWND_TOP, window.left, window.top, window.width, window.height,
                   SWP_SHOWWINDOW);
    settingsButton_.SetText("Close settings");
    settingsPanelOpen_ = true;
    accountsEditor_.ClearForwardingFields();
}

void CDravenlokDlg::CloseSettingsPanel() {
    RECT current = PlacementRect(Handle());
    ShowSettingsPanelControls(Handle(), leftFrame_, false);
    ::SetWindowPos(Handle(), HWND_TOP, current.left, current.top, collapsedWidth_, collapsedHeight_,
                   SWP_SHOWWINDOW);
    settingsButton_.SetText("Open settings");
    settingsPanelOpen_ = false;
    accountsEditor_.ClearForwardingFields();
}

void CDravenlokDlg::OpenWebPage(const char* address) {
    ::ShellExecuteA(Handle(), "open", "iexplore.exe", address, nullptr, SW_SHOWNORMAL);
}

void CDravenlokDlg::ShowHelp() {
    fw::ShowProgramHelp(Handle(), static_cast<DWORD>(helpContextId_));
}

void CDravenlokDlg::Quit() {
    int answer = fw::ShowMessageBox(Handle(), "Are you sure you want to quit Marrowin ?",
                                    kProgramName, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDYES)
        QuitWithoutAsking();
}

void CDravenlokDlg::QuitWithoutAsking() {
    // A version check still waiting for the server is dropped, not waited for.
    versionCheck_.Abandon();
    // The whole Stop, so that the browser's connection is set back to direct too.
    if (session_.IsRunning())
        privacy_.StopTunnel();
    // With privacy off the use-browser-proxy option may still point a connection at the tunnel.
    session_.SetBrowserAllBack();
    // Whatever the option boxes say, the browser is left as it was before Marrowin.
    BrowserRegistry registry;
    registry.ResetRegistryProxy();
    registry.SetJavaDisabled(0);
    registry.RestoreActiveX();
    EndDialog(IDCANCEL);
}

// The server is asked in the background: the window stays usable, and the button stays
// disabled until the answer is in.
void CDravenlokDlg::CheckForNewVersion() {
    if (versionCheck_.Start(Handle(), VersionRequestPath(kVersion, kProductId, kBuildDate)))
        versionCheckButton_.Enable(false);
}

LRESULT CDravenlokDlg::OnVersionAnswer() {
    std::optional<VersionAnswer> answer = versionCheck_.TakeAnswer();
    if (!answer)
        return 0; // from a check that was dropped
    versionCheckButton_.Enable(true);
    ShowVersionAnswer(Handle(), *answer);
    return 0;
}

void CDravenlokDlg::RestoreFromTray() {
    ::ShowWindow(Handle(), SW_RESTORE);
}

// The window never closes or minimises itself: it hides in the tray instead.
LRESULT CDravenlokDlg::OnSysCommand(WPARAM command, LPARAM position) {
    UINT id = static_cast<UINT>(command & 0xFFF0);
    if (id == IDM_ABOUTBOX) {
        CAboutDlg about(Handle());
        about.DoModal();
        return 0;
    }
    if (id == SC_MINIMIZE || id == SC_CLOSE) {
        // Chosen through a keyboard mnemonic the position is 0: only come to the front.
        if (position != 0)
            ::ShowWindow(Handle(), SW_HIDE);
        else
            ::SetForegroundWindow(Handle());
        return 0;
    }
    return ::DefWindowProcA(Handle(), WM_SYSCOMMAND, command, position);
}

// Escape shows the window and does nothing else; Enter does nothing.
void CDravenlokDlg::OnCancel() {
    ::ShowWindow(Handle(), SW_SHOW);
}

void CDravenlokDlg::OnOK() {}

void CDravenlokDlg::OnHideTimer() {
    ::ShowWindow(Handle(), SW_HIDE);
    ::KillTimer(Handle(), kHideTimer);
}

// The shell may not be ready when the program starts with Windows: the icon is set again
// every second for the first ten seconds.
void CDravenlokDlg::OnTrayRefreshTimer() {
    privacy_.ShowTrayPicture(session_.IsRunning());
    if (++trayRefreshTicks_ >= kTrayRefreshTicks)
        ::KillTimer(Handle(), kTrayRefreshTimer);
}

// Windows ending the session is never held up, and never shown a box.
LRESULT CDravenlokDlg::OnEndSession(WPARAM ending) {
    if (ending) {
        session_.EndAtOnce();
        QuitWithoutAsking();
    }
    return 0;
}

LRESULT CDravenlokDlg::OnQuitMessage() {
    QuitWithoutAsking();
    return 0;
}

// F1 opens the page Help opens.
LRESULT CDravenlokDlg::OnHelpKey() {
    ShowHelp();
    return TRUE;
}

// Moved to a monitor of another scale: Windows has scaled the controls and their font; the
// window takes the rectangle it suggests, its panel sizes grow or shrink alike, and the look
// redraws its own pieces to match.
LRESULT CDravenlokDlg::OnDpiChanged(LPARAM suggested) {
    const RECT& rect = *reinterpret_cast<const RECT*>(suggested);
    RECT current;
    if (::GetWindowRect(Handle(), &current) && current.right > current.left) {
        for (int* size : {&collapsedWidth_, &collapsedHeight_, &expandedWidth_})
            *size = ::MulDiv(*size, rect.right - rect.left, current.right - current.left);
    }
    ::SetWindowPos(Handle(), nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    look_.FollowDpi();
    return 0;
}
