// Marrowin, our plink.exe and the stand-in ssh.exe together, as a user meets them: the server's
// key asked about at the first connection, remembered, and a changed key refused.
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

class PlinkReasonTest : public MainWindowFixture {};

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
