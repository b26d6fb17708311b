// Privacy on and off in the real main window with the stand-in SSH client as a real process:
// what the client receives, the log, the four signs of the state, the browser proxy, the
// client's reports and its reason for a failed run, the reconnect sequence, the
// connection-broken dialog and the TOR relay.
#include "app/dravenlok_app.h"
#include "logic/end_reason.h"
#include "logic/password_scrambling.h"
#include "resource.h"
#include "support/browser_proxy.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "support/tray_menu.h"
#include "system/browser_settings.h"
#include "tunnel/client_messages.h"
#include "tunnel/failure_notice.h"
#include "ui/dialogs/status_window.h"
#include "ui/main_window.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TunnelTest : public MainWindowFixture {
protected:
    void SetUp() override {
        session.SetString("HostName", "alpha");
        session.SetDword("PortNumber", 22);
        session.SetString("UserName", "joe");
        session.SetString("PortForwardings", "L25=localhost:25,L50000=localhost:3128,");
        SetConnectionProxy("", "", false);
    }
    void TearDown() override {
        // A client left running would keep plink.exe locked for the next test.
        if (window && window->Session().IsRunning())
            Click(IDC_START);
        app.SetMainWindow(nullptr);
        window.reset();
        SetConnectionProxy("", "", false);
    }

    // Settings with the account of the session, its proxy forwarding for the browser, and
    // the given extra lines; the window shows its state in the program's tray icon.
    void Start(const std::string& extra = "", bool withClient = true) {
        if (withClient) {
            EXPECT_TRUE(CopyStandInTo(files.Folder()));
        }
        files.WriteSettings(
            "[tunnel]\r\nservers=" + account + ",\r\ndefault=" + account + "\r\n[" + account +
            "]\r\nusername=joe\r\npassword=" + ScramblePassword("se-cret!") +
            "\r\nport=3128\r\nforwardings=25:localhost:25:SMTP,50000:localhost:3128:IE Proxy,\r\n"
            "[IE]\r\nproxyServer=" +
            account + "\r\nproxyPort=50000\r\n" + extra);
        app.CreateTrayIcon();
        ASSERT_NE(app.TrayIcon(), nullptr);
        StartWindow(std::string(), app.TrayIcon());
        app.SetMainWindow(window.get());
    }
    // Start, with the status window closed by the scripted user once `inside` has run.
    void StartPrivacy(const std::function<void()>& inside = [] {}) {
        user.InDialog(IDD_CONNECTION_STATUS, [inside](fw::Dialog& status) {
            inside();
            status.EndDialog(IDOK);
        });
        Click(IDC_START);
    }
    bool ClientRecorded(const std::string& line) const {
        return WaitForRecordLine(files.Folder(), line);
    }
    // The client's report that the tunnel dropped, and a tick of the reconnect timer.
    void Drop() const { ::SendMessageA(*window, WM_QV_STOP, 0, 0); }
    void Tick() const { ::SendMessageA(*window, WM_TIMER, kReconnectTimer, 0); }
    LRESULT TellReason(ULONG_PTR tag, const std::string& reason) const {
        COPYDATASTRUCT data = {tag, static_cast<DWORD>(reason.size() + 1),
                               const_cast<char*>(reason.c_str())};
        return ::SendMessageA(*window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    static std::string RefreshedStatus(HWND status) {
        ::SendMessageA(status, WM_TIMER, CConnDlg::kRefreshTimer, 0);
        return ItemText(status, IDC_STATUS_TEXT);
    }
    // Stops the reconnect timer; whether it was running.
    bool StopReconnectTimer() const { return ::KillTimer(*window, kReconnectTimer) != FALSE; }
    // The next connection-broken question is answered with the button; brokenAsked counts
    // the questions.
    void AnswerBroken(int button = IDCANCEL) {
        user.InDialog(IDD_CONNECTION_BROKEN, [this, button](fw::Dialog& broken) {
            ++brokenAsked;
            ::SendMessageA(broken, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        });
    }
    // Checks the TOR box as the user does; the text of the warning it shows ("" when checked
    // off).
    std::string SetTor(bool on) {
        std::string text;
        if (on) {
            user.InDialog(IDD_TOR_WARNING, [&](fw::Dialog& warning) {
                text = ItemText(warning, IDC_WARNING_TEXT);
                warning.EndDialog(IDOK);
            });
        }
        ::CheckDlgButton(*window, IDC_TOR, on ? BST_CHECKED : BST_UNCHECKED);
        Click(IDC_TOR);
        return text;
    }
    std::string Forwardings() const { return SessionValue(account, "PortForwardings"); }
    // The state as the button, the label and the tray's picture show it.
    void ExpectState(bool on) const {
        EXPECT_EQ(window->Session().IsRunning(), on);
        EXPECT_EQ(Text(IDC_START), on ? "Stop" : "Start");
        EXPECT_EQ(Text(IDC_STATUS_LABEL), on ? "Privacy ON" : "Privacy OFF");
        EXPECT_EQ(LabelColor(IDC_STATUS_LABEL), on ? RGB(0, 120, 0) : RGB(255, 0, 0));
        EXPECT_EQ(app.TrayIcon()->Record().hIcon,
                  ProgramIcon(on ? IDI_PRIVACY_ON : IDI_PRIVACY_OFF));
    }

    CDravenlokApp app;
    std::string account = UniqueSessionName("tunnel");
    SessionKey session{account};
    int brokenAsked = 0;
};

TEST_F(TunnelTest, StartAndStopRunTheClientAndShowTheState) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("setIEproxy=1\r\n");
    bool hiddenAsDravenlok = false;
    StartPrivacy([&] {
        ASSERT_TRUE(ClientRecorded("waiting for WM_QUIT"));
        hiddenAsDravenlok = Title() == "Dravenlok" && !Visible();
        ExpectState(true);
        EXPECT_EQ(LanProxyServer(), "127.0.0.1:50000");
    });
    EXPECT_TRUE(hiddenAsDravenlok);

    // The tray menu's check mark follows too. Start hid the focused window; under Wine the
    // lost focus arrives a moment later and would close a menu opened at once.
    PumpMessagesFor(300);
    EXPECT_EQ(CheckedInTrayMenu(*app.TrayIcon()), std::vector<int>{2});

    Click(IDC_START);
    ExpectState(false);
    EXPECT_EQ(CheckedInTrayMenu(*app.TrayIcon()), std::vector<int>{3});
    EXPECT_TRUE(RecordHasLine(ReadStandInRecord(files.Folder()), "got WM_QUIT"));
    EXPECT_EQ(LanProxyServer(), "direct");
}

// Either tray item toggles, whatever its label.
TEST_F(TunnelTest, TheTrayItemsToggle) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start();
    user.InDialog(IDD_CONNECTION_STATUS, [](fw::Dialog& status) { status.EndDialog(IDOK); });
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_STOP, 0), 0);
    ExpectState(true);
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_START, 0), 0);
    ExpectState(false);
}

TEST_F(TunnelTest, AStartWithoutAClientReportsTheFailureAndStaysOff) {
    Start("", false);
    user.AnswerNextBox(IDOK);
    Click(IDC_START);
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text,
              "Failed to start program '" + files.Folder() + "\\plink.exe', error code = 2");
    EXPECT_EQ(user.Boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    ExpectState(false);
    EXPECT_EQ(Title(), "Marrowin");
    EXPECT_TRUE(Visible());
}

// The client's report, from its own process, gives the hidden window back its title and shows
// it, and reaches the open status window, which starts its countdown.
TEST_F(TunnelTest, TheEstablishedReportShowsTheWindowAndStartsTheCountdown) {
    WriteStandInScript(files.Folder(),
                       {"post WM_QV_CON_START", "post WM_QV_CON_ESTH", "wait-quit"});
    Start();
    user.InDialog(IDD_CONNECTION_STATUS, [&](fw::Dialog& status) {
        EXPECT_TRUE(PumpMessagesUntil([&] { return Title() == "Marrowin" && Visible(); }));
        EXPECT_TRUE(PumpMessagesUntil([&] {
            return ItemText(status, IDC_STATUS_TEXT).find("Connection esthablished ") !=
                   std::string::npos;
        }));
        status.EndDialog(IDOK);
    });
    Click(IDC_START);
    ExpectState(true);
}

TEST_F(TunnelTest, ADropWithReconnectOffAsksTheUser) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("setIEproxy=1\r\n");
    ::CheckDlgButton(*window, IDC_USE_IE_PROXY, BST_CHECKED);
    StartPrivacy();
    // Reset: the browser goes direct and the box is cleared, as if the user had unchecked it.
    AnswerBroken(IDC_RESET_BROWSER_BUTTON);
    Drop();
    ExpectState(false);
    EXPECT_EQ(::IsDlgButtonChecked(*window, IDC_USE_IE_PROXY), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(LanProxyServer(), "direct");
    EXPECT_EQ(Setting("IE", "setIEproxy"), "0");

    // Reconnect starts again.
    AnswerBroken(IDC_RECONNECT_BUTTON);
    user.InDialog(IDD_CONNECTION_STATUS, [](fw::Dialog& status) { status.EndDialog(IDOK); });
    Drop();
    ExpectState(true);
    Click(IDC_START);

    // Cancel behaves like the reset button; with the box clear nothing changes.
    AnswerBroken(IDCANCEL);
    Drop();
    ExpectState(false);
}

// A client that ends, whether or not it reported the drop first, counts as one drop.
TEST_F(TunnelTest, AClientThatEndsCountsAsOneDrop) {
    Start();
    for (const std::vector<std::string>& script :
         {std::vector<std::string>{"sleep 300", "exit 3"},
          std::vector<std::string>{"sleep 300", "post WM_QV_STOP", "exit 0"}}) {
        SCOPED_TRACE(script[1]);
        WriteStandInScript(files.Folder(), script);
        StartPrivacy();
        ExpectState(true);
        brokenAsked = 0;
        AnswerBroken();
        EXPECT_TRUE(PumpMessagesUntil([&] { return brokenAsked > 0; }));
        PumpMessagesFor(2500);
        EXPECT_EQ(brokenAsked, 1);
        ExpectState(false);
    }
}

// Our plink.exe says why its run failed just before "WM_QV_STOP"; the tray shows it in a
// balloon when the run ends, once: a second drop reaches the shell with nothing but the picture.
TEST_F(TunnelTest, TheClientsReasonIsShownOnceInABalloonWhenItsRunEnds) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start();
    ASSERT_TRUE(app.TrayIcon()->IsEnabled());
    const NOTIFYICONDATAA& record = app.TrayIcon()->Record();
    auto drop = [this] {
        AnswerBroken();
        Drop();
    };
    const std::string refused = "The server refused the user name or password of this account.";

    StartPrivacy();
    EXPECT_EQ(TellReason(kFailureReasonTag, refused), TRUE);
    drop();
    ExpectState(false);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_STREQ(record.szInfoTitle, "Marrowin");
    EXPECT_EQ(record.szInfo, refused);
    EXPECT_EQ(record.dwInfoFlags, static_cast<DWORD>(NIIF_ERROR));
    app.TrayIcon()->SetIcon(record.hIcon);
    drop();
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_ICON)) << "shown twice";
}

// The sequence's rules are the session's; here its wiring to the timer, the state shown and
// the one status window the drop opens: a failed attempt opens no other window.
TEST_F(TunnelTest, TheReconnectSequenceRelaunchesTheClientUntilItGivesUp) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("[Main]\r\nreconnect=1\r\n");
    StartPrivacy();
    user.InDialog(IDD_CONNECTION_STATUS, [this](fw::Dialog& status) {
        ExpectState(false);
        EXPECT_TRUE(StopReconnectTimer());
        ::SetTimer(*window, kReconnectTimer, 10000, nullptr);
        Tick();
        ExpectState(true);
        Drop();
        ExpectState(false);
        for (int attempt = 2; attempt <= 11; ++attempt)
            Tick();
        EXPECT_FALSE(StopReconnectTimer());
        EXPECT_NE(RefreshedStatus(status).find("Maximum number of retries"), std::string::npos);
        status.EndDialog(IDOK);
    });
    Drop();
    ExpectState(false);
}

// The sequence can start the client again while the question is open; the established report
// then ends the sequence and closes the question, and the tunnel that runs is kept.
TEST_F(TunnelTest, TheEstablishedReportEndsTheSequenceAndClosesTheQuestion) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("[Main]\r\nreconnect=1\r\n");
    user.InDialog(IDD_CONNECTION_STATUS, [this](fw::Dialog& status) {
        Toggle(IDC_RECONNECT);
        user.InDialog(IDD_CONNECTION_BROKEN, [this](fw::Dialog&) {
            Tick();
            ::SendMessageA(*window, WM_QV_CON_ESTH, 0, 0);
        });
        Drop();
        ExpectState(true);
        EXPECT_FALSE(StopReconnectTimer());
        status.EndDialog(IDOK);
    });
    Drop();
}

// A drop after the tunnel was up stops the status window's countdown; the window shows the
// attempts, one of which a network change brings forward, until a reason that retrying cannot
// mend ends the sequence: no other window opens.
TEST_F(TunnelTest, TheStatusWindowFollowsTheSequenceAfterADrop) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("[Main]\r\nreconnect=1\r\n");
    user.InDialog(IDD_CONNECTION_STATUS, [this](fw::Dialog& status) {
        ::SendMessageA(*window, WM_QV_CON_ESTH, 0, 0);
        Drop();
        EXPECT_EQ(RefreshedStatus(status).find("This window will close"), std::string::npos);

        ::SendMessageA(*window, kNetworkChangeMessage,
                       static_cast<WPARAM>(NetworkEvent::NetworkUp), 0);
        ASSERT_TRUE(::KillTimer(*window, kSettleTimer));
        ::SendMessageA(*window, WM_TIMER, kSettleTimer, 0);
        ExpectState(true);
        EXPECT_NE(RefreshedStatus(status).find("Reconnection retry no.: 1"), std::string::npos);

        TellReason(kFailureReasonTag, kKeyNotAcceptedReason);
        Drop();
        EXPECT_FALSE(StopReconnectTimer());
        EXPECT_NE(RefreshedStatus(status).find("Retrying cannot mend"), std::string::npos);
        status.EndDialog(IDOK);
    });
    Click(IDC_START);
    ExpectState(false);
}

// Resuming from sleep starts the tunnel that was up again once the network has settled, and
// the browser stays on it.
TEST_F(TunnelTest, AResumeStartsTheTunnelAgain) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("setIEproxy=1\r\n");
    StartPrivacy([this] { ASSERT_TRUE(ClientRecorded("waiting for WM_QUIT")); });
    ::SendMessageA(*window, WM_QV_CON_ESTH, 0, 0);
    ::SendMessageA(*window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    ASSERT_TRUE(::KillTimer(*window, kSettleTimer));
    ASSERT_TRUE(MoveStandInRecordAside(files.Folder()));
    ::SendMessageA(*window, WM_TIMER, kSettleTimer, 0);
    EXPECT_TRUE(ClientRecorded("waiting for WM_QUIT"));
    ExpectState(true);
    EXPECT_EQ(LanProxyServer(), "127.0.0.1:50000");
}

// Without plink.exe the attempts fail without a box and privacy stays off.
TEST_F(TunnelTest, WithoutAClientTheAttemptsFailSilently) {
    Start("[Main]\r\nreconnect=1\r\n", false);
    user.InDialog(IDD_CONNECTION_STATUS, [this](fw::Dialog& status) {
        for (int attempt = 1; attempt <= 11; ++attempt)
            Tick();
        status.EndDialog(IDOK);
    });
    Drop();
    EXPECT_TRUE(user.Boxes().empty());
    ExpectState(false);
}

TEST_F(TunnelTest, TheReconnectBoxWritesTheSetting) {
    Start("", false);
    Toggle(IDC_RECONNECT);
    EXPECT_EQ(Setting("Main", "reconnect"), "1");
    Toggle(IDC_RECONNECT);
    EXPECT_EQ(Setting("Main", "reconnect"), "0");
}

// The warning's texts are the dialog test's; here whether it is told the connection is open.
TEST_F(TunnelTest, TheTorRelayRewritesOnlyTheProxyTargetPort) {
    session.SetString("PortForwardings",
                      "L3128=localhost:3128,L50000=localhost:3128,L13128=host3128:23128,");
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start();
    EXPECT_EQ(SetTor(true), "Relaying the Marrowin traffic to the TOR network will slowdown the "
                            "speed of the connection");
    EXPECT_EQ(Forwardings(), "L3128=localhost:8119,L50000=localhost:8119,L13128=host3128:23128,");
    EXPECT_EQ(Setting("Main", "TOR"), "1");

    SetTor(false);
    EXPECT_EQ(Forwardings(), "L3128=localhost:3128,L50000=localhost:3128,L13128=host3128:23128,");
    EXPECT_EQ(Setting("Main", "TOR"), "0");

    StartPrivacy();
    EXPECT_NE(SetTor(true).find("allready open"), std::string::npos);
}

TEST_F(TunnelTest, WithoutAProxyAccountTheTorRelayChangesNothing) {
    StartWindow("[" + account + "]\r\nport=3128\r\n");
    SetTor(true);
    EXPECT_EQ(Forwardings(), "L25=localhost:25,L50000=localhost:3128,");
}

} // namespace
