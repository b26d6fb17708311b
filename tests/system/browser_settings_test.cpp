// The browser settings against the real WinINet options and registry under Wine: the proxy
// read back per connection, the zone values in every zone key, the check boxes of the main
// window and the reset at quit.
#include "system/browser_settings.h"

#include "resource.h"
#include "support/browser_proxy.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"
#include "system/registry_reader.h"
#include "ui/main_window.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const char kZones[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\";
const char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

bool ReadDword(HKEY root, const std::string& path, const char* name, DWORD& value) {
    DWORD type = 0, size = sizeof(value);
    return ::RegGetValueA(root, path.c_str(), name, RRF_RT_ANY, &type, &value, &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

DWORD ZoneDword(int zone, const char* name) {
    DWORD value = 0xDEAD;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kZones + std::to_string(zone), name, value))
        << zone << " " << name;
    return value;
}

std::vector<BYTE> ZoneBinary(int zone, const char* name) {
    BYTE data[16] = {};
    DWORD type = 0, size = sizeof(data);
    std::string path = kZones + std::to_string(zone);
    if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, &type, data, &size) !=
            ERROR_SUCCESS ||
        type != REG_BINARY)
        return {};
    return std::vector<BYTE>(data, data + size);
}

bool ZoneExists(int zone) {
    HKEY key;
    std::string path = kZones + std::to_string(zone);
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void SetZoneDword(int zone, const char* name, DWORD value) {
    std::string path = kZones + std::to_string(zone);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), name, REG_DWORD, &value, sizeof(value));
}

// Zones 1 and 3 are removed for a test and made again (empty) afterwards, so that the writes
// are seen to skip missing zones without creating them.
class MissingZones {
public:
    MissingZones() {
        for (int zone : {1, 3})
            ::RegDeleteTreeA(HKEY_CURRENT_USER, (kZones + std::to_string(zone)).c_str());
    }
    ~MissingZones() {
        for (int zone : {1, 3}) {
            HKEY key;
            if (::RegCreateKeyA(HKEY_CURRENT_USER, (kZones + std::to_string(zone)).c_str(), &key) ==
                ERROR_SUCCESS)
                ::RegCloseKey(key);
        }
    }
};

const std::vector<BYTE> kJavaOff = {0, 0, 0, 0};
const std::vector<BYTE> kJavaRestored = {0, 0, 2, 0};

TEST(ConnectionProxy, TheLanIsPointedAtTheTunnelAndBackToDirect) {
    ASSERT_TRUE(SetConnectionProxy("", "50000", true));
    // Wine reports the proxy flag alone and keeps no bypass list; Windows reports both flags
    // and "local".
    ConnectionProxy on = QueryProxy("");
    EXPECT_TRUE(on.flags & PROXY_TYPE_PROXY);
    EXPECT_EQ(on.server, "127.0.0.1:50000");
    // What the browser reads back from the user's settings.
    DWORD enabled = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", enabled));
    EXPECT_EQ(enabled, 1u);
    char server[64] = {};
    DWORD size = sizeof(server);
    EXPECT_EQ(::RegGetValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", RRF_RT_REG_SZ,
                             nullptr, server, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(server, "127.0.0.1:50000");

    ASSERT_TRUE(SetConnectionProxy("", "50000", false));
    ConnectionProxy off = QueryProxy("");
    EXPECT_EQ(off.flags, static_cast<DWORD>(PROXY_TYPE_DIRECT));
    EXPECT_EQ(off.server, "");
    EXPECT_EQ(off.bypass, "");
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", enabled));
    EXPECT_EQ(enabled, 0u);
}

TEST(ConnectionProxy, AMissingPortStillSetsTheLoopbackAddress) {
    ASSERT_TRUE(SetConnectionProxy("", "", true));
    EXPECT_EQ(QueryProxy("").server, "127.0.0.1:");
    SetConnectionProxy("", "", false);
}

TEST(SecurityZones, ActiveXIsSwitchedOffAndRestoredToFixedValuesInEveryZone) {
    for (int zone = 0; zone < 5; ++zone) {
        SetZoneDword(zone, "1200", 1);
        SetZoneDword(zone, "1201", 0);
    }
    RegistryReader registry;
    registry.DisableActiveX();
    for (int zone = 0; zone < 5; ++zone) {
        EXPECT_EQ(ZoneDword(zone, "1200"), 3u) << zone;
        EXPECT_EQ(ZoneDword(zone, "1201"), 3u) << zone;
    }
    registry.RestoreActiveX();
    for (int zone = 0; zone < 5; ++zone) {
        EXPECT_EQ(ZoneDword(zone, "1200"), 0u) << zone;
        EXPECT_EQ(ZoneDword(zone, "1201"), 1u) << zone;
    }
}

TEST(SecurityZones, JavaAndScriptingAreSwitchedOffAndRestoredInEveryZone) {
    RegistryReader registry;
    registry.SetJavaDisabled(1);
    for (int zone = 0; zone < 5; ++zone) {
        for (const char* name : {"1400", "1605", "1402"})
            EXPECT_EQ(ZoneDword(zone, name), 3u) << zone << " " << name;
        EXPECT_EQ(ZoneBinary(zone, "1C00"), kJavaOff) << zone;
    }
    registry.SetJavaDisabled(0);
    for (int zone = 0; zone < 5; ++zone) {
        for (const char* name : {"1400", "1605", "1402"})
            EXPECT_EQ(ZoneDword(zone, name), 0u) << zone << " " << name;
        EXPECT_EQ(ZoneBinary(zone, "1C00"), kJavaRestored) << zone;
    }
}

TEST(SecurityZones, MissingZoneKeysStayMissing) {
    MissingZones missing;
    RegistryReader registry;
    registry.DisableActiveX();
    registry.SetJavaDisabled(1);
    registry.RestoreActiveX();
    registry.SetJavaDisabled(0);
    EXPECT_FALSE(ZoneExists(1));
    EXPECT_FALSE(ZoneExists(3));
    EXPECT_EQ(ZoneDword(0, "1201"), 1u);
    EXPECT_EQ(ZoneDword(4, "1605"), 0u);
}

TEST(RegistryProxy, ResetWritesNoProxyAndAnEmptyServer) {
    std::string on = "127.0.0.1:8080";
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", REG_SZ, on.c_str(),
                      static_cast<DWORD>(on.size() + 1));
    DWORD one = 1;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", REG_DWORD, &one,
                      sizeof(one));

    RegistryReader().ResetRegistryProxy();

    DWORD enabled = 1;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", enabled));
    EXPECT_EQ(enabled, 0u);
    char server[64] = "x";
    DWORD type = 0, size = sizeof(server);
    ASSERT_EQ(::RegGetValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", RRF_RT_ANY, &type,
                             server, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 1u);
    EXPECT_STREQ(server, "");
}

class BrowserOptionsTest : public MainWindowFixture {
protected:
    void Start(const std::string& settings) {
        files.WriteSettings(settings);
        StartWindow(settings);
    }
};

TEST_F(BrowserOptionsTest, TheProxyBoxPointsTheLanAtTheStoredPortAndBack) {
    Start("[IE]\r\nproxyPort=50001\r\nconnectionType=1\r\nconnectionName=DialUp\r\n");
    Toggle(IDC_USE_IE_PROXY);
    EXPECT_EQ(Setting("IE", "setIEproxy"), "1");
    ConnectionProxy on = QueryProxy("");
    EXPECT_EQ(on.server, "127.0.0.1:50001");
    EXPECT_TRUE(on.flags & PROXY_TYPE_PROXY);

    Toggle(IDC_USE_IE_PROXY);
    EXPECT_EQ(Setting("IE", "setIEproxy"), "0");
    EXPECT_EQ(QueryProxy("").flags, static_cast<DWORD>(PROXY_TYPE_DIRECT));
}

TEST_F(BrowserOptionsTest, StartUpWithTheProxyOptionPointsTheBrowserAtTheTunnel) {
    SetConnectionProxy("", "", false);
    Start("[IE]\r\nsetIEproxy=1\r\nproxyport=50002\r\n");
    EXPECT_EQ(QueryProxy("").server, "127.0.0.1:50002");
    SetConnectionProxy("", "", false);
}

TEST_F(BrowserOptionsTest, StartUpWithTheProxyOptionButNoPortLeavesTheBrowserAlone) {
    // A port that is no port number counts as none: it never reaches the browser.
    for (const char* port : {"", "abc;rm -rf /", "0", "65536"}) {
        SetConnectionProxy("", "", false);
        Start("[IE]\r\nsetIEproxy=1\r\nproxyport=" + std::string(port) + "\r\n");
        EXPECT_EQ(QueryProxy("").flags, static_cast<DWORD>(PROXY_TYPE_DIRECT)) << port;
    }
}

TEST_F(BrowserOptionsTest, TheActiveContentBoxesWriteTheSettingsAndTheZones) {
    Start("");
    Toggle(IDC_NO_ACTIVEX);
    EXPECT_EQ(Setting("IE", "NoActiveContent"), "1");
    EXPECT_EQ(ZoneDword(2, "1200"), 3u);
    Toggle(IDC_NO_JAVA);
    EXPECT_EQ(Setting("IE", "NoJavascript"), "1");
    EXPECT_EQ(ZoneDword(2, "1400"), 3u);

    // Custom values in between are not kept: unchecking writes the fixed ones.
    SetZoneDword(2, "1201", 0);
    Toggle(IDC_NO_ACTIVEX);
    EXPECT_EQ(Setting("IE", "noactivecontent"), "0");
    EXPECT_EQ(ZoneDword(2, "1200"), 0u);
    EXPECT_EQ(ZoneDword(2, "1201"), 1u);
    Toggle(IDC_NO_JAVA);
    EXPECT_EQ(Setting("IE", "noJavascript"), "0");
    EXPECT_EQ(ZoneBinary(2, "1C00"), kJavaRestored);
}

TEST_F(BrowserOptionsTest, StartUpAppliesTheStoredActiveContentOptions) {
    RegistryReader().RestoreActiveX();
    RegistryReader().SetJavaDisabled(0);
    Start("[IE]\r\nnoactivecontent=1\r\nnoJavascript=1\r\n");
    EXPECT_EQ(ZoneDword(0, "1200"), 3u);
    EXPECT_EQ(ZoneDword(0, "1605"), 3u);
    EXPECT_EQ(ZoneBinary(4, "1C00"), kJavaOff);
}

TEST_F(BrowserOptionsTest, QuitRestoresTheBrowserWhateverTheBoxesSay) {
    Start("[IE]\r\nnoactivecontent=1\r\nnoJavascript=1\r\n");
    DWORD one = 1;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", REG_DWORD, &one,
                      sizeof(one));
    user.AnswerNextBox(IDYES);
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    EXPECT_EQ(window->Result(), IDCANCEL);
    for (int zone = 0; zone < 5; ++zone) {
        EXPECT_EQ(ZoneDword(zone, "1200"), 0u);
        EXPECT_EQ(ZoneDword(zone, "1201"), 1u);
        EXPECT_EQ(ZoneDword(zone, "1400"), 0u);
        EXPECT_EQ(ZoneBinary(zone, "1C00"), kJavaRestored);
    }
    DWORD enabled = 1;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", enabled));
    EXPECT_EQ(enabled, 0u);
    // The boxes themselves are remembered as they were.
    EXPECT_EQ(Setting("IE", "noactivecontent"), "1");
}

// Privacy off, the option on: start-up pointed the LAN at the tunnel, and Quit points it back.
TEST_F(BrowserOptionsTest, QuitSetsTheConnectionsPointedAtTheTunnelBackToDirect) {
    SetConnectionProxy("", "", false);
    Start("[IE]\r\nsetIEproxy=1\r\nproxyport=50004\r\n");
    ASSERT_EQ(QueryProxy("").server, "127.0.0.1:50004");
    ASSERT_EQ(window->Proxy().Pointed().size(), 1u);
    user.AnswerNextBox(IDYES);
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    EXPECT_EQ(QueryProxy("").flags, static_cast<DWORD>(PROXY_TYPE_DIRECT));
    // Under Wine the registry reset alone already reads as direct: the pointed connections
    // are what shows that each was set back through the browser's own settings.
    EXPECT_TRUE(window->Proxy().Pointed().empty());
}

TEST(BrowserProxy, EveryConnectionStillPointedIsSetBackToDirect) {
    BrowserProxy proxy;
    proxy.Set("", "50005", true);
    proxy.Set("Dial-up", "50005", true);
    proxy.Set("Dial-up", "", false);
    EXPECT_EQ(proxy.Pointed(), std::set<std::string>{""});
    proxy.SetAllDirect();
    EXPECT_TRUE(proxy.Pointed().empty());
    EXPECT_EQ(QueryProxy("").flags, static_cast<DWORD>(PROXY_TYPE_DIRECT));
}

TEST_F(BrowserOptionsTest, QuitWithBothBoxesClearStillRestoresTheZones) {
    Start("");
    RegistryReader().DisableActiveX();
    RegistryReader().SetJavaDisabled(1);
    user.AnswerNextBox(IDYES);
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    EXPECT_EQ(ZoneDword(3, "1200"), 0u);
    EXPECT_EQ(ZoneDword(3, "1402"), 0u);
    EXPECT_EQ(ZoneBinary(3, "1C00"), kJavaRestored);
}

} // namespace
