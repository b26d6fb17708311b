// Marrowin.exe as a process leaves no connection pointed at its tunnel: at the end of the
// Windows session, and after a power loss at the next logon or start. The user's own proxy
// comes back each time.
#include "framework/owners.h"
#include "resource.h"
#include "settings/password_scrambling.h"
#include "support/browser_proxy.h"
#include "support/marrowin_process.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "system/connection_settings.h"

#include <wininet.h>

#include <gtest/gtest.h>

namespace {

const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kCompanyProxy[] = "proxy.corp:8080";
const char kTunnel[] = "127.0.0.1:50010";

class BrowserRepairTest : public ::testing::Test {
protected:
    // An account whose client (the stand-in) reports the tunnel up and waits to be stopped,
    // the browser's proxy at the tunnel's port, and the company's proxy on the LAN.
    void SetUp() override {
        ASSERT_TRUE(CopyStandInTo(folder.Path()));
        WriteStandInScript(folder.Path(), {"post WM_QV_CON_ESTH", "wait-quit"});
        ASSERT_TRUE(ApplyConnectionSettings(
            "", {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, kCompanyProxy, "", ""}));
    }
    void TearDown() override { SetConnectionProxy("", "", false); }

    void WriteSettings(bool autostart, bool browserOption) {
        WriteWholeFile(folder.File("Marrowin.ini"),
                       "[tunnel]\r\nservers=acct,\r\ndefault=acct\r\n[acct]\r\nusername=joe\r\n"
                       "password=" + ScramblePassword("pw") + "\r\n[IE]\r\nproxyport=50010\r\n"
                       "setIEproxy=" + (browserOption ? "1" : "0") + "\r\n[Main]\r\nautostart=" +
                           (autostart ? "1" : "0") + "\r\n");
    }

    TempFolder folder;
};

TEST_F(BrowserRepairTest, TheEndOfTheSessionStopsTheClientAndSetsTheBrowserBackWithoutABox) {
    WriteSettings(true, true);
    MarrowinProcess program(folder.Path());
    ASSERT_TRUE(program.Start());
    HWND mainWindow = WaitForTopLevelDialog(program.ProcessId(), "Marrowin");
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_TRUE(WaitForLanProxy(kTunnel));
    ASSERT_EQ(CountProcesses("plink.exe"), 1);

    EXPECT_EQ(::SendMessageA(mainWindow, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    ::SendMessageA(mainWindow, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(LanProxyServer(), kCompanyProxy);
    EXPECT_EQ(CountProcesses("plink.exe"), 0);
    // A box would keep it from ending.
    EXPECT_EQ(program.WaitForExit(), 0u);
}

// A power loss, as a job that ends Marrowin, its guard and its client together leaves it: the
// browser still points at the tunnel. The logon's repair command, or the next start with the
// browser option off, sets the company's proxy back and leaves no repair command.
TEST_F(BrowserRepairTest, AfterAPowerLossTheLogonOrTheNextStartSetsTheBrowserBack) {
    for (bool byLogon : {true, false}) {
        SCOPED_TRACE(byLogon ? "logon" : "next start");
        WriteSettings(false, false);
        {
            MarrowinProcess program(folder.Path());
            ASSERT_TRUE(program.Start());
            HWND mainWindow = WaitForTopLevelDialog(program.ProcessId(), "Marrowin");
            ASSERT_NE(mainWindow, nullptr);
            fw::KernelHandle machine(::CreateJobObjectA(nullptr, nullptr));
            fw::KernelHandle process(
                ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, program.ProcessId()));
            ASSERT_TRUE(::AssignProcessToJobObject(machine, process));
            ::PostMessageA(::GetDlgItem(mainWindow, IDC_USE_IE_PROXY), BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitForLanProxy(kTunnel));
            ASSERT_TRUE(::TerminateJobObject(machine, 1));
            program.WaitForExit();
        }
        ASSERT_EQ(CountProcesses("Marrowin.exe"), 0);
        ASSERT_EQ(LanProxyServer(), kTunnel);

        char command[1024] = {};
        DWORD size = sizeof(command);
        ASSERT_EQ(::RegGetValueA(HKEY_CURRENT_USER, kRunOnceKey, "MarrowinBrowserRepair",
                                 RRF_RT_REG_SZ, nullptr, command, &size),
                  ERROR_SUCCESS);
        if (byLogon) {
            STARTUPINFOA startup = {};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION started = {};
            ASSERT_TRUE(::CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr,
                                         nullptr, &startup, &started));
            fw::ProcessHandles repair(started);
            EXPECT_EQ(::WaitForSingleObject(repair.Process(), 20000), WAIT_OBJECT_0);
            EXPECT_EQ(LanProxyServer(), kCompanyProxy);
        } else {
            WriteSettings(false, false);
            MarrowinProcess program(folder.Path());
            ASSERT_TRUE(program.Start());
            ASSERT_NE(WaitForTopLevelDialog(program.ProcessId(), "Marrowin"), nullptr);
            EXPECT_EQ(LanProxyServer(), kCompanyProxy);
        }
        EXPECT_NE(::RegGetValueA(HKEY_CURRENT_USER, kRunOnceKey, "MarrowinBrowserRepair",
                                 RRF_RT_REG_SZ, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
    }
}

} // namespace
