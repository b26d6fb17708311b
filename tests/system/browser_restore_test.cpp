// What a connection held before it was pointed at the tunnel, recorded and given back, against
// the real WinINet options and registry under Wine.
#include "framework/application.h"
#include "logic/bypass_list.h"
#include "support/browser_proxy.h"
#include "system/browser_restore.h"
#include "system/browser_settings.h"

#include <wininet.h>

#include <gtest/gtest.h>

namespace {

TEST(BrowserRestore, SettingBackGivesTheConnectionWhatItHeldAndRunOnceHoldsTheRepairMeanwhile) {
    const DWORD proxy = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
    const ConnectionSettings direct = {PROXY_TYPE_DIRECT, "", "", ""};
    const ConnectionSettings company = {proxy, "proxy.corp:8080", "*.corp", ""};
    const ConnectionSettings deadTunnel = {proxy, "127.0.0.1:50000", "local", ""};
    const struct {
        const char* what;
        bool pointed; // false: only set back, as Stop does with the browser option off
        ConnectionSettings before;
        ConnectionSettings after;
    } cases[] = {
        {"no proxy", true, direct, direct},
        {"a company proxy", true, company, company},
        {"a server and bypass list kept while the proxy is off",
         true,
         {PROXY_TYPE_DIRECT, "old:1", " intranet;;*.corp ", ""},
         {PROXY_TYPE_DIRECT, "old:1", " intranet;;*.corp ", ""}},
        {"a dead tunnel of an earlier run", true, deadTunnel, direct},
        {"a company proxy never pointed", false, company, company},
        {"a dead tunnel never recorded", false, deadTunnel, direct},
    };
    const std::string repair =
        "\"" + fw::ExecutableFolder() + "\\Marrowin.exe\" " + kRepairBrowserSwitch;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ApplyConnectionSettings("", c.before));
        BrowserProxy browser;
        if (c.pointed) {
            browser.Set("", "50005", true);
            EXPECT_EQ(LanProxyServer(), "127.0.0.1:50005");
            // Our entry first, then the user's own.
            EXPECT_EQ(QueryProxy("").bypass, MergeBypass("local", c.after.proxyBypass));
            EXPECT_EQ(RunOnceRepairCommand(), repair);
            // Pointed again (a reconnect): what the user had is not overwritten by the tunnel.
            browser.Set("", "50006", true);
        }
        browser.Set("", "", false);
        // The user's own settings come back byte for byte.
        ConnectionSettings now;
        ASSERT_TRUE(ReadConnectionSettings("", now));
        EXPECT_EQ(now.flags & PROXY_TYPE_PROXY, c.after.flags & PROXY_TYPE_PROXY);
        EXPECT_EQ(now.proxyServer, c.after.proxyServer);
        EXPECT_EQ(now.proxyBypass, c.after.proxyBypass);
        EXPECT_EQ(RunOnceRepairCommand(), "");
    }
}

} // namespace
