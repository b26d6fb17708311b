// The browser proxy dialog created for real over a settings file in a temporary folder and real
// saved sessions, with the phone book filled through its seam and the browser's proxy read back
// from WinINet (under Wine every connection name reaches the LAN settings, so the LAN shows the
// connection that was set last). Then the main window's button opening it modally.
#include "ui/dialogs/proxy_dialog.h"

#include "resource.h"
#include "support/browser_proxy.h"
#include "support/dialog_input.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "support/window_reading.h"
#include "system/browser_settings.h"
#include "settings/registry_reader.h"

#include <raserror.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <tuple>

namespace {

using Kind = ProxyForwardingChange::Kind;

// The phone book the tests fill, answering as RasEnumEntriesA does: a buffer too small for every
// entry gets ERROR_BUFFER_TOO_SMALL and the size needed.
std::vector<std::string> phoneBookNames;
bool phoneBookNeverFits = false;
int phoneBookCalls = 0;

DWORD WINAPI TestPhoneBook(LPCSTR, LPCSTR, LPRASENTRYNAMEA entries, LPDWORD size, LPDWORD count) {
    ++phoneBookCalls;
    if (entries[0].dwSize != sizeof(RASENTRYNAMEA))
        return ERROR_INVALID_SIZE;
    DWORD needed = static_cast<DWORD>(phoneBookNames.size() * sizeof(RASENTRYNAMEA));
    if (phoneBookNeverFits || *size < needed) {
        *size = phoneBookNeverFits ? *size + sizeof(RASENTRYNAMEA) : needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (size_t i = 0; i < phoneBookNames.size(); ++i) {
        entries[i].dwSize = sizeof(RASENTRYNAMEA);
        std::strcpy(entries[i].szEntryName, phoneBookNames[i].c_str());
    }
    *count = static_cast<DWORD>(phoneBookNames.size());
    return ERROR_SUCCESS;
}

void FillPhoneBook(std::vector<std::string> names) {
    phoneBookNames = std::move(names);
    phoneBookNeverFits = false;
    phoneBookCalls = 0;
}

TEST(PhoneBook, TheBufferGrowsAsThePhoneBookAsksButAtMostFiveTimes) {
    FillPhoneBook({"DialUp", "ADSL", "Office VPN"});
    EXPECT_EQ(EnumerateDialUpConnections(TestPhoneBook), phoneBookNames);
    EXPECT_EQ(phoneBookCalls, 2);
    FillPhoneBook({"DialUp"});
    phoneBookNeverFits = true;
    EXPECT_TRUE(EnumerateDialUpConnections(TestPhoneBook).empty());
    EXPECT_EQ(phoneBookCalls, 5);
}

class ProxyDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillPhoneBook({"DialUp", "ADSL"});
        SetConnectionProxy("", "", false);
    }
    void TearDown() override {
        dialog.reset();
        for (const std::string& name : {alpha, beta})
            ::RegDeleteTreeA(HKEY_CURRENT_USER, SessionPath(name).c_str());
        SetConnectionProxy("", "", false);
    }

    using Values = std::vector<std::pair<const char*, std::string>>;
    // Opens the dialog over these values of section "IE".
    void Open(const Values& ie, bool useBrowserProxy = false) {
        for (const auto& [key, value] : ie)
            store.Settings().WriteString("IE", key, value);
        dialog = std::make_unique<IExplorerDlg>(
            nullptr, store, browser, useBrowserProxy,
            [this](const ProxyForwardingChange& change) { changes.push_back(change); },
            TestPhoneBook);
        ASSERT_TRUE(dialog->Create());
    }
    // Two accounts with their saved sessions, and no browser proxy account yet.
    void CreateAccounts() {
        store.Create({alpha, "joe", "pw", "3128"});
        store.Create({beta, "ann", "pw", "8080"});
        store.Settings().WriteString("IE", "proxyServer", "");
        store.Settings().WriteString("IE", "proxyPort", "");
    }
    // Saves the port for alpha, the first account of the sorted combo box.
    void SaveProxy(const std::string& port) {
        Click(IDC_PROXY_EDIT_SAVE);
        ChooseItem(*dialog, IDC_PROXY_SERVER, 0);
        TypeInto(*dialog, IDC_PROXY_PORT, port);
        Click(IDC_PROXY_EDIT_SAVE);
    }
    void Click(int id) { ClickItem(*dialog, id); }
    std::string Text(int id) const { return ItemText(*dialog, id); }
    std::string Setting(const char* key) const { return store.Settings().ReadString("IE", key); }

    ScriptedUser user;
    TempFolder folder;
    AccountStore store{folder.File("Marrowin.ini")};
    std::string alpha = UniqueSessionName("proxy-alpha");
    std::string beta = UniqueSessionName("proxy-beta");
    BrowserProxy browser;
    std::unique_ptr<IExplorerDlg> dialog;
    std::vector<ProxyForwardingChange> changes;
};

TEST_F(ProxyDialogTest, WithoutSettingsItOpensOnOtherWithTheEmptyName) {
    Open({});
    EXPECT_TRUE(ItemChecked(*dialog, IDC_CONNECTION_OTHER));
    EXPECT_FALSE(ItemChecked(*dialog, IDC_CONNECTION_LAN));
    EXPECT_EQ(ComboItems(::GetDlgItem(*dialog, IDC_CONNECTION_NAME)),
              (std::vector<std::string>{"", "ADSL", "DialUp"}));
    EXPECT_EQ(ComboSelection(*dialog, IDC_CONNECTION_NAME), 0); // the empty name
    EXPECT_TRUE(ItemEnabled(*dialog, IDC_CONNECTION_EDIT_SAVE));
    for (int id : {IDC_CONNECTION_NAME, IDC_PROXY_SERVER, IDC_PROXY_PORT})
        EXPECT_FALSE(ItemEnabled(*dialog, id)) << id;
    EXPECT_EQ(Text(IDC_PROXY_EDIT_SAVE), "Edit");
    EXPECT_EQ(Setting("connectionType"), "");
}

TEST_F(ProxyDialogTest, AStoredNameGoneFromThePhoneBookGivesWayToTheLan) {
    CreateAccounts();
    Open({{"connectionType", "2"},
          {"connectionName", "OldModem"},
          {"proxyServer", beta},
          {"proxyPort", "50001"}});
    EXPECT_EQ(ComboSelection(*dialog, IDC_CONNECTION_NAME), 0); // the empty name
    EXPECT_EQ(Setting("connectionName"), "");
    EXPECT_EQ(Setting("connectionType"), "1");
    EXPECT_TRUE(ItemChecked(*dialog, IDC_CONNECTION_LAN));
    EXPECT_FALSE(ItemEnabled(*dialog, IDC_CONNECTION_EDIT_SAVE));
    EXPECT_EQ(Text(IDC_PROXY_SERVER), beta);
    EXPECT_EQ(Text(IDC_PROXY_PORT), "50001");
}

// A port the rule refuses, and forwardings the account cannot take any more: the box, the focus
// on the port, the dialog still editing, and nothing stored.
TEST_F(ProxyDialogTest, ARefusedSaveIsReportedAndChangesNothing) {
    CreateAccounts();
    store.AddForwarding(alpha, {"1", "x", "1", std::string(31900, 'd')});
    const std::string settings = ReadWholeFile(folder.File("Marrowin.ini"));
    const std::string session = SessionValue(alpha, "PortForwardings");
    Open({}, true);
    // The port field is left as typed unless the rule empties it.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "Please provide the local port number !", ""},
        {"0", "Local port value may not be 0 !", ""},
        {"50001", "The account has too many port forwardings!", "50001"}};
    Click(IDC_PROXY_EDIT_SAVE);
    for (const auto& [port, message, left] : cases) {
        user.AnswerNextBox(IDOK);
        TypeInto(*dialog, IDC_PROXY_PORT, port);
        Click(IDC_PROXY_EDIT_SAVE);
        ASSERT_FALSE(user.Boxes().empty());
        const RecordedBox& box = user.Boxes().back();
        EXPECT_EQ(box.text, message);
        EXPECT_EQ(box.caption, "Marrowin");
        EXPECT_EQ(box.type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(box.owner, dialog->Handle());
        EXPECT_EQ(Text(IDC_PROXY_PORT), left) << port;
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(*dialog, IDC_PROXY_PORT)) << port;
        EXPECT_EQ(Text(IDC_PROXY_EDIT_SAVE), "Save");
    }
    EXPECT_EQ(ReadWholeFile(folder.File("Marrowin.ini")), settings);
    EXPECT_EQ(SessionValue(alpha, "PortForwardings"), session);
    EXPECT_TRUE(browser.Pointed().empty());
    EXPECT_EQ(LanProxyServer(), "direct");
    EXPECT_TRUE(changes.empty());
}

// Our part of the bypass list: shown as "local" until changed, stored only once changed, with
// "<local>" by its box; a list that would send nothing through the tunnel is refused and leaves
// the file as it was.
TEST_F(ProxyDialogTest, TheBypassListIsStoredOnlyWhenChangedAndNeverAsAStar) {
    Open({});
    const std::string untouched = ReadWholeFile(folder.File("Marrowin.ini"));
    EXPECT_EQ(Text(IDC_PROXY_BYPASS), "local");
    Click(IDC_BYPASS_EDIT_SAVE);
    Click(IDC_BYPASS_EDIT_SAVE);
    EXPECT_EQ(ReadWholeFile(folder.File("Marrowin.ini")), untouched);

    Click(IDC_BYPASS_EDIT_SAVE);
    for (const char* refused : {"*", "intranet; * "}) {
        user.AnswerNextBox(IDOK);
        TypeInto(*dialog, IDC_PROXY_BYPASS, refused);
        Click(IDC_BYPASS_EDIT_SAVE);
        ASSERT_FALSE(user.Boxes().empty());
        EXPECT_NE(user.Boxes().back().text.find("nothing through the tunnel"), std::string::npos);
        EXPECT_EQ(ReadWholeFile(folder.File("Marrowin.ini")), untouched);
    }
    TypeInto(*dialog, IDC_PROXY_BYPASS, " intranet;;*.corp ");
    ::SendMessageA(::GetDlgItem(*dialog, IDC_PROXY_BYPASS_LOCAL), BM_CLICK, 0, 0);
    Click(IDC_BYPASS_EDIT_SAVE);
    EXPECT_EQ(Setting("bypassList"), "intranet;*.corp;<local>");
    EXPECT_EQ(Text(IDC_BYPASS_EDIT_SAVE), "Edit");
    EXPECT_TRUE(ItemChecked(*dialog, IDC_PROXY_BYPASS_LOCAL));
}

TEST_F(ProxyDialogTest, SavesAddTheProxyForwardingThenMoveItAndPointTheChosenConnection) {
    CreateAccounts();
    // The LAN is chosen: the named connection is set direct first, so under Wine the LAN
    // ends up pointed at the new port.
    Open({{"connectionType", "1"}, {"connectionName", "DialUp"}}, true);
    SaveProxy("050001"); // stored and forwarded as the number it spells
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, Kind::Added);
    EXPECT_EQ(SessionValue(alpha, "PortForwardings"),
              DefaultSessionForwardings("3128") + "L50001=localhost:3128,");
    EXPECT_EQ(Setting("proxyserver"), alpha);
    EXPECT_EQ(Setting("proxyport"), "50001");
    EXPECT_EQ(Text(IDC_PROXY_EDIT_SAVE), "Edit");
    EXPECT_FALSE(ItemEnabled(*dialog, IDC_PROXY_PORT));
    EXPECT_EQ(LanProxyServer(), "127.0.0.1:50001");

    SaveProxy("50002");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].kind, Kind::Moved);
    EXPECT_EQ(SessionValue(alpha, "PortForwardings"),
              DefaultSessionForwardings("3128") + "L50002=localhost:3128,");
    EXPECT_EQ(LanProxyServer(), "127.0.0.1:50002");
}

// Choosing "Other" over the LAN. With the option off the browser is left alone; with it on the
// LAN goes direct, then the named connection (under Wine the LAN again) takes the stored port.
TEST_F(ProxyDialogTest, ChoosingOtherPointsTheBrowserOnlyWithTheOption) {
    const struct {
        bool option;
        const char* port;
        const char* lan;
    } cases[] = {{false, "50000", "127.0.0.1:49999"},
                 {true, "", "direct"},
                 {true, "50003", "127.0.0.1:50003"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option ? "on, port " : "off, port ") + c.port);
        SetConnectionProxy("", "49999", true);
        Open({{"connectionType", "1"}, {"connectionName", "DialUp"}, {"proxyPort", c.port}},
             c.option);
        ChooseRadio(*dialog, IDC_CONNECTION_LAN, IDC_CONNECTION_OTHER, IDC_CONNECTION_OTHER);
        EXPECT_EQ(Setting("connectionType"), "2");
        EXPECT_TRUE(ItemEnabled(*dialog, IDC_CONNECTION_EDIT_SAVE));
        EXPECT_EQ(LanProxyServer(), c.lan);
    }
}

// The connection no longer chosen is switched back to direct, so that none is left pointing at
// the tunnel once it stops.
TEST_F(ProxyDialogTest, ChoosingTheLanSetsTheNamedConnectionDirect) {
    Open({{"connectionType", "2"}, {"connectionName", "DialUp"}, {"proxyPort", "50003"}}, true);
    browser.Set("DialUp", "50003", true);
    Click(IDC_CONNECTION_EDIT_SAVE);
    ChooseRadio(*dialog, IDC_CONNECTION_LAN, IDC_CONNECTION_OTHER, IDC_CONNECTION_LAN);
    EXPECT_EQ(Setting("connectionType"), "1");
    EXPECT_EQ(Text(IDC_CONNECTION_EDIT_SAVE), "Edit");
    for (int id : {IDC_CONNECTION_EDIT_SAVE, IDC_CONNECTION_NAME})
        EXPECT_FALSE(ItemEnabled(*dialog, id)) << id;
    EXPECT_EQ(browser.Pointed(), std::set<std::string>{""});
    EXPECT_EQ(LanProxyServer(), "127.0.0.1:50003");
}

TEST_F(ProxyDialogTest, ASavedNameIsPointedAndTheEmptyNameGoesBackToTheLan) {
    Open({{"connectionType", "2"}, {"connectionName", "DialUp"}, {"proxyPort", "50003"}}, true);
    browser.Set("DialUp", "50003", true);
    Click(IDC_CONNECTION_EDIT_SAVE);
    ChooseItem(*dialog, IDC_CONNECTION_NAME, 1); // "ADSL"
    Click(IDC_CONNECTION_EDIT_SAVE);
    EXPECT_EQ(Setting("connectionName"), "ADSL");
    EXPECT_EQ(Text(IDC_CONNECTION_EDIT_SAVE), "Edit");
    EXPECT_EQ(browser.Pointed(), std::set<std::string>{"ADSL"});
    EXPECT_EQ(LanProxyServer(), "127.0.0.1:50003");

    Click(IDC_CONNECTION_EDIT_SAVE);
    ChooseItem(*dialog, IDC_CONNECTION_NAME, 0);
    Click(IDC_CONNECTION_EDIT_SAVE);
    EXPECT_TRUE(ItemChecked(*dialog, IDC_CONNECTION_LAN));
    EXPECT_FALSE(ItemChecked(*dialog, IDC_CONNECTION_OTHER));
    EXPECT_FALSE(ItemEnabled(*dialog, IDC_CONNECTION_EDIT_SAVE));
    EXPECT_EQ(Setting("connectionType"), "1");
    EXPECT_EQ(browser.Pointed(), std::set<std::string>{""});
    EXPECT_EQ(LanProxyServer(), "127.0.0.1:50003");
}

class ConfigureProxyTest : public MainWindowFixture {
protected:
    void TearDown() override {
        MainWindowFixture::TearDown();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, SessionPath(alpha).c_str());
    }
    std::string alpha = UniqueSessionName("configure-alpha");
};

TEST_F(ConfigureProxyTest, SavesInTheDialogShowTheForwardingAndTheLabelInTheWindow) {
    RegistryReader().WriteSessionProfile(alpha, alpha, "joe");
    StartWindow("[tunnel]\r\nservers=" + alpha + ",\r\ndefault=" + alpha + "\r\n[" + alpha +
                "]\r\nport=3128\r\nforwardings=25:localhost:25:SMTP,\r\n");
    EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: not set");
    auto saveAndPressEnter = [](const std::string& port) {
        return [port](fw::Dialog& dialog) {
            ClickItem(dialog, IDC_PROXY_EDIT_SAVE);
            TypeInto(dialog, IDC_PROXY_PORT, port);
            ClickItem(dialog, IDC_PROXY_EDIT_SAVE);
            ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        };
    };
    HWND list = Item(IDC_FORWARDING_LIST);
    user.InDialog(IDD_IE_PROXY, saveAndPressEnter("50001"));
    Click(IDC_CONFIGURE_PROXY);
    ASSERT_EQ(ListRowCount(list), 2);
    EXPECT_EQ(ListCell(list, 1, 0), "50001");
    EXPECT_EQ(ListCell(list, 1, 2), "IE Proxy");
    EXPECT_EQ(ListCell(list, 1, 3), "[*]");
    EXPECT_EQ(ListCell(list, 1, 4), "localhost:3128");
    EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: set");
    EXPECT_EQ(LabelColor(IDC_PROXY_SETTINGS_LABEL), RGB(0, 0, 0));

    user.InDialog(IDD_IE_PROXY, saveAndPressEnter("50002"));
    Click(IDC_CONFIGURE_PROXY);
    ASSERT_EQ(ListRowCount(list), 2);
    EXPECT_EQ(ListCell(list, 1, 0), "50002");
}

// A name too long for the proxy setting: the window shows the forwarding stored before.
TEST_F(ConfigureProxyTest, ASaveRefusedAfterTheForwardingShowsWhatIsStored) {
    const std::string name(32001, 'n');
    StartWindow("[tunnel]\r\nservers=" + name + ",\r\n[" + name + "]\r\nport=3128\r\n");
    user.AnswerNextBox(IDOK);
    user.InDialog(IDD_IE_PROXY, [](fw::Dialog& dialog) {
        ClickItem(dialog, IDC_PROXY_EDIT_SAVE);
        TypeInto(dialog, IDC_PROXY_PORT, "50001");
        ClickItem(dialog, IDC_PROXY_EDIT_SAVE);
        dialog.EndDialog(IDOK);
    });
    Click(IDC_CONFIGURE_PROXY);
    EXPECT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(ListCell(Item(IDC_FORWARDING_LIST), 0, 0), "50001");
    EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: not set");
}

} // namespace
