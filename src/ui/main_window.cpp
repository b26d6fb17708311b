// The main window's start-up, its settings panel, the options that only write the settings
// file, Help, About, the web pages, the version check, hiding instead of closing, Quit and the
// tray icon.
#include "ui/main_window.h"

#include "controls/look.h"
#include "framework/application.h"
#include "framework/user_seam.h"
#include "resource.h"
#include "settings/registry_reader.h"
#include "tunnel/client_messages.h"
#include "ui/about_box.h"
#include "ui/tray_icon.h"

#include <shellapi.h>

#include <cstdlib>

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
    : fw::Dialog(IDD_MARROWIN_DIALOG),
      appIcon_(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {
    OnCommand(IDC_SETTINGS, [this] { ToggleSettingsPanel(); });
    OnCommand(IDC_SERVER_NAME, CBN_SELCHANGE, [this] { ShowAccount(); });
    OnCommand(IDC_NEW_ACCOUNT, [this] { BeginNewAccount(); });
    OnCommand(IDC_EDIT_SAVE, [this] { EditOrSave(); });
    OnCommand(IDC_CANCEL_EDIT, [this] { CancelEdit(); });
    OnCommand(IDC_DELETE_ACCOUNT, [this] { DeleteAccount(); });
    OnCommand(IDC_SET_DEFAULT, [this] { SetDefaultAccount(); });
    OnCommand(IDC_ADD_FORWARDING, [this] { AddForwarding(); });
    OnCommand(IDC_DELETE_FORWARDING, [this] { DeleteForwarding(); });
    OnNotify(IDC_FORWARDING_LIST, NM_CLICK, [this](NMHDR*) { return SelectForwarding(); });
    OnNotify(IDC_FORWARDING_LIST, LVN_GETDISPINFOA, [this](NMHDR* header) -> LRESULT {
        forwardingList_.AnswerCellRequest(*reinterpret_cast<NMLVDISPINFOA*>(header));
        return 0;
    });
    OnCommand(IDC_TEST_SETTINGS, [this] { OpenWebPage(kConnectionTestPage); });
    OnCommand(IDC_PURCHASE, [this] { OpenWebPage(kPurchasePage); });
    OnCommand(IDC_HELP_BUTTON, [this] { ShowHelp(); });
    OnCommand(IDC_VERSION_CHECK, [this] { CheckForNewVersion(); });
    OnMessage(VersionCheck::kAnswerMessage, [this](WPARAM, LPARAM) -> LRESULT {
        OnVersionAnswer();
        return 0;
    });
    OnCommand(ID_TRAY_RESTORE, [this] { RestoreFromTray(); });
    OnCommand(ID_TRAY_QUIT, [this] { Quit(); });
    if (UINT quitMessage = ::RegisterWindowMessageA(kQuitMessageName)) {
        OnMessage(quitMessage, [this](WPARAM, LPARAM) -> LRESULT {
            QuitWithoutAsking();
            return 0;
        });
    }
    // Windows ending the session is never held up, and never shown a box.
    OnMessage(WM_QUERYENDSESSION, [](WPARAM, LPARAM) -> LRESULT { return TRUE; });
    OnMessage(WM_ENDSESSION, [this](WPARAM ending, LPARAM) -> LRESULT {
        if (ending) {
            session_.EndAtOnce();
            QuitWithoutAsking();
        }
        return 0;
    });
    OnCommand(IDC_START, [this] { StartStopTunnel(); });
    OnCommand(ID_TRAY_START, [this] { StartStopTunnel(); });
    OnCommand(ID_TRAY_STOP, [this] { StartStopTunnel(); });
    OnTimer(kReconnectTimer, [this] { OnReconnectTimer(); });
    OnTimer(kClientWatchTimer, [this] { OnClientWatchTimer(); });

    OnTimer(kHideTimer, [this] { OnHideTimer(); });
    OnTimer(kTrayRefreshTimer, [this] { OnTrayRefreshTimer(); });

    OnMessage(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l) { return OnSysCommand(w, l); });
    OnMessage(WM_HELP, [](WPARAM, LPARAM) -> LRESULT { return TRUE; });
    AddLookHandlers();
    OnMessage(WM_QV_CON_START, [](WPARAM, LPARAM) -> LRESULT { return 0; });
    OnMessage(WM_QV_CON_ESTH, [this](WPARAM, LPARAM) -> LRESULT {
        OnConnectionEstablished();
        return 0;
    });
    OnMessage(WM_QV_STOP, [this](WPARAM, LPARAM) -> LRESULT {
        OnConnectionLost();
        return 0;
    });
    OnMessage(WM_COPYDATA, [this](WPARAM, LPARAM l) {
        return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(l));
    });
}

// A client still held is let go, not stopped: the window of a test, say, goes before the
// process ends.
CDravenlokDlg::~CDravenlokDlg() = default;

void CDravenlokDlg::DoDataExchange() {
    HWND dialog = Handle();
    startButton_.Bind(dialog, IDC_START);
    settingsButton_.Bind(dialog, IDC_SETTINGS);
    versionCheckButton_.Bind(dialog, IDC_VERSION_CHECK);
    statusLabel_.Bind(dialog, IDC_STATUS_LABEL);
    proxySettingsLabel_.Bind(dialog, IDC_PROXY_SETTINGS_LABEL);
    forwardingsHeading_.Bind(dialog, IDC_FORWARDINGS_HEADING);
    serverSettingsHeading_.Bind(dialog, IDC_SERVER_SETTINGS_HEADING);
    versionLabel_.Bind(dialog, IDC_VERSION_LABEL);
    mainMenuHeader_.Bind(dialog, IDC_MAIN_MENU_HEADER);
    tunnelSettingsHeader_.Bind(dialog, IDC_TUNNEL_SETTINGS_HEADER);
    leftFrame_.Bind(dialog, IDC_LEFT_FRAME);
    settingsFrame_.Bind(dialog, IDC_SETTINGS_FRAME);
    accountsCombo_.Bind(dialog, IDC_SERVER_NAME);
    userNameEdit_.Bind(dialog, IDC_USER_NAME);
    passwordEdit_.Bind(dialog, IDC_PASSWORD);
    serverPortEdit_.Bind(dialog, IDC_SERVER_PORT);
    newAccountButton_.Bind(dialog, IDC_NEW_ACCOUNT);
    deleteAccountButton_.Bind(dialog, IDC_DELETE_ACCOUNT);
    setDefaultButton_.Bind(dialog, IDC_SET_DEFAULT);
    editSaveButton_.Bind(dialog, IDC_EDIT_SAVE);
    cancelEditButton_.Bind(dialog, IDC_CANCEL_EDIT);
    addForwardingButton_.Bind(dialog, IDC_ADD_FORWARDING);
    deleteForwardingButton_.Bind(dialog, IDC_DELETE_FORWARDING);
    forwardingList_.Bind(dialog, IDC_FORWARDING_LIST);
    localPortEdit_.Bind(dialog, IDC_LOCAL_PORT);
    targetServerEdit_.Bind(dialog, IDC_TARGET_SERVER);
    targetPortEdit_.Bind(dialog, IDC_TARGET_PORT);
    portDescriptionEdit_.Bind(dialog, IDC_PORT_DESCRIPTION);
}

bool CDravenlokDlg::OnInitDialog() {
    fw::Dialog::OnInitDialog();

    CreateTooltipControl();
    AddAboutItemToSystemMenu();
    ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));

    std::string folder = fw::ExecutableFolder();
    session_.SetFolder(folder);
    options_.SetFolder(folder);
    ::SetCurrentDirectoryA(folder.c_str());

    MeasureWindowSizes();
    // Shown only once its contents are in place, so that filling them paints nothing.
    ::SetWindowPos(Handle(), HWND_TOP, 100, 100, collapsedWidth_, collapsedHeight_, SWP_NOACTIVATE);
    settingsPanelOpen_ = false;

    StyleLabelsAndHeaders();
    CreateBrushes();
    SetUpForwardingList();

    accounts_.Open(folder + "\\Marrowin.ini");
    accounts_.Settings().HoldSnapshot();
    accounts_.LoadNames();
    defaultAccountName_ = accounts_.DefaultName();
    FillAccountsCombo();
    FillForwardingList();
    defaultAccountName_ = accounts_.DefaultName();
    SelectStartAccount();

    options_.ShowStoredOptions();

    // Before the autostart, which may ask the user over the window.
    ::ShowWindow(Handle(), SW_SHOW);
    if (options_.AutostartChosen())
        AutostartDefaultTunnel();
    else
        SetTrayPrivacyState(false);

    options_.ShowStartupType();
    ShowProxySettingsSet(!accounts_.Settings().ReadString("IE", "proxyServer").empty());
    RegisterTooltips();
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

    if (options_.ShowMinimizeOption())
        ::SetTimer(Handle(), kHideTimer, 50, nullptr);

    accounts_.Settings().DropSnapshot();
    helpContextId_ = 1;
    trayRefreshTicks_ = 0;
    ::SetTimer(Handle(), kTrayRefreshTimer, 1000, nullptr);
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

void CDravenlokDlg::FillAccountsCombo() {
    accountsCombo_.AddStrings(accounts_.Names());
}

void CDravenlokDlg::SelectStartAccount() {
    if (!defaultAccountName_.empty()) {
        accountsCombo_.SetCurSel(accountsCombo_.FindStringExact(-1, defaultAccountName_));
        ShowAccount();
        MarkDefaultForwardings(defaultAccountName_);
    } else if (accountsCombo_.GetCount() > 0) {
        accountsCombo_.SetCurSel(0);
        ShowAccount();
    }
}

// "Proxy settings: set" in black when a browser proxy account is set, else "not set" in red.
void CDravenlokDlg::ShowProxySettingsSet(bool set) {
    proxySettingsLabel_.SetText(set ? "Proxy settings: set" : "Proxy settings: not set");
    proxySettingsLabel_.SetTextColor(set ? kTextBlack : kAlertRed);
}

void CDravenlokDlg::ToggleSettingsPanel() {
    if (settingsPanelOpen_) {
        CloseSettingsPanel();
        helpContextId_ = 1;
    } else {
        OpenSettingsPanel();
        helpContextId_ = 2;
    }
}

void CDravenlokDlg::OpenSettingsPanel() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    ::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    RECT current = PlacementRect(Handle());

    int width = (current.right - current.left) + (expandedWidth_ - collapsedWidth_) + 10;
    int height = current.bottom - current.top;
    int left = current.left;
    int top = current.top;
    // Compared unsigned, so a window beyond the left or top edge is moved too.
    if (static_cast<unsigned>(left + width) > mode.dmPelsWidth)
        left = static_cast<int>(mode.dmPelsWidth) - width;
    if (static_cast<unsigned>(top + height) > mode.dmPelsHeight)
        top = static_cast<int>(mode.dmPelsHeight) - height;

    ::SetWindowPos(Handle(), HWND_TOP, left, top, width, height, SWP_SHOWWINDOW);
    settingsButton_.SetText("Close settings");
    settingsPanelOpen_ = true;
    ClearForwardingFields();
}

void CDravenlokDlg::CloseSettingsPanel() {
    RECT current = PlacementRect(Handle());
    ::SetWindowPos(Handle(), HWND_TOP, current.left, current.top, collapsedWidth_, collapsedHeight_,
                   SWP_SHOWWINDOW);
    settingsButton_.SetText("Open settings");
    settingsPanelOpen_ = false;
    ClearForwardingFields();
}

void CDravenlokDlg::ClearForwardingFields() {
    for (fw::Edit* field :
         {&localPortEdit_, &portDescriptionEdit_, &targetServerEdit_, &targetPortEdit_})
        field->SetText("");
}

void CDravenlokDlg::OpenWebPage(const char* address) {
    ::ShellExecuteA(Handle(), "open", "iexplore.exe", address, nullptr, SW_SHOWNORMAL);
}

void CDravenlokDlg::ShowHelp() {
    fw::Application* app = fw::Application::Current();
    fw::ShowHelpTopic(Handle(), app ? app->HelpFile() : "Marrowin.chm",
                      static_cast<DWORD>(helpContextId_));
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
        StopTunnel();
    // With privacy off the use-browser-proxy option may still point a connection at the tunnel.
    session_.SetBrowserAllBack();
    // Whatever the option boxes say, the browser is left as it was before Marrowin.
    RegistryReader registry;
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

void CDravenlokDlg::OnVersionAnswer() {
    std::optional<VersionAnswer> answer = versionCheck_.TakeAnswer();
    if (!answer)
        return; // from a check that was dropped
    versionCheckButton_.Enable(true);
    ShowVersionAnswer(Handle(), *answer);
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
    ShowTrayPicture(session_.IsRunning());
    if (++trayRefreshTicks_ >= kTrayRefreshTicks)
        ::KillTimer(Handle(), kTrayRefreshTimer);
}

// The tray icon belongs to the application; a window given none has none to change.
void CDravenlokDlg::ShowTrayPicture(bool privacyOn) {
    if (!trayIcon_)
        return;
    int picture = privacyOn ? IDI_PRIVACY_ON : IDI_PRIVACY_OFF;
    trayIcon_->SetIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(picture)));
}

void CDravenlokDlg::SetTrayPrivacyState(bool privacyOn) {
    if (trayIcon_)
        trayIcon_->SetPrivacyState(privacyOn);
}
