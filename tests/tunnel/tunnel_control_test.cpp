// Privacy on and off in the real main window with the stand-in SSH client as a real process:
// what the client receives, the log, the four signs of the state, the browser proxy, the
// client's reports and its reason for a failed run, the reconnect sequence, the
// connection-broken dialog and the TOR relay.
#include "tunnel/client_messages.h"
#include "app/dravenlok_app.h"
#include "resource.h"
#include "settings/password_scrambling.h"
#include "support/browser_proxy.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "support/tray_menu.h"
#include "system/browser_settings.h"
#include "tunnel/failure_notice.h"
#include "tunnel/status_window.h"
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
        if (window && window->Tunnel().IsRunning())
            Click(IDC_START);
        window.reset();
        SetConnectionProxy("", "", false);
    }

    // Settings with the account of the session, its proxy forwarding for the browser, and
    // the given extra lines.
    void Start(const std::string& extra = "", bool withClient = true) {
        if (withClient) {
            EXPECT_TRUE(CopyStandInTo(files.Folder()));
        }
        files.WriteSettings(
            "[tunnel]\r\nservers=" + account + ",\r\ndefault=" + account + "\r\n[" + account +
            "]\r\nusername=joe\r\npassword=" + ScramblePassword("se-cret!") +
            "\r\nport=3128\r\n[IE]\r\nproxyServer=" + account + "\r\nproxyPort=50000\r\n" + extra);
        StartWindow(std::string());
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
    // Stops the reconnect timer; whether it was running.
    bool StopReconnectTimer() const { return ::KillTimer(*window, kReconnectTimer) != FALSE; }
    // The next connection-broken question is answered with the button.
    void AnswerBroken(int button = IDCANCEL) {
        user.InDialog(IDD_CONNECTION_BROKEN, [button](fw::Dialog& broken) {
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
    void ExpectOff() const {
        EXPECT_FALSE(window->Tunnel().IsRunning());
        EXPECT_EQ(Text(IDC_START), "Start");
        EXPECT_EQ(Text(IDC_STATUS_LABEL), "Privacy OFF");
        EXPECT_EQ(LabelColor(IDC_STATUS_LABEL), RGB(255, 0, 0));
    }
    void ExpectOn() const {
        EXPECT_TRUE(window->Tunnel().IsRunning());
        EXPECT_EQ(Text(IDC_START), "Stop");
        EXPECT_EQ(Text(IDC_STATUS_LABEL), "Privacy ON");
        EXPECT_EQ(LabelColor(IDC_STATUS_LABEL), RGB(0, 120, 0));
    }

    std::string account = UniqueSessionName("tunnel");
    SessionKey session{account};
};

TEST_F(TunnelTest, StartAndStopRunTheClientAndShowTheState) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("setIEproxy=1\r\n");
    bool hiddenAsDravenlok = false;
    StartPrivacy([&] {
        ASSERT_TRUE(ClientRecorded("waiting for WM_QUIT"));
        hiddenAsDravenlok = Title() == "Dravenlok" && !Visible();
        ExpectOn();
        EXPECT_EQ(LanProxyServer(), "127.0.0.1:50000");
    });
    EXPECT_TRUE(hiddenAsDravenlok);

    std::vector<std::string> record = ReadStandInRecord(files.Folder());
    EXPECT_EQ(RecordedValue(record, "commandline"), " -pw se-cret! " + account + " <in.txt");
    EXPECT_EQ(RecordedValue(record, "folder"), files.Folder());
    EXPECT_EQ(RecordedValue(record, "UserName"), "joe");
    EXPECT_EQ(RecordedValue(record, "PortForwardings"), "L25=localhost:25,L50000=localhost:3128,");
    // One line, no line end, the password masked.
    EXPECT_EQ(ReadWholeFile(files.File("log.txt")),
              files.Folder() + "\\plink.exe -pw ******** " + account + " <in.txt");

    Click(IDC_START);
    ExpectOff();
    EXPECT_TRUE(RecordHasLine(ReadStandInRecord(files.Folder()), "got WM_QUIT"));
    EXPECT_EQ(LanProxyServer(), "direct");
}

// The tray shows the state with the window: its picture and its menu's check mark.
TEST_F(TunnelTest, TheTrayFollowsStartAndStop) {
    CDravenlokApp app;
    app.CreateTrayIcon();
    ASSERT_NE(app.TrayIcon(), nullptr);
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start();
    window->SetTrayIcon(app.TrayIcon());
    app.SetMainWindow(window.get());
    auto picture = [](int id) {
        return ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    };
    auto checked = [&] {
        std::vector<int> positions;
        ShownTrayMenu menu = RightClickTrayIcon(*app.TrayIcon());
        for (size_t i = 0; i < menu.items.size(); ++i)
            if (menu.items[i].checked)
                positions.push_back(static_cast<int>(i));
        return positions;
    };
    EXPECT_EQ(app.TrayIcon()->Record().hIcon, picture(IDI_PRIVACY_OFF));

    StartPrivacy();
    // Start hid the focused window; under Wine the lost focus arrives a moment later and
    // would close a menu opened at once.
    PumpMessagesFor(300);
    EXPECT_EQ(app.TrayIcon()->Record().hIcon, picture(IDI_PRIVACY_ON));
    EXPECT_EQ(checked(), std::vector<int>{2});

    Click(IDC_START);
    EXPECT_EQ(app.TrayIcon()->Record().hIcon, picture(IDI_PRIVACY_OFF));
    EXPECT_EQ(checked(), std::vector<int>{3});
    app.SetMainWindow(nullptr);
}

TEST_F(TunnelTest, StopSetsTheBrowserDirectEvenWithTheProxyOptionOff) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start();
    StartPrivacy([&] { EXPECT_EQ(LanProxyServer(), "direct"); });
    SetConnectionProxy("", "9999", true);
    Click(IDC_START);
    EXPECT_EQ(LanProxyServer(), "direct");
}

TEST_F(TunnelTest, TheTrayItemsToggleWhateverTheirLabel) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start();
    user.InDialog(IDD_CONNECTION_STATUS, [](fw::Dialog& status) { status.EndDialog(IDOK); });
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_STOP, 0), 0);
    ExpectOn();
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_START, 0), 0);
    ExpectOff();
}

TEST_F(TunnelTest, AStartWithoutAClientReportsTheFailureAndStaysOff) {
    Start("", false);
    user.AnswerNextBox(IDOK);
    Click(IDC_START);
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text,
              "Failed to start program '" + files.Folder() + "\\plink.exe', error code = 2");
    EXPECT_EQ(user.Boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    ExpectOff();
    EXPECT_EQ(Title(), "Marrowin");
    EXPECT_TRUE(Visible());
}

TEST_F(TunnelTest, TheEstablishedReportShowsTheWindowAndStartsTheCountdown) {
    WriteStandInScript(files.Folder(),
                       {"post WM_QV_CON_START", "post WM_QV_CON_ESTH", "wait-quit"});
    Start();
    bool established = false;
    user.InDialog(IDD_CONNECTION_STATUS, [&](fw::Dialog& status) {
        established = PumpMessagesUntil([&] { return Title() == "Marrowin" && Visible(); });
        EXPECT_TRUE(PumpMessagesUntil([&] {
            return ItemText(status, IDC_STATUS_TEXT).find("Connection esthablished ") !=
                   std::string::npos;
        }));
        status.EndDialog(IDOK);
    });
    Click(IDC_START);
    EXPECT_TRUE(established);
    ExpectOn();
    Click(IDC_START);
}

TEST_F(TunnelTest, ADropWithReconnectOffAsksTheUser) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("setIEproxy=1\r\n");
    ::CheckDlgButton(*window, IDC_USE_IE_PROXY, BST_CHECKED);
    StartPrivacy();
    // Reset: the browser goes direct and the box is cleared, as if the user had unchecked it.
    AnswerBroken(IDC_RESET_BROWSER_BUTTON);
    Drop();
    ExpectOff();
    EXPECT_EQ(::IsDlgButtonChecked(*window, IDC_USE_IE_PROXY), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(LanProxyServer(), "direct");
    EXPECT_EQ(CInternetOptions(files.File("Marrowin.ini")).ReadString("IE", "setIEproxy"), "0");

    // Reconnect starts again.
    AnswerBroken(IDC_RECONNECT_BUTTON);
    user.InDialog(IDD_CONNECTION_STATUS, [](fw::Dialog& status) { status.EndDialog(IDOK); });
    Drop();
    ExpectOn();
    Click(IDC_START);

    // Cancel behaves like the reset button; with the box clear nothing changes.
    AnswerBroken(IDCANCEL);
    Drop();
    ExpectOff();
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
        ExpectOn();
        int asked = 0;
        user.InDialog(IDD_CONNECTION_BROKEN, [&](fw::Dialog& broken) {
            ++asked;
            broken.EndDialog(2);
        });
        EXPECT_TRUE(PumpMessagesUntil([&] { return asked > 0; }));
        PumpMessagesFor(2500);
        EXPECT_EQ(asked, 1);
        ExpectOff();
    }
}

// Our plink.exe says why its run failed just before "WM_QV_STOP"; the tray shows it in a
// balloon, once, when the run ends. No reason, another program's data or the reason of an
// earlier run show nothing.
TEST_F(TunnelTest, TheClientsReasonIsShownOnceInABalloonWhenItsRunEnds) {
    CDravenlokApp app;
    app.CreateTrayIcon();
    ASSERT_NE(app.TrayIcon(), nullptr);
    ASSERT_TRUE(app.TrayIcon()->IsEnabled());
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start();
    window->SetTrayIcon(app.TrayIcon());
    const NOTIFYICONDATAA& record = app.TrayIcon()->Record();
    auto tell = [this](ULONG_PTR tag, const std::string& reason) {
        COPYDATASTRUCT data = {tag, static_cast<DWORD>(reason.size() + 1),
                               const_cast<char*>(reason.c_str())};
        return ::SendMessageA(*window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    };
    auto drop = [this] {
        AnswerBroken();
        Drop();
    };
    const std::string refused = "The server refused the user name or password of this account.";

    StartPrivacy();
    EXPECT_EQ(tell(kFailureReasonTag, refused), TRUE);
    drop();
    ExpectOff();
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_STREQ(record.szInfoTitle, "Marrowin");
    EXPECT_EQ(record.szInfo, refused);
    EXPECT_EQ(record.dwInfoFlags, static_cast<DWORD>(NIIF_ERROR));
    // The picture is set afresh: the record shows whether anything else reaches the shell.
    app.TrayIcon()->SetIcon(record.hIcon);
    drop();
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_ICON)) << "shown twice";

    StartPrivacy();
    EXPECT_EQ(tell(0x1234, refused), FALSE);
    drop();
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_ICON)) << "another program's data shown";

    // The user stopped that run; the next one starts without its reason.
    StartPrivacy();
    tell(kFailureReasonTag, refused);
    Click(IDC_START);
    StartPrivacy();
    drop();
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_ICON)) << "an earlier run's reason shown";
    window->SetTrayIcon(nullptr);
}

// The sequence's rules are the reconnect sequence test's; here its wiring to the timer, the
// client and the question.
TEST_F(TunnelTest, TheReconnectSequenceRelaunchesTheClientUntilItGivesUp) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("[Main]\r\nreconnect=1\r\n");
    StartPrivacy();
    Drop();
    ExpectOff();
    EXPECT_FALSE(window->Reconnect().IsActive());
    EXPECT_TRUE(StopReconnectTimer());
    ::SetTimer(*window, kReconnectTimer, 10000, nullptr);

    for (int attempt = 1; attempt <= 10; ++attempt)
        Tick();
    EXPECT_EQ(window->Reconnect().Attempt(), 10);
    ExpectOn();
    // A drop during the sequence asks the user and the sequence goes on.
    AnswerBroken();
    Drop();
    EXPECT_TRUE(window->Reconnect().IsActive());
    EXPECT_EQ(window->Reconnect().Attempt(), 10);

    // The eleventh tick gives up.
    Tick();
    EXPECT_FALSE(window->Reconnect().IsActive());
    EXPECT_FALSE(StopReconnectTimer());
    ExpectOff();
}

TEST_F(TunnelTest, AnEstablishedConnectionEndsTheReconnectSequence) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("[Main]\r\nreconnect=1\r\n");
    Drop();
    Tick();
    Tick();
    EXPECT_EQ(window->Reconnect().Attempt(), 2);
    ::SendMessageA(*window, WM_QV_CON_ESTH, 0, 0);
    EXPECT_FALSE(window->Reconnect().IsActive());
    EXPECT_FALSE(StopReconnectTimer());
    ExpectOn();
    Click(IDC_START);
}

// Waiting for the first attempt: another drop starts the wait again with the option on, and
// asks the user with it off while the wait goes on.
TEST_F(TunnelTest, ADropWhileWaitingForTheFirstAttempt) {
    Start("[Main]\r\nreconnect=1\r\n", false);
    Drop();
    Drop();
    EXPECT_FALSE(window->Reconnect().IsActive());
    EXPECT_TRUE(StopReconnectTimer());

    ::SetTimer(*window, kReconnectTimer, 10000, nullptr);
    Toggle(IDC_RECONNECT);
    bool asked = false;
    user.InDialog(IDD_CONNECTION_BROKEN, [&](fw::Dialog& broken) {
        asked = true;
        broken.EndDialog(2);
    });
    Drop();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(window->Reconnect().IsActive());
    EXPECT_TRUE(StopReconnectTimer()) << "the wait goes on";
}

// The sequence can start the client again while the question is open; Reconnect then keeps
// the tunnel that runs instead of toggling it off.
TEST_F(TunnelTest, ReconnectAfterARelaunchKeepsTheTunnelRunning) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("[Main]\r\nreconnect=1\r\n");
    Drop();
    Tick();
    ASSERT_TRUE(window->Tunnel().IsRunning());
    user.InDialog(IDD_CONNECTION_BROKEN, [this](fw::Dialog& broken) {
        Tick();
        ::SendMessageA(broken, WM_COMMAND, MAKEWPARAM(IDC_RECONNECT_BUTTON, BN_CLICKED), 0);
    });
    Drop();
    ExpectOn();
    Click(IDC_START);
}

TEST_F(TunnelTest, GivingUpLeavesTheBrowserAloneWhenNoClientIsRecorded) {
    Start("[Main]\r\nreconnect=1\r\n", false);
    Drop();
    // Without plink.exe every attempt fails: no box, privacy stays off, the attempt counts.
    for (int attempt = 1; attempt <= 10; ++attempt)
        Tick();
    EXPECT_EQ(window->Reconnect().Attempt(), 10);
    EXPECT_TRUE(user.Boxes().empty());
    ExpectOff();
    SetConnectionProxy("", "8080", true);
    Tick();
    EXPECT_EQ(window->Reconnect().Attempt(), 0);
    EXPECT_EQ(LanProxyServer(), "127.0.0.1:8080");
}

TEST_F(TunnelTest, TheReconnectBoxWritesTheSetting) {
    Start("", false);
    ::CheckDlgButton(*window, IDC_RECONNECT, BST_CHECKED);
    Click(IDC_RECONNECT);
    CInternetOptions settings(files.File("Marrowin.ini"));
    EXPECT_EQ(settings.ReadString("Main", "reconnect"), "1");
    ::CheckDlgButton(*window, IDC_RECONNECT, BST_UNCHECKED);
    Click(IDC_RECONNECT);
    EXPECT_EQ(settings.ReadString("Main", "reconnect"), "0");
}

TEST_F(TunnelTest, QuitWhilePrivacyIsOnStopsEverything) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start("setIEproxy=1\r\n");
    StartPrivacy();
    EXPECT_EQ(LanProxyServer(), "127.0.0.1:50000");
    ASSERT_TRUE(ClientRecorded("waiting for WM_QUIT"));
    user.AnswerNextBox(IDYES);
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    EXPECT_EQ(window->Result(), IDCANCEL);
    EXPECT_FALSE(window->Tunnel().IsRunning());
    EXPECT_EQ(LanProxyServer(), "direct");
    EXPECT_TRUE(RecordHasLine(ReadStandInRecord(files.Folder()), "got WM_QUIT"));
}

TEST_F(TunnelTest, TheTorRelayRewritesOnlyTheProxyTargetPort) {
    session.SetString("PortForwardings",
                      "L3128=localhost:3128,L50000=localhost:3128,L13128=host3128:23128,");
    Start("", false);
    EXPECT_EQ(SetTor(true), "Relaying the Marrowin traffic to the TOR network will slowdown the "
                            "speed of the connection");
    EXPECT_EQ(Forwardings(), "L3128=localhost:8119,L50000=localhost:8119,L13128=host3128:23128,");
    EXPECT_EQ(CInternetOptions(files.File("Marrowin.ini")).ReadString("Main", "TOR"), "1");

    SetTor(false);
    EXPECT_EQ(Forwardings(), "L3128=localhost:3128,L50000=localhost:3128,L13128=host3128:23128,");
    EXPECT_EQ(CInternetOptions(files.File("Marrowin.ini")).ReadString("Main", "TOR"), "0");
}

TEST_F(TunnelTest, TheTorWarningSaysWhenTheConnectionIsAlreadyOpen) {
    WriteStandInScript(files.Folder(), {"wait-quit"});
    Start();
    StartPrivacy();
    EXPECT_NE(SetTor(true).find("\r\nThe connection is allready open. In order for this "
                                "setting to take effect you will need to restart the connection"),
              std::string::npos);
    Click(IDC_START);
}

TEST_F(TunnelTest, WithoutAProxyAccountTheTorRelayChangesNothing) {
    Start("", false);
    files.WriteSettings("[" + account + "]\r\nport=3128\r\n");
    window = std::make_unique<CDravenlokDlg>();
    ASSERT_TRUE(window->Create());
    SetTor(true);
    EXPECT_EQ(Forwardings(), "L25=localhost:25,L50000=localhost:3128,");
}

} // namespace
