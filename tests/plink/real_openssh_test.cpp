// Marrowin.exe, our plink.exe and the real OpenSSH client against a real OpenSSH server, as a
// user meets them: the check that the pieces fit. scripts/test starts the server
// (scripts/real-ssh/server.py: sshd on 127.0.0.1 with a test user, an HTTP proxy and a web server
// behind it); plink.exe runs the real Linux ssh through the relay ssh.exe
// (tests/support/real_ssh_relay.cpp). Marrowin.exe is driven from outside by control id; what
// the user sees is read from its windows and the tray's balloon, what happened from the server's
// log and from everything ssh printed. Without the server (a test program run by hand) every
// test is skipped and says why.
#include "plink_fixture.h"

#include "logic/password_scrambling.h"
#include "resource.h"
#include "support/browser_proxy.h"
#include "support/marrowin_process.h"
#include "support/real_ssh_server.h"
#include "support/scripted_user.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The real ssh takes its time under Wine: a start, a sign-in and a forwarding set up.
constexpr DWORD kTunnelWaitMs = 40000;

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kTunnelWaitMs) {
    return PumpMessagesUntil(done, timeoutMs);
}

// The page as a WinINet program gets it, with the system's proxy settings as they are now.
std::string FetchWithWinInet(const std::string& url) {
    std::string page;
    HINTERNET internet = ::InternetOpenA("Marrowin test", INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                         nullptr, 0);
    HINTERNET request = internet ? ::InternetOpenUrlA(internet, url.c_str(), nullptr, 0,
                                                      INTERNET_FLAG_RELOAD, 0)
                                 : nullptr;
    char buffer[4096];
    DWORD read = 0;
    while (request && ::InternetReadFile(request, buffer, sizeof(buffer), &read) && read > 0)
        page.append(buffer, read);
    if (request)
        ::InternetCloseHandle(request);
    if (internet)
        ::InternetCloseHandle(internet);
    return page;
}

std::string WindowText(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

class RealOpenSshTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.Available())
            GTEST_SKIP() << server.Why();
        // sshd with its first host key, which the client has not met yet.
        ASSERT_EQ("ok", server.Command("reset"));
        std::vector<int> ports = FreeLocalPorts(1);
        ASSERT_EQ(1u, ports.size());
        localPort = ports[0];
        session = std::make_unique<SessionKey>(UniqueSessionName("real-openssh"));
        ASSERT_TRUE(session->SetString("HostName", "127.0.0.1"));
        ASSERT_TRUE(session->SetDword("PortNumber", static_cast<DWORD>(server.SshdPort())));
        ASSERT_TRUE(session->SetString("UserName", server.User()));
        ASSERT_TRUE(session->SetString(
            "PortForwardings", "L" + std::to_string(localPort) +
                                   "=127.0.0.1:" + std::to_string(server.ProxyPort()) + ","));
        ASSERT_TRUE(::CopyFileA(PlinkPath().c_str(), appFolder.File("plink.exe").c_str(), FALSE));
        runsBefore = server.SshRuns();
        sshdLogBefore = server.SshdLog().size();
        runsLogBefore = server.SshRunsLog().size();
    }

    void TearDown() override {
        if (program && program->IsRunning())
            Quit();
    }

    // The account as the user made it, the browser option on; with a key file, it signs in with
    // that key of the server's "client-keys" as the key user, and its password is empty.
    void WriteSettings(const std::string& password, bool reconnect, const std::string& key = "",
                       bool throughSsh = false) {
        const std::string account = session->Name();
        const std::string local = std::to_string(localPort);
        const std::string target = std::to_string(server.ProxyPort());
        const std::string keyFile = key.empty() ? key : keyFolder + "\\" + key;
        const std::string user = key.empty() ? server.User() : server.KeyUser();
        const std::string signIn = key.empty() ? "" : "signin=key\r\nkeyfile=" + keyFile + "\r\n";
        ASSERT_TRUE(session->SetString("UserName", user));
        ASSERT_TRUE(session->SetString("SignIn", key.empty() ? "" : "key"));
        ASSERT_TRUE(session->SetString("PublicKeyFile", keyFile));
        WriteWholeFile(
            appFolder.File("Marrowin.ini"),
            "[tunnel]\r\nservers=" + account + ",\r\ndefault=" + account + "\r\n[" + account +
                "]\r\nport=" + target + "\r\nusername=" + user + "\r\n" + signIn +
                "password=" + ScramblePassword(password) + "\r\nforwardings=" + local +
                ":127.0.0.1:" + target + ":proxy,\r\n" + (throughSsh ? "browserway=ssh\r\n" : "") +
                "[IE]\r\nsetIEproxy=1\r\n" +
                "proxyserver=" + account + "\r\nproxyport=" + local +
                "\r\n[Main]\r\nautostart=0\r\nreconnect=" + (reconnect ? "1" : "0") + "\r\n");
    }

    // Starts Marrowin.exe and waits for its main window.
    void Launch() {
        program = std::make_unique<MarrowinProcess>(appFolder.Path());
        ASSERT_TRUE(program->Start());
        mainWindow = WaitForTopLevelDialog(program->ProcessId(), "Marrowin");
        ASSERT_NE(nullptr, mainWindow);
        ASSERT_EQ("Privacy OFF", Label());
    }

    std::string Label() const { return WindowText(::GetDlgItem(mainWindow, IDC_STATUS_LABEL)); }

    // A shown window of the program's with that title, or null once the time is out.
    HWND ShownWindow(const std::string& title, DWORD timeoutMs = kTunnelWaitMs) const {
        HWND found = nullptr;
        WaitUntil([&] { return (found = ShownDialog(program->ProcessId(), title)) != nullptr; },
                  timeoutMs);
        return found;
    }

    std::string StatusText(HWND status) const {
        return OtherProcessText(::GetDlgItem(status, IDC_STATUS_TEXT));
    }

    // Start pressed: the client starts the real ssh (the server counts its runs). At the first
    // connection to the server's key, the question about it names the key's fingerprint and is
    // answered with the button.
    void StartAnsweringTheKeyQuestion(int button = IDYES) {
        const int runs = server.SshRuns();
        PostClick(mainWindow, IDC_START);
        if (!passphrase.empty()) {
            ASSERT_NO_FATAL_FAILURE(TypeThePassphrase());
        }
        EXPECT_TRUE(WaitUntil([&] { return server.SshRuns() > runs; })) << "ssh never started";
        if (keyKnown)
            return;
        std::vector<HWND> asked;
        ASSERT_TRUE(WaitUntil([&] { return !(asked = UnownedQuestions("Marrowin")).empty(); }))
            << "not asked about the key; ssh printed:\n"
            << SshPrinted();
        EXPECT_NE(std::string::npos, MessageBoxText(asked[0]).find(server.Command("fingerprint")))
            << MessageBoxText(asked[0]);
        ++keyQuestions;
        keyKnown = button == IDYES;
        PostClick(asked[0], button);
    }

    // Marrowin asks for the key's passphrase before the start, naming the key file; typed and OK.
    void TypeThePassphrase() {
        HWND dialog = ShownWindow("Passphrase of the key file", 10000);
        ASSERT_NE(nullptr, dialog);
        EXPECT_NE(std::string::npos,
                  OtherProcessText(::GetDlgItem(dialog, IDC_PASSPHRASE_KEY)).find("\\locked'"));
        ::SendMessageA(::GetDlgItem(dialog, IDC_PASSPHRASE), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(passphrase.c_str()));
        PostClick(dialog, IDOK);
        ++passphraseQuestions;
    }

    // The test's keys, made anew, and the ~/.ssh/config ssh reads.
    void MakeKeys(const std::string& sshConfig) {
        std::istringstream answer(server.Command("client-keys"));
        std::string folder;
        answer >> folder;
        std::getline(answer >> std::ws, rightPassphrase);
        keyFolder = WinePath(folder);
        ASSERT_FALSE(rightPassphrase.empty());
        ASSERT_EQ("ok", server.Command("ssh-config " + sshConfig));
    }
    size_t KeySignIns() const {
        return CountOf(SshdLog(), "Accepted publickey for " + server.KeyUser() + " ");
    }

    // Start, and the tunnel reported up, which gives the main window back its title. The
    // status window that shows then, which a Start opens unless one is open still.
    HWND StartAndWaitForTheTunnel() {
        StartAnsweringTheKeyQuestion();
        EXPECT_TRUE(WaitUntil([&] {
            return WindowText(mainWindow) == "Marrowin" && ::IsWindowVisible(mainWindow);
        })) << "not up; ssh printed:\n"
            << SshPrinted();
        EXPECT_EQ("Privacy ON", Label());
        return ShownWindow("Marrowin connection status", 0);
    }

    // The page of the web server behind sshd, fetched through the browser's proxy as the
    // program set it.
    void ExpectThePageThroughTheBrowsersProxy() {
        const std::string proxy = LanProxyServer();
        ASSERT_EQ("127.0.0.1:" + std::to_string(localPort), proxy);
        std::string answer = FetchThroughProxy(localPort, server.WebPort());
        EXPECT_EQ(0u, answer.find("HTTP/1.0 200")) << answer;
        EXPECT_NE(std::string::npos, answer.find(server.Marker())) << answer;
    }

    // The run failed: the tray's balloon says why and, without reconnect, the user is asked
    // what to do; answered "continue unprotected", the browser goes direct. The user then closes
    // the status window, which says that the connection dropped (while it is open, a Quit waits
    // for it).
    void ExpectFailureToldAndAnswer(const std::string& reason) {
        HWND broken = ShownWindow("Marrowin connection broken ....");
        ASSERT_NE(nullptr, broken) << "no drop reported; ssh printed:\n" << SshPrinted();
        EXPECT_TRUE(WaitUntil([&] { return BalloonShows(reason); }, 10000))
            << "balloons shown: " << ::testing::PrintToString(ShownBalloons());
        EXPECT_EQ("Privacy OFF", Label());
        PostClick(broken, IDCANCEL);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(broken) || !::IsWindowVisible(broken); }));
        EXPECT_EQ("direct", LanProxyServer());
        HWND status = ShownWindow("Marrowin connection status", 0);
        ASSERT_NE(nullptr, status);
        EXPECT_NE(std::string::npos, StatusText(status).find("Connection dropped"))
            << StatusText(status);
        PostClick(status, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(status) || !::IsWindowVisible(status); }));
    }

    // The tray's Quit, its question answered Yes. The status window may still be open: the
    // question is the box that asks it.
    void Quit() {
        ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                box = WaitForMessageBox(mainWindow, 0);
                return box && MessageBoxText(box) == "Are you sure you want to quit Marrowin ?";
            },
            10000));
        PostClick(box, IDYES);
        EXPECT_EQ(0u, program->WaitForExit());
    }

    // Nothing of the tunnel runs or listens any more: no plink.exe, no relay, no real ssh.
    void ExpectNothingLeftRunning() {
        EXPECT_TRUE(WaitUntil([&] { return server.RunningSsh() == 0; }, 20000))
            << server.Command("runs");
        EXPECT_TRUE(WaitUntil([&] { return CountProcesses("plink.exe") == 0; }, 20000));
        EXPECT_TRUE(WaitUntil([&] { return CountProcesses("ssh.exe") == 0; }, 20000));
        EXPECT_FALSE(Accepts(localPort));
    }

    // Runs of the real ssh since the test began.
    int SshRunsSinceStart() const { return server.SshRuns() - runsBefore; }
    // What sshd logged, and what the real ssh printed, since the test began.
    std::string SshdLog() const { return server.SshdLog().substr(sshdLogBefore); }
    std::string SshPrinted() const { return server.SshRunsLog().substr(runsLogBefore); }
    size_t SignIns() const {
        return CountOf(SshdLog(), "Accepted password for " + server.User() + " ");
    }
    size_t RefusedPasswords() const {
        return CountOf(SshdLog(), "Failed password for " + server.User() + " ");
    }

    RealSshServer server;
    ScopedVariable relay{"MARROWIN_SSH", RealSshRelayPath().c_str()};
    TempFolder appFolder;
    std::unique_ptr<SessionKey> session;
    std::unique_ptr<MarrowinProcess> program;
    HWND mainWindow = nullptr;
    int localPort = 0;
    int keyQuestions = 0;
    std::string keyFolder;       // the server's "client-keys", as Windows names it
    std::string rightPassphrase; // the passphrase of its "locked" key
    std::string passphrase;      // typed when Marrowin asks for one; empty: not asked
    int passphraseQuestions = 0;
    bool keyKnown = false; // the app folder's known_hosts holds the server's key
    int runsBefore = 0;
    size_t sshdLogBefore = 0;
    size_t runsLogBefore = 0;
};

TEST_F(RealOpenSshTest, TheTunnelCarriesTheBrowsersPagesAndStopAndQuitLeaveNothingRunning) {
    WriteSettings(server.Password(), false);
    ASSERT_NO_FATAL_FAILURE(Launch());

    HWND status = StartAndWaitForTheTunnel();
    ASSERT_NE(nullptr, status);
    EXPECT_TRUE(WaitUntil([&] {
        return StatusText(status).find("Connection esthablished") != std::string::npos;
    })) << StatusText(status);
    ExpectThePageThroughTheBrowsersProxy();
    // The real ssh ran, signed in with the password and set up the forwarding; the password
    // reached it through askpass only.
    const std::string printed = SshPrinted();
    EXPECT_NE(std::string::npos, printed.find("OpenSSH_")) << printed;
    EXPECT_NE(std::string::npos, printed.find("Authenticated to 127.0.0.1")) << printed;
    EXPECT_EQ(std::string::npos, printed.find(server.Password()));
    EXPECT_EQ(1u, SignIns());
    EXPECT_EQ(1, SshRunsSinceStart());
    // One plink.exe, and the relay in ssh.exe's place.
    EXPECT_EQ(1, CountProcesses("plink.exe"));
    EXPECT_EQ(1, CountProcesses("ssh.exe"));

    PostClick(mainWindow, IDC_START);
    EXPECT_TRUE(WaitUntil([&] { return Label() == "Privacy OFF"; }));
    EXPECT_EQ("direct", LanProxyServer());
    ExpectNothingLeftRunning();

    // Quit while the tunnel is up ends it too. The server's key is known now: not asked again.
    StartAndWaitForTheTunnel();
    EXPECT_EQ(1, keyQuestions);
    ExpectThePageThroughTheBrowsersProxy();
    Quit();
    EXPECT_EQ("direct", LanProxyServer());
    ExpectNothingLeftRunning();
}

// An account through ssh itself, on a server whose proxy it never uses: WinINet as Marrowin
// left the system's settings, a CONNECT and headless Chromium each get the page by a name only
// the server can look up, and no DNS query for that name leaves this machine.
TEST_F(RealOpenSshTest, ThroughSshItselfTheServerLooksUpTheNames) {
    WriteSettings(server.Password(), false, "", true);
    ASSERT_NO_FATAL_FAILURE(Launch());
    const std::string proxyRequests = server.Command("proxy-requests");
    HWND status = StartAndWaitForTheTunnel();
    ASSERT_NE(nullptr, status);
    EXPECT_NE(std::string::npos, StatusText(status).find("through SSH itself"));
    ASSERT_EQ("127.0.0.1:" + std::to_string(localPort), LanProxyServer());

    const std::string site = std::string(kServerOnlyHost) + ":" + std::to_string(server.WebPort());
    EXPECT_NE(std::string::npos, FetchWithWinInet("http://" + site + "/").find(server.Marker()));
    EXPECT_NE(std::string::npos, FetchByName(localPort, kServerOnlyHost, server.WebPort(), true)
                                     .find(server.Marker()));
    EXPECT_EQ("ok", server.Command("chromium " + LanProxyServer()));
    EXPECT_EQ(proxyRequests, server.Command("proxy-requests"));
    EXPECT_EQ("0", server.Command("dns-queries"));
    Quit();
    ExpectNothingLeftRunning();
}

TEST_F(RealOpenSshTest, AWrongPasswordIsTriedOnceAndToldInTheBalloon) {
    WriteSettings("not the password", false);
    ASSERT_NO_FATAL_FAILURE(Launch());

    StartAnsweringTheKeyQuestion();
    ExpectFailureToldAndAnswer("The server refused the user name or password of this account.");
    EXPECT_TRUE(WaitUntil([&] { return RefusedPasswords() >= 1; }));
    // One attempt, one run of ssh: nothing tries the password again.
    EXPECT_EQ(1u, RefusedPasswords());
    EXPECT_EQ(1, SshRunsSinceStart());
    Quit();
    ExpectNothingLeftRunning();
}

TEST_F(RealOpenSshTest, ALocalPortHeldByAnotherProgramIsNamedInTheBalloon) {
    WriteSettings(server.Password(), false);
    PortHolder holder(localPort);
    ASSERT_TRUE(holder.IsListening());
    ASSERT_NO_FATAL_FAILURE(Launch());

    StartAnsweringTheKeyQuestion();
    ExpectFailureToldAndAnswer("Local port " + std::to_string(localPort) +
                               " is already in use by another program.");
    // ssh signed in before it found the port taken.
    EXPECT_EQ(1u, SignIns());
    Quit();
    EXPECT_EQ(0, server.RunningSsh());
}

TEST_F(RealOpenSshTest, AChangedHostKeyIsRefusedAndToldInTheBalloon) {
    WriteSettings(server.Password(), true);
    ASSERT_NO_FATAL_FAILURE(Launch());
    // The first connection makes the server's key known: asked, and trusted.
    HWND status = StartAndWaitForTheTunnel();
    ASSERT_NE(nullptr, status);
    PostClick(status, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(status) || !::IsWindowVisible(status); }));
    PostClick(mainWindow, IDC_START);
    ASSERT_TRUE(WaitUntil([&] { return server.RunningSsh() == 0; }));
    const size_t signIns = SignIns();
    const std::string knownHosts = ReadWholeFile(appFolder.File("known_hosts"));

    // The key changes: ssh refuses it, the balloon says so, and Marrowin asks in a box of its own,
    // No by default, whether to trust the new key, naming its fingerprint. No keeps the old key:
    // privacy stays off, nothing asks about reconnecting and, reconnect on, no attempt follows.
    ASSERT_EQ("ok", server.Command("new-host-key"));
    PostClick(mainWindow, IDC_START);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ShownBoxSaying(mainWindow, "listening in")); }))
        << "not asked about the new key; ssh printed:\n"
        << SshPrinted();
    EXPECT_NE(std::string::npos, MessageBoxText(box).find(server.Command("fingerprint")))
        << MessageBoxText(box);
    EXPECT_TRUE(WaitUntil(
        [] {
            return BalloonShows("The server's identity has changed since the last connection, "
                                "so the connection was refused.");
        },
        10000))
        << "balloons shown: " << ::testing::PrintToString(ShownBalloons());
    EXPECT_EQ(BS_DEFPUSHBUTTON, ::GetWindowLongA(::GetDlgItem(box, IDNO), GWL_STYLE) & 0xF);
    PostClick(box, IDNO);
    EXPECT_EQ("Privacy OFF", Label());
    EXPECT_EQ(nullptr, ShownDialog(program->ProcessId(), "Marrowin connection broken ...."));
    HWND dropped = ShownWindow("Marrowin connection status", 0);
    ASSERT_NE(nullptr, dropped);
    EXPECT_TRUE(WaitUntil([&] {
        return StatusText(dropped).find("Retrying cannot mend") != std::string::npos;
    })) << StatusText(dropped);
    PostClick(dropped, IDOK);
    EXPECT_EQ(knownHosts, ReadWholeFile(appFolder.File("known_hosts")));
    EXPECT_NE(std::string::npos, SshPrinted().find("REMOTE HOST IDENTIFICATION HAS CHANGED"));
    // Refused before the password was sent.
    EXPECT_EQ(signIns, SignIns());
    EXPECT_EQ(0u, RefusedPasswords());
    Quit();
}

// The server goes away while the tunnel is up and comes back: with reconnect on, the tunnel
// is up again without the user.
TEST_F(RealOpenSshTest, AServerThatWentAwayAndCameBackGetsTheTunnelBackWithReconnectOn) {
    WriteSettings(server.Password(), true);
    ASSERT_NO_FATAL_FAILURE(Launch());
    HWND status = StartAndWaitForTheTunnel();
    ASSERT_NE(nullptr, status);
    ExpectThePageThroughTheBrowsersProxy();

    ASSERT_EQ("ok", server.Command("stop"));
    // The drop shows in the status window while it is still open (it closes ten seconds after
    // the tunnel came up).
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::string text = StatusText(status);
            return text.find("Connection dropped") != std::string::npos &&
                   text.find("Reconnect is ON. Attempting reconnect") != std::string::npos;
        },
        8000))
        << StatusText(status);

    // The sequence's first attempt, ten seconds after the drop, finds no server; the status
    // window stays open and shows the attempts.
    const int runsAtDrop = server.SshRuns();
    ASSERT_TRUE(WaitUntil([&] { return server.SshRuns() > runsAtDrop; }, 30000));
    EXPECT_TRUE(WaitUntil(
        [&] { return StatusText(status).find("Reconnection retry no.") != std::string::npos; },
        10000))
        << StatusText(status);
    ASSERT_TRUE(WaitUntil([&] { return server.RunningSsh() == 0; }, 20000));
    EXPECT_NE(std::string::npos, SshPrinted().find("Connection refused"));

    // Back: a later attempt brings the tunnel up again.
    ASSERT_EQ("ok", server.Command("start"));
    EXPECT_TRUE(
        WaitUntil([&] { return Label() == "Privacy ON" && server.RunningSsh() == 1; }, 40000));
    EXPECT_TRUE(WaitUntil([&] { return Accepts(localPort); }));
    ExpectThePageThroughTheBrowsersProxy();
    EXPECT_EQ(2u, SignIns());

    // A failed attempt of the sequence opens no window of its own.
    EXPECT_EQ(nullptr, ShownDialog(program->ProcessId(), "Marrowin connection broken ...."));
    EXPECT_EQ("Privacy ON", Label());
    Quit();
    EXPECT_EQ("direct", LanProxyServer());
    ExpectNothingLeftRunning();
}

// Key files: a key without a passphrase signs in, connection sharing asked for in ~/.ssh/config
// changes nothing (the command line wins); a locked key's passphrase is asked once by Marrowin,
// and a reconnect after the server went away uses it without asking again.
TEST_F(RealOpenSshTest, KeyFilesSignInAndAPassphraseIsAskedOnceARun) {
    ASSERT_NO_FATAL_FAILURE(MakeKeys("sharing"));
    WriteSettings("", true, "plain");
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_NE(nullptr, StartAndWaitForTheTunnel());
    ExpectThePageThroughTheBrowsersProxy();
    EXPECT_EQ(1u, KeySignIns());
    PostClick(mainWindow, IDC_START);
    ASSERT_TRUE(WaitUntil([&] { return Label() == "Privacy OFF" && server.RunningSsh() == 0; }));

    WriteSettings("", true, "locked");
    passphrase = rightPassphrase;
    ASSERT_NE(nullptr, StartAndWaitForTheTunnel());
    ExpectThePageThroughTheBrowsersProxy();
    EXPECT_EQ(2u, KeySignIns());
    EXPECT_EQ(std::string::npos, SshPrinted().find(rightPassphrase));
    EXPECT_EQ(std::string::npos, ReadWholeFile(appFolder.File("log.txt")).find(rightPassphrase));

    ASSERT_EQ("ok", server.Command("stop"));
    ASSERT_TRUE(WaitUntil([&] { return Label() == "Privacy OFF"; }, 20000));
    ASSERT_EQ("ok", server.Command("start"));
    EXPECT_TRUE(WaitUntil([&] { return Label() == "Privacy ON" && KeySignIns() == 3; }, 60000))
        << "ssh printed:\n"
        << SshPrinted();
    EXPECT_EQ(1, passphraseQuestions);
    EXPECT_EQ(nullptr, ShownDialog(program->ProcessId(), "Passphrase of the key file"));
    Quit();
    ExpectNothingLeftRunning();
}

// What a key cannot do is tried once and told in ssh's own words: a wrong passphrase (asked
// again at the next Start, whose Cancel starts nothing), a key the server does not know, and a
// ~/.ssh/config that ssh cannot read, with its file and line.
TEST_F(RealOpenSshTest, AKeyThatCannotSignInIsTriedOnceAndToldInTheBalloon) {
    ASSERT_NO_FATAL_FAILURE(MakeKeys("none"));
    WriteSettings("", false, "locked");
    ASSERT_NO_FATAL_FAILURE(Launch());
    passphrase = "not the passphrase";
    StartAnsweringTheKeyQuestion();
    ExpectFailureToldAndAnswer("The passphrase of the key file was not accepted.");
    EXPECT_EQ(1, SshRunsSinceStart());

    PostClick(mainWindow, IDC_START);
    HWND asked = ShownWindow("Passphrase of the key file", 10000);
    ASSERT_NE(nullptr, asked) << "not asked again after a wrong passphrase";
    PostClick(asked, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(asked); }, 10000));
    EXPECT_EQ("Privacy OFF", Label());
    EXPECT_EQ(1, SshRunsSinceStart());

    passphrase.clear();
    WriteSettings("", false, "stranger");
    StartAnsweringTheKeyQuestion();
    ExpectFailureToldAndAnswer("The server refused the key of this account.");
    ASSERT_EQ("ok", server.Command("ssh-config bad"));
    WriteSettings("", false, "plain");
    StartAnsweringTheKeyQuestion();
    ExpectFailureToldAndAnswer("ssh could not read its configuration: ");
    EXPECT_TRUE(BalloonShows(".ssh/config: line 3: Bad configuration option: nosuchoption"))
        << ::testing::PrintToString(ShownBalloons());
    EXPECT_EQ(3, SshRunsSinceStart());
    EXPECT_EQ(0u, KeySignIns());
    Quit();
    ExpectNothingLeftRunning();
}

} // namespace
