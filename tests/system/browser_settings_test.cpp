// The browser settings against the real WinINet options and registry under Wine: the proxy
// read back per connection, the zone values in every zone key, the check boxes of the main
// window and the reset at quit.
#include "system/browser_settings.h"

#include "owners/owners.h"
#include "resource.h"
#include "support/browser_proxy.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"
#include "settings/registry_reader.h"
#include "ui/main_window.h"

#include <windows.h>
#include <sddl.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const char kZones[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\";
const char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::string ZonePath(int zone) {
    return kZones + std::to_string(zone);
}

// A DWORD value under HKEY_CURRENT_USER; 0xDEAD when it is missing or of another type.
DWORD UserDword(const std::string& path, const char* name) {
    DWORD value = 0, type = 0, size = sizeof(value);
    if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0xDEAD;
    return value;
}

void SetUserDword(const std::string& path, const char* name, DWORD value) {
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), name, REG_DWORD, &value, sizeof(value));
}

std::vector<BYTE> ZoneBinary(int zone, const char* name) {
    BYTE data[16] = {};
    DWORD type = 0, size = sizeof(data);
    if (::RegGetValueA(HKEY_CURRENT_USER, ZonePath(zone).c_str(), name, RRF_RT_ANY, &type, data,
                       &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return {};
    return std::vector<BYTE>(data, data + size);
}

bool ZoneExists(int zone) {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, ZonePath(zone).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// Zones 0 to 4 switched off (3 throughout) or restored to the fixed values.
void ExpectActiveX(bool off) {
    for (int zone = 0; zone < 5; ++zone) {
        EXPECT_EQ(UserDword(ZonePath(zone), "1200"), off ? 3u : 0u) << "zone " << zone;
        EXPECT_EQ(UserDword(ZonePath(zone), "1201"), off ? 3u : 1u) << "zone " << zone;
    }
}

void ExpectJava(bool off) {
    for (int zone = 0; zone < 5; ++zone) {
        for (const char* name : {"1400", "1605", "1402"})
            EXPECT_EQ(UserDword(ZonePath(zone), name), off ? 3u : 0u) << "zone " << zone << name;
        const std::vector<BYTE> permissions = {0, 0, BYTE(off ? 0 : 2), 0};
        EXPECT_EQ(ZoneBinary(zone, "1C00"), permissions) << "zone " << zone;
    }
}

// Zones 1 and 3 are removed for a test and made again (empty) afterwards, so that the writes
// are seen to skip missing zones without creating them.
class MissingZones {
public:
    MissingZones() {
        for (int zone : {1, 3})
            ::RegDeleteTreeA(HKEY_CURRENT_USER, ZonePath(zone).c_str());
    }
    ~MissingZones() {
        for (int zone : {1, 3}) {
            HKEY key;
            if (::RegCreateKeyA(HKEY_CURRENT_USER, ZonePath(zone).c_str(), &key) == ERROR_SUCCESS)
                ::RegCloseKey(key);
        }
    }
};

TEST(ConnectionProxy, TheLanIsPointedAtTheTunnelAndBackToDirect) {
    ASSERT_TRUE(SetConnectionProxy("", "50000", true));
    // Wine reports the proxy flag alone and keeps no bypass list; Windows reports both flags
    // and "local".
    ConnectionProxy on = QueryProxy("");
    EXPECT_TRUE(on.flags & PROXY_TYPE_PROXY);
    EXPECT_EQ(on.server, "127.0.0.1:50000");
    // What the browser reads back from the user's settings.
    EXPECT_EQ(UserDword(kInternetSettings, "ProxyEnable"), 1u);
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer"), "127.0.0.1:50000");

    ASSERT_TRUE(SetConnectionProxy("", "50000", false));
    ConnectionProxy off = QueryProxy("");
    EXPECT_EQ(off.flags, static_cast<DWORD>(PROXY_TYPE_DIRECT));
    EXPECT_EQ(off.server, "");
    EXPECT_EQ(off.bypass, "");
    EXPECT_EQ(UserDword(kInternetSettings, "ProxyEnable"), 0u);

    // A missing port still sets the loopback address.
    ASSERT_TRUE(SetConnectionProxy("", "", true));
    EXPECT_EQ(QueryProxy("").server, "127.0.0.1:");
    SetConnectionProxy("", "", false);
}

TEST(SecurityZones, ActiveContentIsSwitchedOffAndRestoredToFixedValuesInEveryZone) {
    // Custom values are not kept.
    for (int zone = 0; zone < 5; ++zone) {
        SetUserDword(ZonePath(zone), "1200", 1);
        SetUserDword(ZonePath(zone), "1201", 0);
    }
    BrowserRegistry registry;
    registry.DisableActiveX();
    ExpectActiveX(true);
    registry.SetJavaDisabled(1);
    ExpectJava(true);
    registry.RestoreActiveX();
    ExpectActiveX(false);
    ExpectJava(true);
    registry.SetJavaDisabled(0);
    ExpectJava(false);
}

TEST(SecurityZones, MissingZoneKeysStayMissing) {
    MissingZones missing;
    BrowserRegistry registry;
    registry.DisableActiveX();
    registry.SetJavaDisabled(1);
    registry.RestoreActiveX();
    registry.SetJavaDisabled(0);
    EXPECT_FALSE(ZoneExists(1));
    EXPECT_FALSE(ZoneExists(3));
    EXPECT_EQ(UserDword(ZonePath(0), "1201"), 1u);
    EXPECT_EQ(UserDword(ZonePath(4), "1605"), 0u);
}

TEST(RegistryProxy, ResetWritesNoProxyAndAnEmptyServer) {
    std::string on = "127.0.0.1:8080";
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", REG_SZ, on.c_str(),
                      static_cast<DWORD>(on.size() + 1));
    SetUserDword(kInternetSettings, "ProxyEnable", 1);

    BrowserRegistry().ResetRegistryProxy();

    EXPECT_EQ(UserDword(kInternetSettings, "ProxyEnable"), 0u);
    char server[64] = "x";
    DWORD type = 0, size = sizeof(server);
    ASSERT_EQ(::RegGetValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", RRF_RT_ANY, &type,
                             server, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 1u);
    EXPECT_STREQ(server, "");
}

TEST(BrowserProxy, EveryConnectionStillPointedIsSetBackToDirect) {
    BrowserProxy proxy;
    proxy.Set("", "50005", true);
    proxy.Set("Dial-up", "50005", true);
    proxy.Set("Dial-up", "", false);
    EXPECT_EQ(proxy.Pointed(), std::set<std::string>{""});
    proxy.SetAllBack();
    EXPECT_TRUE(proxy.Pointed().empty());
    EXPECT_EQ(LanProxyServer(), "direct");
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
    EXPECT_EQ(LanProxyServer(), "127.0.0.1:50001");
    Toggle(IDC_USE_IE_PROXY);
    EXPECT_EQ(Setting("IE", "setIEproxy"), "0");
    EXPECT_EQ(LanProxyServer(), "direct");
}

TEST_F(BrowserOptionsTest, StartUpWithTheProxyOptionPointsTheBrowserAtAPortNumberOnly) {
    // A port that is no port number counts as none: it never reaches the browser.
    const std::pair<const char*, const char*> cases[] = {{"50002", "127.0.0.1:50002"},
                                                         {"", "direct"},
                                                         {"abc;rm -rf /", "direct"},
                                                         {"0", "direct"},
                                                         {"65536", "direct"}};
    for (const auto& [port, lan] : cases) {
        SetConnectionProxy("", "", false);
        Start("[IE]\r\nsetIEproxy=1\r\nproxyport=" + std::string(port) + "\r\n");
        EXPECT_EQ(LanProxyServer(), lan) << port;
    }
    SetConnectionProxy("", "", false);
}

TEST_F(BrowserOptionsTest, TheActiveContentBoxesWriteTheSettingsAndTheZones) {
    Start("");
    Toggle(IDC_NO_ACTIVEX);
    EXPECT_EQ(Setting("IE", "NoActiveContent"), "1");
    ExpectActiveX(true);
    Toggle(IDC_NO_JAVA);
    EXPECT_EQ(Setting("IE", "NoJavascript"), "1");
    ExpectJava(true);

    // Custom values in between are not kept: unchecking writes the fixed ones.
    SetUserDword(ZonePath(2), "1201", 0);
    Toggle(IDC_NO_ACTIVEX);
    EXPECT_EQ(Setting("IE", "noactivecontent"), "0");
    ExpectActiveX(false);
    Toggle(IDC_NO_JAVA);
    EXPECT_EQ(Setting("IE", "noJavascript"), "0");
    ExpectJava(false);
}

// The Internet zone refuses writes (its key denies them): each box says so, goes back, and
// stores nothing; the other zones keep what they had.
TEST_F(BrowserOptionsTest, AZoneThatRefusesTheWriteIsToldAndNothingChanges) {
    Start("");
    BrowserRegistry().RestoreActiveX();
    BrowserRegistry().SetJavaDisabled(0);
    PSECURITY_DESCRIPTOR denyWrites = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:(D;;0x6;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, &denyWrites, nullptr));
    fw::RegKey zone;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, ZonePath(3).c_str(), 0, WRITE_DAC,
                              zone.Receive()),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetKeySecurity(zone, DACL_SECURITY_INFORMATION, denyWrites), ERROR_SUCCESS);
    ::LocalFree(denyWrites);
    for (int box : {IDC_NO_ACTIVEX, IDC_NO_JAVA}) {
        user.AnswerNextBox(IDOK);
        Toggle(box);
        EXPECT_FALSE(Checked(box));
        EXPECT_EQ(LastBox().text, "Could not change the browser's security zones!\nMake sure you "
                                  "have the permission to access the registry!");
    }
    EXPECT_EQ(Setting("IE", "noactivecontent"), "");
    EXPECT_EQ(Setting("IE", "noJavascript"), "");
    PSECURITY_DESCRIPTOR allowAll = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:(A;;KA;;;WD)", SDDL_REVISION_1, &allowAll, nullptr));
    ::RegSetKeySecurity(zone, DACL_SECURITY_INFORMATION, allowAll);
    ::LocalFree(allowAll);
    ExpectActiveX(false);
    ExpectJava(false);
}

// Start-up applies the stored boxes. Quit, whatever they say, restores the zones, resets the
// registry proxy and sets each connection pointed at the tunnel back to direct; the boxes are
// remembered as they were.
TEST_F(BrowserOptionsTest, QuitRestoresTheBrowserWhateverTheBoxesSay) {
    const struct {
        bool boxes;
        const char* proxyOption;
        size_t pointed;
    } cases[] = {{true, "", 0}, {false, "setIEproxy=1\r\nproxyport=50004\r\n", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.boxes ? "boxes checked" : "boxes clear, proxy option on");
        BrowserRegistry().RestoreActiveX();
        BrowserRegistry().SetJavaDisabled(0);
        SetConnectionProxy("", "", false);
        const std::string box = c.boxes ? "1" : "0";
        Start("[IE]\r\nnoactivecontent=" + box + "\r\nnoJavascript=" + box + "\r\n" +
              c.proxyOption);
        ExpectActiveX(c.boxes);
        ExpectJava(c.boxes);
        ASSERT_EQ(window->Session().Browser().Pointed().size(), c.pointed);
        // Switched off from outside meanwhile, the zones are restored all the same.
        BrowserRegistry().DisableActiveX();
        BrowserRegistry().SetJavaDisabled(1);
        SetUserDword(kInternetSettings, "ProxyEnable", 1);
        user.AnswerNextBox(IDYES);
        ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
        EXPECT_EQ(window->Result(), IDCANCEL);
        ExpectActiveX(false);
        ExpectJava(false);
        EXPECT_EQ(UserDword(kInternetSettings, "ProxyEnable"), 0u);
        EXPECT_EQ(LanProxyServer(), "direct");
        // Under Wine the registry reset alone already reads as direct: the pointed connections
        // are what shows that each was set back through the browser's own settings.
        EXPECT_TRUE(window->Session().Browser().Pointed().empty());
        EXPECT_EQ(Setting("IE", "noactivecontent"), box);
    }
}

} // namespace
