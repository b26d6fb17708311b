// Marrowin, our plink.exe and the stand-in ssh.exe together, as a user meets them: Start, the
// tunnel up with "Privacy ON", Stop, and nothing left running or listening; a failed run's
// reason in the tray's balloon.
#include "plink_fixture.h"

#include "app/dravenlok_app.h"
#include "logic/end_reason.h"
#include "logic/password_scrambling.h"
#include "resource.h"
#include "support/main_window_fixture.h"
#include "support/marrowin_process.h"
#include "support/scripted_user.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// Waits for another process to get there; nothing of this thread's needs its messages run.
bool WaitUntil(const std::function<bool()>& done) {
    return PumpMessagesUntil(done, 20000);
}

std::string WindowText(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

// The status window's edit control answers another process's ANSI WM_GETTEXT with garbage under
// Wine, so its text is read wide.
std::string EditText(HWND edit) {
    wchar_t wide[4096] = {};
    ::SendMessageW(edit, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(wide));
    char text[8192] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
    return text;
}

TEST(PlinkEndToEnd, StartBringsPrivacyOnThroughSshAndStopEndsIt) {
    TempFolder appFolder;
    StandInSshFolder ssh;
    ScopedVariable sshProgram("MARROWIN_SSH", StandInSshPath().c_str());
    SessionKey session(UniqueSessionName("e2e.example.org"));
    std::vector<int> ports = FreeLocalPorts(3);
    ASSERT_EQ(3u, ports.size());
    ASSERT_TRUE(session.SetString("HostName", "e2e.example.org"));
    ASSERT_TRUE(session.SetDword("PortNumber", 22));
    ASSERT_TRUE(session.SetString("UserName", "joe"));
    ASSERT_TRUE(
        session.SetString("PortForwardings", "L" + std::to_string(ports[0]) + "=localhost:25,L" +
                                                 std::to_string(ports[1]) + "=localhost:110,L" +
                                                 std::to_string(ports[2]) + "=localhost:3128,"));
    const std::string account = session.Name();
    WriteWholeFile(appFolder.File("Marrowin.ini"),
                   "[tunnel]\r\nservers=" + account + ",\r\ndefault=" + account + "\r\n[" +
                       account + "]\r\nusername=joe\r\npassword=" + ScramblePassword("se cret!") +
                       "\r\nport=3128\r\n[Main]\r\nautostart=0\r\n");
    ASSERT_TRUE(::CopyFileA(PlinkPath().c_str(), appFolder.File("plink.exe").c_str(), FALSE));
    ssh.Script({"askpass", "authenticated", "listen", "stay"});

    MarrowinProcess program(appFolder.Path());
    ASSERT_TRUE(program.Start());
    HWND mainWindow = WaitForTopLevelDialog(program.ProcessId(), "Marrowin");
    ASSERT_NE(nullptr, mainWindow);
    HWND label = ::GetDlgItem(mainWindow, IDC_STATUS_LABEL);
    ASSERT_EQ("Privacy OFF", WindowText(label));

    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(mainWindow, IDC_START)));
    HWND status = WaitForTopLevelDialog(program.ProcessId(), "Marrowin connection status");
    ASSERT_NE(nullptr, status);

    // Up: the client's report gives the main window back its title and shows it.
    ASSERT_TRUE(WaitUntil([&] {
        return WindowText(mainWindow) == "Marrowin" && ::IsWindowVisible(mainWindow);
    })) << "title "
        << WindowText(mainWindow);
    EXPECT_EQ("Privacy ON", WindowText(label));
    // Established, not ended: the status window says so within its next refresh.
    EXPECT_TRUE(WaitUntil([&] {
        return EditText(::GetDlgItem(status, IDC_STATUS_TEXT)).find("Connection esthablished") !=
               std::string::npos;
    })) << EditText(::GetDlgItem(status, IDC_STATUS_TEXT));
    EXPECT_EQ("se cret!", ssh.Value("askpass-line"));
    EXPECT_EQ(std::string::npos, ssh.Value("commandline").find("se cret!"));
    for (int port : ports)
        EXPECT_TRUE(Accepts(port)) << port;
    DWORD sshProcess = ssh.SshProcessId();
    ASSERT_NE(0u, sshProcess);

    // The user closes the status window, then presses Stop.
    ::PostMessageA(status, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(status); }));
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(mainWindow, IDC_START)));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(label) == "Privacy OFF"; }));
    EXPECT_TRUE(ProcessEnds(sshProcess)) << "ssh outlived Stop";
    for (int port : ports)
        EXPECT_FALSE(Accepts(port)) << port;

    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    HWND box = WaitForMessageBox(mainWindow);
    ASSERT_NE(nullptr, box);
    ClickMessageBoxButton(box, IDYES);
    EXPECT_EQ(0u, program.WaitForExit());
}

// The server refuses the password: the main window learns why from our plink.exe and the tray
// says so in its balloon.
class PlinkReasonTest : public MainWindowFixture {};

TEST_F(PlinkReasonTest, ARefusedPasswordIsToldInTheTraysBalloon) {
    StandInSshFolder ssh;
    ScopedVariable sshProgram("MARROWIN_SSH", StandInSshPath().c_str());
    const std::string account = UniqueSessionName("refused.example.org");
    SessionKey session(account);
    std::vector<int> ports = FreeLocalPorts(1);
    ASSERT_EQ(1u, ports.size());
    ASSERT_TRUE(session.SetString("HostName", account));
    ASSERT_TRUE(session.SetDword("PortNumber", 22));
    ASSERT_TRUE(session.SetString("UserName", "joe"));
    ASSERT_TRUE(
        session.SetString("PortForwardings", "L" + std::to_string(ports[0]) + "=localhost:3128,"));
    ASSERT_TRUE(::CopyFileA(PlinkPath().c_str(), files.File("plink.exe").c_str(), FALSE));
    files.WriteSettings("[tunnel]\r\nservers=" + account + ",\r\n[" + account +
                        "]\r\nusername=joe\r\npassword=" + ScramblePassword("wrong") +
                        "\r\nport=3128\r\n");
    ssh.Script({"askpass", "deny"});
    CDravenlokApp app;
    app.CreateTrayIcon();
    StartWindow(std::string(), app.TrayIcon());
    app.SetMainWindow(window.get());
    bool broken = false;
    user.InDialog(IDD_CONNECTION_STATUS, [](fw::Dialog& status) { status.EndDialog(IDOK); });
    user.InDialog(IDD_CONNECTION_BROKEN, [&broken](fw::Dialog& dialog) {
        broken = true;
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });

    Click(IDC_START);
    EXPECT_TRUE(WaitUntil([&] { return broken; })) << "no drop reported";
    // The window's first seconds refresh the tray's picture too, so only what the balloon sets
    // is looked at.
    const NOTIFYICONDATAA& record = app.TrayIcon()->Record();
    EXPECT_EQ(record.dwInfoFlags, static_cast<DWORD>(NIIF_ERROR));
    EXPECT_STREQ(record.szInfo, "The server refused the user name or password of this account.");
    app.SetMainWindow(nullptr);
    window.reset();
}

// The server's key: asked about once and remembered; a changed key refused, with the balloon,
// the warning box, no reconnect attempt and the remembered key left as it was.
TEST_F(PlinkReasonTest, TheFirstConnectionAsksAndAChangedKeyIsRefused) {
    StandInSshFolder ssh;
    ScopedVariable sshProgram("MARROWIN_SSH", StandInSshPath().c_str());
    // The server of the transcripts; an account's name is its server's.
    const std::string account = "127.0.0.1";
    SessionKey session(account);
    std::vector<int> ports = FreeLocalPorts(1);
    ASSERT_EQ(1u, ports.size());
    ASSERT_TRUE(session.SetString("HostName", account));
    ASSERT_TRUE(session.SetDword("PortNumber", 2299));
    ASSERT_TRUE(session.SetString("UserName", "hkuser"));
    ASSERT_TRUE(
        session.SetString("PortForwardings", "L" + std::to_string(ports[0]) + "=localhost:3128,"));
    ASSERT_TRUE(::CopyFileA(PlinkPath().c_str(), files.File("plink.exe").c_str(), FALSE));
    files.WriteSettings("[tunnel]\r\nservers=" + account + ",\r\n[" + account +
                        "]\r\nusername=hkuser\r\npassword=" + ScramblePassword("pw") +
                        "\r\nport=3128\r\n[Main]\r\nreconnect=1\r\n");
    CDravenlokApp app;
    app.CreateTrayIcon();
    StartWindow(std::string(), app.TrayIcon());
    app.SetMainWindow(window.get());
    const std::string knownKey =
        "[127.0.0.1]:2299 ssh-ed25519 SHA256:KZ1q6rj97DOl6gYWl0WfWQbFQkSvyc5QjfhDHs60mcM\n";
    auto start = [&](const std::string& transcript) {
        ssh.Script({"hostkey " + transcript, "askpass", "authenticated", "listen", "stay"});
        user.InDialog(IDD_CONNECTION_STATUS, [](fw::Dialog& status) { status.EndDialog(IDOK); });
        Click(IDC_START);
    };
    auto stop = [&] {
        Click(IDC_START);
        EXPECT_FALSE(window->Session().IsRunning());
        DeleteFileIfPresent(ssh.Path() + "\\" + kStandInRecordFile);
    };

    // The first connection: asked, Yes, up.
    start("hostkey-new-accepted");
    ASSERT_TRUE(WaitUntil([] { return !UnownedQuestions("Marrowin").empty(); }));
    ClickMessageBoxButton(UnownedQuestions("Marrowin")[0], IDYES);
    ASSERT_TRUE(
        WaitUntil([&] { return Text(IDC_STATUS_LABEL) == "Privacy ON" && Accepts(ports[0]); }));
    EXPECT_EQ(knownKey, ReadWholeFile(files.File("known_hosts")));
    stop();

    // The second: not asked, only the password.
    start("hostkey-new-accepted");
    ASSERT_TRUE(WaitUntil([&] { return Accepts(ports[0]); }));
    EXPECT_EQ(std::vector<std::string>{"pw"}, ssh.Values("askpass-line"));
    EXPECT_TRUE(UnownedQuestions("Marrowin").empty());
    stop();

    // The key has changed: refused, told, asked about in Marrowin's box, answered No.
    user.AnswerNextBox(IDNO);
    start("hostkey-changed-ask");
    ASSERT_TRUE(WaitUntil([&] { return !user.Boxes().empty(); }));
    const RecordedBox& box = user.Boxes().back();
    EXPECT_NE(std::string::npos,
              box.text.find("SHA256:Lhc9SQGI8GY58CqSASiuWd91Wxc3IdLA2BvU4YnHx8Y"));
    EXPECT_NE(std::string::npos, box.text.find("listening in"));
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2), box.type);
    EXPECT_STREQ(app.TrayIcon()->Record().szInfo, kKeyChangedReason);
    EXPECT_FALSE(window->Session().IsRunning());
    EXPECT_FALSE(window->Session().Reconnect().IsActive());
    EXPECT_FALSE(::KillTimer(*window, kReconnectTimer)) << "a reconnect would follow";
    EXPECT_EQ(knownKey, ReadWholeFile(files.File("known_hosts")));
    app.SetMainWindow(nullptr);
    window.reset();
}

} // namespace
