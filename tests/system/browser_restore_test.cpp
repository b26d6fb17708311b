// What a connection held before it was pointed at the tunnel, recorded and given back, against
// the real WinINet options and registry under Wine.
#include "framework/application.h"
#include "framework/owners.h"
#include "system/browser_restore.h"
#include "system/browser_settings.h"

#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The repair command at logon; "<none>" while there is none.
std::string RunOnceEntry() {
    char text[1024] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueA(HKEY_CURRENT_USER, kRunOnceKey, kBrowserRepairEntry, RRF_RT_REG_SZ, nullptr,
                       text, &size) != ERROR_SUCCESS)
        return "<none>";
    return text;
}

ConnectionSettings LanSettings() {
    ConnectionSettings lan;
    EXPECT_TRUE(ReadConnectionSettings("", lan));
    return lan;
}

// Wine keeps of a connection only whether a proxy is on and its server: no bypass list, no
// configuration script, and the direct flag not beside the proxy flag.
void ExpectLan(const ConnectionSettings& expected) {
    ConnectionSettings lan = LanSettings();
    EXPECT_EQ(lan.flags & PROXY_TYPE_PROXY, expected.flags & PROXY_TYPE_PROXY);
    EXPECT_EQ(lan.proxyServer, expected.proxyServer);
}

TEST(BrowserRestore, SettingBackGivesTheConnectionWhatItHeldAndRunOnceHoldsTheRepairMeanwhile) {
    const DWORD proxy = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
    const ConnectionSettings direct = {PROXY_TYPE_DIRECT, "", "", ""};
    const struct {
        const char* what;
        ConnectionSettings before;
        ConnectionSettings after;
    } cases[] = {
        {"no proxy", direct, direct},
        {"a company proxy", {proxy, "proxy.corp:8080", "*.corp", ""},
         {proxy, "proxy.corp:8080", "*.corp", ""}},
        {"a server kept while the proxy is off", {PROXY_TYPE_DIRECT, "old:1", "x", ""}, direct},
        {"a dead tunnel of an earlier run", {proxy, "127.0.0.1:50000", "local", ""}, direct},
    };
    const std::string repair =
        "\"" + fw::ExecutableFolder() + "\\Marrowin.exe\" " + kRepairBrowserSwitch;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ApplyConnectionSettings("", c.before));
        BrowserProxy browser;
        browser.Set("", "50005", true);
        EXPECT_EQ(LanSettings().proxyServer, "127.0.0.1:50005");
        EXPECT_EQ(RunOnceEntry(), repair);
        // Pointed again (a reconnect): what the user had is not overwritten by the tunnel.
        browser.Set("", "50006", true);
        browser.Set("", "", false);
        ExpectLan(c.after);
        EXPECT_EQ(RunOnceEntry(), "<none>");
    }
}

// A record left behind by a run that did not clean up, and one edited by hand into nonsense.
TEST(BrowserRestore, ALeftBehindRecordIsGivenBackAndABrokenOneOnlyGoes) {
    const std::string records = kBrowserRestoreKey;
    const char server[] = "proxy.corp:3128";
    const DWORD flags = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, (records + "\\0").c_str(), "Connection", REG_SZ,
                                "", 1),
              ERROR_SUCCESS);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, (records + "\\0").c_str(), "Flags", REG_DWORD, &flags,
                      sizeof(flags));
    ::RegSetKeyValueA(HKEY_CURRENT_USER, (records + "\\0").c_str(), "ProxyServer", REG_SZ, server,
                      sizeof(server));
    ::RegSetKeyValueA(HKEY_CURRENT_USER, (records + "\\7").c_str(), "Flags", REG_SZ, "??", 3);
    ASSERT_TRUE(SetConnectionProxy("", "50007", true));

    BrowserRestore().GiveBackAll();

    ExpectLan({flags, server, "", ""});
    fw::RegKey gone;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, kBrowserRestoreKey, 0, KEY_READ, gone.Receive()),
              ERROR_SUCCESS);
    ASSERT_TRUE(SetConnectionProxy("", "", false));
}

} // namespace
