// The main window's start-up, its settings panel, Help, About, the web pages, the version
// check, hiding instead of closing, Quit and the tray icon; and privacy on and off: the
// handlers ask the privacy session and show its answer, together on the Start button, the
// status label and the tray icon, in the status window and in boxes, with the client's reason
// for a failed run in a balloon of the tray icon and the reconnect sequence's timer.
#include "ui/main_window.h"

#include "controls/look.h"
#include "framework/application.h"
#include "framework/startup_trace.h"
#include "framework/user_seam.h"
#include "help_ids.h"
#include "logic/screen_fit.h"
#include "resource.h"
#include "settings/registry_reader.h"
#include "tunnel/client_messages.h"
#include "ui/about_box.h"
#include "ui/dialogs/connection_broken_dialog.h"
#include "ui/dialogs/status_window.h"
#include "ui/dialogs/version_answer_box.h"
#include "ui/tray_icon.h"

#include <shellapi.h>

namespace {

const UINT_PTR kHideTimer = 500;
const UINT_PTR kTrayRefreshTimer = 501;
const int kTrayRefreshTicks = 10;
const UINT kReconnectPeriodMs = 10000;
const UINT kClientWatchPeriodMs = 1000;
const UINT kSettlePeriodMs = 2000;

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
               }) {
    OnCommand(IDC_SETTINGS, [this] { ToggleSettingsPanel(); });
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
    OnTimer(kSettleTimer, [this] { OnSettleTimer(); });
    OnMessage(WM_POWERBROADCAST, [this](WPARAM event, LPARAM) -> LRESULT {
        if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND)
            OnNetworkEvent(NetworkEvent::Resumed);
        return TRUE;
    });
    OnMessage(kNetworkChangeMessage, [this](WPARAM event, LPARAM) -> LRESULT {
        if (event <= static_cast<WPARAM>(NetworkEvent::AddressLost))
            OnNetworkEvent(static_cast<NetworkEvent>(event));
        return 0;
    });

    OnTimer(kHideTimer, [this] { OnHideTimer(); });
    OnTimer(kTrayRefreshTimer, [this] { OnTrayRefreshTimer(); });

    OnMessage(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l) { return OnSysCommand(w, l); });
    // F1 opens the page Help opens.
    OnMessage(WM_HELP, [this](WPARAM, LPARAM) -> LRESULT {
        ShowHelp();
        return TRUE;
    });
    // Moved to a monitor of another scale: Windows has scaled the controls and their font; the
    // window takes the rectangle it suggests, its panel sizes grow or shrink alike, and the
    // look redraws its own pieces to match.
    OnMessage(WM_DPICHANGED, [this](WPARAM, LPARAM suggested) -> LRESULT {
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
    });
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
        AutostartDefaultTunnel();
    else
        SetTrayPrivacyState(false);
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
    ::SetWindowPos(Handle(), HWND_TOP, window.left, window.top, window.width, window.height,
                   SWP_SHOWWINDOW);
    settingsButton_.SetText("Close settings");
    settingsPanelOpen_ = true;
    accountsEditor_.ClearForwardingFields();
}

void CDravenlokDlg::CloseSettingsPanel() {
    RECT current = PlacementRect(Handle());
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

void CDravenlokDlg::StartStopTunnel() {
    if (session_.IsRunning())
        StopTunnel();
    else
        StartTunnel();
}

void CDravenlokDlg::StartTunnel() {
    std::string account = accountsEditor_.SelectedAccount();
    if (!account.empty()) {
        // The client finds the window under this title until it reports back.
        ::SetWindowTextA(Handle(), "Dravenlok");
        ::ShowWindow(Handle(), SW_HIDE);
        StartOutcome started = session_.Start(account, StartKind::Manual);
        if (!started.running) {
            ShowWindowAsMarrowin();
            fw::ShowMessageBox(Handle(),
                               started.notStored ? "Please save the account before starting it!"
                                                 : started.failure,
                               kProgramName, MB_OK | MB_ICONSTOP);
            return;
        }
        ShowStarted(started, kPrivacyOnGreen);
    }

    RunStatusWindow(account);
}

// A Start from inside an open status window's modal run does not open a second one.
void CDravenlokDlg::RunStatusWindow(const std::string& account, const DropOutcome* drop) {
    if (statusWindow_) {
        if (drop)
            ShowDropInStatus(*drop);
        return;
    }
    CConnDlg status(Handle());
    status.SetAccountName(account);
    status.SetReconnect(session_.ReconnectOption());
    status.SetProxy(session_.UsesBrowserProxy());
    status.SetTor(options_.TorEnabled());
    statusWindow_ = &status;
    if (drop)
        ShowDropInStatus(*drop);
    status.DoModal();
    statusWindow_ = nullptr;
}

void CDravenlokDlg::ShowDropInStatus(const DropOutcome& drop) {
    using Action = ReconnectSequence::DropAction;
    statusWindow_->SetDropped();
    if (drop.action == Action::AskUser)
        return;
    statusWindow_->SetReconnect(true);
    if (drop.action == Action::GiveUp)
        statusWindow_->SetHopelessReason(drop.reason);
    else
        statusWindow_->SetRetryNumber(session_.Reconnect().Attempt());
}

void CDravenlokDlg::StopTunnel() {
    session_.Stop();
    ShowPrivacyState(false, kAlertRed);
}

// Starts the default account's tunnel at program start. Unlike Start, it writes no log, keeps
// the window and opens no status window; a default account that is not stored starts nothing
// and shows no box.
void CDravenlokDlg::AutostartDefaultTunnel() {
    StartOutcome started = session_.Start(accounts_.DefaultName(), StartKind::Autostart);
    if (started.running) {
        ShowStarted(started, kAutostartGreen);
        return;
    }
    SetTrayPrivacyState(false);
    if (!started.failure.empty())
        fw::ShowMessageBox(Handle(), started.failure, kProgramName, MB_OK | MB_ICONSTOP);
}

// A client that has just been started is watched, so that one that ends without reporting is
// noticed.
void CDravenlokDlg::ShowStarted(const StartOutcome& started, COLORREF color) {
    if (started.launched)
        ::SetTimer(Handle(), kClientWatchTimer, kClientWatchPeriodMs, nullptr);
    if (!started.running)
        return;
    ShowPrivacyState(true, color);
    // From the first start on: the IP Helper is not loaded before privacy is used.
    networkWatch_.Start(Handle(), kNetworkChangeMessage);
}

void CDravenlokDlg::ShowPrivacyState(bool on, COLORREF color) {
    startButton_.SetText(on ? "Stop" : "Start");
    look_.ShowPrivacyState(on, color);
    ShowTrayPicture(on);
    SetTrayPrivacyState(on);
}

void CDravenlokDlg::ShowWindowAsMarrowin() {
    ::SetWindowTextA(Handle(), kProgramName);
    ::ShowWindow(Handle(), SW_SHOW);
}

void CDravenlokDlg::OnConnectionEstablished() {
    if (statusWindow_)
        statusWindow_->SetEstablished();
    // The tunnel is back: a question about the drop is answered.
    if (brokenDialog_)
        brokenDialog_->EndDialog(CErrorDlg::kReconnect);
    ShowWindowAsMarrowin();
    // The tunnel is up again: a running reconnect sequence has done its job.
    ::KillTimer(Handle(), kReconnectTimer);
    session_.OnEstablished();
}

// The tunnel has dropped: it is stopped, and the reconnect sequence starts, goes on or ends, or
// the user is asked what to do. A failed attempt of a running sequence opens no window; the
// sequence shows in one status window.
void CDravenlokDlg::OnConnectionLost() {
    ShowWindowAsMarrowin();
    DropOutcome drop = session_.OnClientEnded();
    if (drop.stoppedClient)
        ShowPrivacyState(false, kAlertRed);
    // Before anything that waits for the user: the balloon comes with the news of the drop.
    if (!drop.reason.empty() && trayIcon_)
        trayIcon_->ShowBalloon(kProgramName, drop.reason, NIIF_ERROR);

    // The server's key has changed: the user decides about it in a box of its own.
    if (drop.changedKey) {
        ::KillTimer(Handle(), kReconnectTimer);
        if (statusWindow_)
            ShowDropInStatus(drop);
        AskToTrustChangedKey(*drop.changedKey);
        return;
    }
    using Action = ReconnectSequence::DropAction;
    switch (drop.action) {
    case Action::StartSequence:
        ::SetTimer(Handle(), kReconnectTimer, kReconnectPeriodMs, nullptr);
        RunStatusWindow(accountsEditor_.SelectedAccount(), &drop);
        return;
    case Action::GiveUp:
        ::KillTimer(Handle(), kReconnectTimer);
        RunStatusWindow(accountsEditor_.SelectedAccount(), &drop);
        return;
    case Action::ContinueSequence:
        if (statusWindow_)
            ShowDropInStatus(drop);
        return;
    case Action::AskUser:
        if (statusWindow_)
            ShowDropInStatus(drop);
        // After the user refused the server's key there is nothing to ask.
        if (!drop.keyRefused)
            AskAfterDrop();
        return;
    }
}

// The connection-broken dialog. The tunnel may come back while it is open; it then closes.
void CDravenlokDlg::AskAfterDrop() {
    CErrorDlg question(Handle());
    CErrorDlg* outer = brokenDialog_;
    brokenDialog_ = &question;
    INT_PTR answer = question.DoModal();
    brokenDialog_ = outer;
    if (answer == CErrorDlg::kReconnect) {
        // The reconnect sequence may have started the client again while the question was
        // open; the toggle would then stop it.
        if (!session_.IsRunning())
            StartStopTunnel();
    } else {
        options_.GiveUpBrowserProxy();
    }
}

// The server's key has changed: only the user's Yes replaces the remembered key, and the tunnel
// starts again with the new one.
void CDravenlokDlg::AskToTrustChangedKey(const ServerKey& key) {
    std::string account = accountsEditor_.SelectedAccount();
    if (account.empty() ||
        fw::ShowMessageBox(Handle(), TrustChangedKeyText(account, key), kProgramName,
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    if (!session_.TrustChangedKey(account, key)) {
        fw::ShowMessageBox(Handle(),
                           "The server's old key could not be removed from the file '" +
                               session_.Folder() + "\\known_hosts'.",
                           kProgramName, MB_OK | MB_ICONSTOP);
        return;
    }
    if (!session_.IsRunning())
        StartTunnel();
}

// Our plink.exe says why its run failed, just before it reports the end.
LRESULT CDravenlokDlg::OnCopyData(const COPYDATASTRUCT* data) {
    return data && session_.OnClientReason(data->dwData, data->lpData, data->cbData) ? TRUE : FALSE;
}

void CDravenlokDlg::OnReconnectTimer() {
    ShowReconnectTick(session_.OnReconnectTick(accountsEditor_.SelectedAccount()));
}

void CDravenlokDlg::ShowReconnectTick(const ReconnectTick& tick) {
    if (!tick.gaveUp) {
        if (statusWindow_)
            statusWindow_->SetRetryNumber(session_.Reconnect().Attempt());
        ShowStarted(tick.relaunch, kPrivacyOnGreen);
        return;
    }
    ::KillTimer(Handle(), kReconnectTimer);
    if (tick.stoppedClient)
        ShowPrivacyState(false, kAlertRed);
    if (statusWindow_)
        statusWindow_->SetMaximumReached();
}

// A client that ends without reporting is taken as a dropped connection, so that "Privacy ON"
// never shows over a dead tunnel. One whose report is still on its way is left to the report.
void CDravenlokDlg::OnClientWatchTimer() {
    ClientWatch watch = session_.WatchClient();
    if (watch == ClientWatch::Running)
        return;
    ::KillTimer(Handle(), kClientWatchTimer);
    MSG pending;
    if (watch == ClientWatch::NoClient ||
        ::PeekMessageA(&pending, Handle(), WM_QV_STOP, WM_QV_STOP, PM_NOREMOVE))
        return;
    OnConnectionLost();
}

void CDravenlokDlg::OnNetworkEvent(NetworkEvent event) {
    if (session_.OnNetworkEvent(event))
        ::SetTimer(Handle(), kSettleTimer, kSettlePeriodMs, nullptr);
}

// A restart keeps the browser on the tunnel; one that fails is a drop. An attempt of the
// sequence made now puts the next one ten seconds later.
void CDravenlokDlg::OnSettleTimer() {
    ::KillTimer(Handle(), kSettleTimer);
    SettleOutcome settled = session_.OnSettled(accountsEditor_.SelectedAccount());
    switch (settled.done) {
    case SettleOutcome::Done::Nothing:
        return;
    case SettleOutcome::Done::Restarted:
        if (settled.restart.running) {
            ShowStarted(settled.restart, kPrivacyOnGreen);
            return;
        }
        ShowPrivacyState(false, kAlertRed);
        OnConnectionLost();
        return;
    case SettleOutcome::Done::Attempted:
        if (!settled.attempt.gaveUp)
            ::SetTimer(Handle(), kReconnectTimer, kReconnectPeriodMs, nullptr);
        ShowReconnectTick(settled.attempt);
        return;
    }
}

// The tray icon belongs to the application; a window given none has none to change.
void CDravenlokDlg::ShowTrayPicture(bool privacyOn) {
    if (!trayIcon_)
        return;
    int picture = privacyOn ? IDI_PRIVACY_ON : IDI_PRIVACY_OFF;
    trayIcon_->SetIcon(LoadTrayPicture(picture));
}

void CDravenlokDlg::SetTrayPrivacyState(bool privacyOn) {
    if (trayIcon_)
        trayIcon_->SetPrivacyState(privacyOn);
}
