// Marrowin.exe as a process leaves no connection pointed at its tunnel and nothing running:
// killed, at the end of the Windows session, and after a power loss at the next logon or start.
// The user's own proxy comes back each time.
#include "logic/password_scrambling.h"
#include "owners/owners.h"
#include "resource.h"
#include "support/browser_proxy.h"
#include "support/loopback.h"
#include "support/marrowin_process.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "system/browser_restore.h"
#include "system/connection_settings.h"

#include <wininet.h>

#include <gtest/gtest.h>

namespace {

const char kCompanyProxy[] = "proxy.corp:8080";
const char kTunnel[] = "127.0.0.1:50010";

bool LanBecomes(const std::string& server) {
    return PumpMessagesUntil([&] { return LanProxyServer() == server; }, 20000);
}

// The stand-in client reports the tunnel up and waits; the company's proxy is on the LAN.
class BrowserRepairTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyStandInTo(folder.Path()));
        WriteStandInScript(folder.Path(), {"post WM_QV_CON_ESTH", "wait-quit"});
        ASSERT_TRUE(ApplyConnectionSettings(
            "", {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, kCompanyProxy, "", ""}));
    }
    void TearDown() override { SetConnectionProxy("", "", false); }

    HWND Launch(MarrowinProcess& program, bool autostart, bool browserOption) {
        WriteWholeFile(folder.File("Marrowin.ini"),
                       "[tunnel]\r\nservers=acct,\r\ndefault=acct\r\n[acct]\r\npassword=" +
                           ScramblePassword("pw") + "\r\n[IE]\r\nproxyport=50010\r\nsetIEproxy=" +
                           (browserOption ? "1" : "0") + "\r\n[Main]\r\nautostart=" +
                           (autostart ? "1" : "0") + "\r\n");
        return program.Start() ? WaitForTopLevelDialog(program.ProcessId(), "Marrowin") : nullptr;
    }

    TempFolder folder;
};

TEST_F(BrowserRepairTest, KilledOrAtTheEndOfTheSessionNothingIsLeftAndTheUsersProxyComesBack) {
    for (bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "killed" : "end of the session");
        MarrowinProcess program(folder.Path());
        HWND mainWindow = Launch(program, true, true);
        ASSERT_NE(mainWindow, nullptr);
        ASSERT_TRUE(LanBecomes(kTunnel));
        ASSERT_EQ(CountProcesses("plink.exe"), 1);
        if (killed) {
            fw::KernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, program.ProcessId()));
            ASSERT_TRUE(::TerminateProcess(process, 1));
        } else {
            EXPECT_EQ(::SendMessageA(mainWindow, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
            ::SendMessageA(mainWindow, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            EXPECT_EQ(LanProxyServer(), kCompanyProxy);
            // A box would keep it from ending.
            EXPECT_EQ(program.WaitForExit(), 0u);
        }
        EXPECT_TRUE(LanBecomes(kCompanyProxy));
        EXPECT_TRUE(PumpMessagesUntil([] {
            return CountProcesses("plink.exe") + CountProcesses("Marrowin.exe") == 0;
        }, 20000)) << "the client or the guard outlived Marrowin";
        EXPECT_EQ(RunOnceRepairCommand(), "");
    }
}

// Another program (this test) points the LAN elsewhere while the tunnel runs: it is pointed back,
// with the user's bypass entries after ours, and what the other program wrote is what Stop gives
// back. The third take within a minute is left standing, and the balloon says so. (It names
// the program listening at a proxy on this machine where Windows tells it; Wine does not.)
TEST_F(BrowserRepairTest, TheGuardPointsTheBrowserBackUntilAnotherProgramTakesItThreeTimes) {
    const DWORD proxy = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
    ASSERT_TRUE(ApplyConnectionSettings("", {proxy, kCompanyProxy, "*.corp; intranet", ""}));
    MarrowinProcess program(folder.Path());
    HWND mainWindow = Launch(program, true, true);
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_TRUE(LanBecomes(kTunnel));
    EXPECT_EQ(QueryProxy("").bypass, "local;*.corp;intranet");

    const ConnectionSettings other = {proxy, "other.example:3128", " other;;", ""};
    ASSERT_TRUE(ApplyConnectionSettings("", other));
    EXPECT_TRUE(LanBecomes(kTunnel)) << "the first take";
    EXPECT_EQ(QueryProxy("").bypass, "local;other");
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    ASSERT_TRUE(LanBecomes(other.proxyServer));
    EXPECT_EQ(QueryProxy("").bypass, other.proxyBypass) << "Stop gives back what it wrote";

    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    ASSERT_TRUE(LanBecomes(kTunnel));
    ASSERT_TRUE(ApplyConnectionSettings("", other));
    EXPECT_TRUE(LanBecomes(kTunnel)) << "the second take";
    // The third, for a proxy of this test's own on this machine.
    sockaddr_in address = Loopback(0);
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    int length = sizeof(address);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string mine = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    ASSERT_TRUE(ApplyConnectionSettings("", {proxy, mine, "", ""}));
    EXPECT_TRUE(PumpMessagesUntil(
        [] { return BalloonShows("Another program keeps changing the browser's proxy settings"); },
        10000))
        << ::testing::PrintToString(ShownBalloons());
    EXPECT_EQ(LanProxyServer(), mine);
    ::closesocket(listener);
    // Ended by force with the status window open: the repair gives back the last take.
    fw::KernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, program.ProcessId()));
    ASSERT_TRUE(::TerminateProcess(process, 1));
    program.WaitForExit();
    EXPECT_TRUE(PumpMessagesUntil([] { return CountProcesses("Marrowin.exe") == 0; }, 20000));
    EXPECT_EQ(LanProxyServer(), mine);
}

// A power loss, as a job that ends Marrowin, its guard and its client together leaves it: the
// browser still points at the tunnel. The logon's repair command, or the next start with the
// browser option off, sets the company's proxy back and leaves no repair command. A repair that
// cannot remove the record (something else put a key under it) gives back once, says so in the
// log and ends: no guard follows it, and no repair waits for the next logon.
TEST_F(BrowserRepairTest, AfterAPowerLossTheLogonOrTheNextStartSetsTheBrowserBack) {
    const std::string stuckKey = std::string(kBrowserRestoreKey) + "\\0\\stuck";
    const struct {
        const char* name;
        bool byLogon;
        bool stuck;
    } cases[] = {{"logon", true, false}, {"next start", false, false}, {"stuck record", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            MarrowinProcess program(folder.Path());
            HWND mainWindow = Launch(program, false, false);
            ASSERT_NE(mainWindow, nullptr);
            fw::KernelHandle machine(::CreateJobObjectA(nullptr, nullptr));
            fw::KernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, program.ProcessId()));
            ASSERT_TRUE(::AssignProcessToJobObject(machine, process));
            ::PostMessageA(::GetDlgItem(mainWindow, IDC_USE_IE_PROXY), BM_CLICK, 0, 0);
            ASSERT_TRUE(LanBecomes(kTunnel));
            ASSERT_TRUE(::TerminateJobObject(machine, 1));
            program.WaitForExit();
        }
        ASSERT_EQ(CountProcesses("Marrowin.exe"), 0);
        ASSERT_EQ(LanProxyServer(), kTunnel);
        std::string command = RunOnceRepairCommand();
        ASSERT_NE(command, "");
        fw::RegKey stuck;
        if (c.stuck) {
            ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, stuckKey.c_str(), 0, nullptr, 0,
                                        KEY_WRITE, nullptr, stuck.Receive(), nullptr),
                      ERROR_SUCCESS);
        }
        DeleteFileIfPresent(folder.File("log.txt"));

        MarrowinProcess program(folder.Path());
        if (c.byLogon) {
            STARTUPINFOA startup = {};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION started = {};
            ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0,
                                         nullptr, nullptr, &startup, &started));
            fw::ProcessHandles repair(started);
            EXPECT_EQ(::WaitForSingleObject(repair.Process(), 20000), WAIT_OBJECT_0);
        } else {
            ASSERT_NE(Launch(program, false, false), nullptr);
        }
        EXPECT_EQ(LanProxyServer(), kCompanyProxy);
        EXPECT_EQ(RunOnceRepairCommand(), "");
        if (c.stuck) {
            ::Sleep(1000);
            EXPECT_EQ(CountProcesses("Marrowin.exe"), 0) << "a guard followed the repair";
            EXPECT_NE(ReadWholeFile(folder.File("log.txt")).find("could not be removed"),
                      std::string::npos);
            ::RegDeleteTreeA(HKEY_CURRENT_USER, kBrowserRestoreKey);
        }
    }
}

} // namespace
