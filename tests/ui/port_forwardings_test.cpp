// The port forwardings area of the real main window: the list filled from the settings file,
// Add and Delete driven by control id with the scripted user answering the boxes, and both
// stored forms (settings file and saved session) read back after every step.
#include "resource.h"
#include "settings/settings_file.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const UINT kStop = MB_OK | MB_ICONSTOP;

std::string SessionForwardings(const std::string& session) {
    return SessionValue(session, "PortForwardings");
}

class PortForwardingsTest : public MainWindowFixture {
protected:
    PortForwardingsTest()
        : alpha(UniqueSessionName("fwd-alpha")), beta(UniqueSessionName("fwd-beta")),
          alphaSession(alpha), betaSession(beta) {}
    // Two accounts, alpha the default, each with the given forwardings in both forms.
    void StartWith(const std::string& alphaSettings, const std::string& alphaSessionText,
                   const std::string& betaSettings, const std::string& betaSessionText,
                   const std::string& more = "") {
        alphaSession.SetString("PortForwardings", alphaSessionText);
        betaSession.SetString("PortForwardings", betaSessionText);
        StartWindow("[tunnel]\r\nservers=" + alpha + "," + beta + ",\r\ndefault=" + alpha +
                    "\r\n[" + alpha + "]\r\nusername=joe\r\npassword=x\r\nport=3128\r\n" +
                    "forwardings=" + alphaSettings + "\r\n[" + beta +
                    "]\r\nusername=ann\r\npassword=y\r\nport=8080\r\nforwardings=" + betaSettings +
                    "\r\n" + more);
    }

    HWND List() const { return Item(IDC_FORWARDING_LIST); }
    // Selects the row as a click does, then tells the window about the click.
    void ClickRow(int row) const {
        ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetSelectionMark(List(), row);
        NMITEMACTIVATE click = {};
        click.hdr.hwndFrom = List();
        click.hdr.idFrom = IDC_FORWARDING_LIST;
        click.hdr.code = NM_CLICK;
        click.iItem = row;
        ::SendMessageA(*window, WM_NOTIFY, IDC_FORWARDING_LIST, reinterpret_cast<LPARAM>(&click));
    }
    int RowOf(const std::string& account, const std::string& localPort) const {
        int count = ListRowCount(List());
        for (int row = 0; row < count; ++row) {
            if (ListCell(List(), row, 0) == localPort && ListCell(List(), row, 1) == account)
                return row;
        }
        return -1;
    }
    // The four forwarding fields as "local|server|port|description".
    std::string ForwardingFields() const {
        return Text(IDC_LOCAL_PORT) + "|" + Text(IDC_TARGET_SERVER) + "|" + Text(IDC_TARGET_PORT) +
               "|" + Text(IDC_PORT_DESCRIPTION);
    }

    std::string alpha;
    std::string beta;
    SessionKey alphaSession;
    SessionKey betaSession;
};

TEST_F(PortForwardingsTest, TheListShowsFiveColumnsInItsOwnOrderWithWholeRowSelection) {
    StartWith("", "", "", "");
    const struct {
        const char* heading;
        int width;
    } columns[] = {{"Port", 40},
                   {"Account server", 100},
                   {"Description", 65},
                   {"D", 25},
                   {"Target server:port", 115}};
    for (int i = 0; i < 5; ++i) {
        char heading[64] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = heading;
        column.cchTextMax = sizeof(heading);
        ASSERT_TRUE(::SendMessageA(List(), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(heading, columns[i].heading);
        EXPECT_EQ(column.cx, columns[i].width) << heading;
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << heading;
    }
    int order[6] = {-1, -1, -1, -1, -1, -1};
    ASSERT_TRUE(
        ::SendMessageA(List(), LVM_GETCOLUMNORDERARRAY, 5, reinterpret_cast<LPARAM>(order)));
    EXPECT_EQ(std::vector<int>(order, order + 5), (std::vector<int>{3, 0, 1, 4, 2}));
    EXPECT_TRUE(::SendMessageA(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
}

// A refusal of each rule an added forwarding passes, with its box and focus (the port field
// emptied); nothing is stored. The rules' own cases are in their test.
TEST_F(PortForwardingsTest, AddRefusesMissingAndUnstorableFields) {
    StartWith("", "", "", "");
    std::string before = files.ReadSettings();
    const struct {
        const char* local;
        std::string account;
        const char* message;
        UINT type;
    } cases[] = {
        {"0", alpha, "The local port number may not be 0 !", kStop},
        {"1", "nobody", "Please choose a server from the server list !",
         MB_OK | MB_ICONINFORMATION},
    };
    for (const auto& c : cases) {
        TypeForwarding(c.local, "web", "80", "");
        Type(IDC_SERVER_NAME, c.account);
        ::SetFocus(Item(IDC_START));
        user.AnswerNextBox(IDOK);
        Click(IDC_ADD_FORWARDING);
        ASSERT_FALSE(user.Boxes().empty());
        EXPECT_EQ(LastBox().text, c.message);
        EXPECT_EQ(LastBox().type, c.type);
        EXPECT_EQ(FocusIsOn(IDC_LOCAL_PORT), c.type == kStop);
        EXPECT_EQ(Text(IDC_LOCAL_PORT), c.type == kStop ? "" : c.local);
    }
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(files.ReadSettings(), before);
    EXPECT_EQ(SessionForwardings(alpha), "");
    EXPECT_EQ(SessionForwardings("nobody"), "<missing>");
}

// The file keeps an account's forwardings whole up to 32,000 characters: an Add past that is
// refused and changes nothing, also on a hand-edited value far longer already.
TEST_F(PortForwardingsTest, AnAccountWithTooManyForwardingsTakesNoMore) {
    for (size_t length : {31990, 117000}) {
        SCOPED_TRACE(length);
        StartWith("1:x:1:" + std::string(length, 'd') + ",", "L1=x:1,", "", "");
        std::string before = files.ReadSettings();
        TypeForwarding("8080", "web", "80", "one more");
        user.AnswerNextBox(IDOK);
        Click(IDC_ADD_FORWARDING);
        EXPECT_EQ(LastBox().text, "The account has too many port forwardings!");
        EXPECT_EQ(LastBox().type, kStop);
        EXPECT_TRUE(files.ReadSettings() == before);
        EXPECT_EQ(SessionForwardings(alpha), "L1=x:1,");
    }
    EXPECT_EQ(user.Boxes().size(), 2u);
}

TEST_F(PortForwardingsTest, AddAppendsToBothFormsAndTheList) {
    // Hand-edited: both values lack their final comma.
    StartWith("25:localhost:25:SMTP,9:h:9:lost", "L25=localhost:25", "", "");
    TypeForwarding("8080", "web.lan", "80", "Intranet: main");
    Click(IDC_ADD_FORWARDING);
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(Setting(alpha, "forwardings"),
              "25:localhost:25:SMTP,8080:web.lan:80:Intranet: main,9:h:9:lost");
    EXPECT_EQ(SessionForwardings(alpha), "L25=localhost:25,L8080=web.lan:80,");
    EXPECT_EQ(Rows().back(), "8080|" + alpha + "|Intranet: main|[*]|web.lan:80");
    EXPECT_EQ(ForwardingFields(), "|||");

    // Leading zeros spell the same port: accepted and stored as typed.
    TypeForwarding("119", "news", "0119", "");
    Click(IDC_ADD_FORWARDING);
    EXPECT_EQ(Setting(alpha, "forwardings"),
              "25:localhost:25:SMTP,8080:web.lan:80:Intranet: main,119:news:0119:,9:h:9:lost");
    EXPECT_EQ(SessionForwardings(alpha), "L25=localhost:25,L8080=web.lan:80,L119=news:0119,");
    EXPECT_EQ(Rows().back(), "119|" + alpha + "||[*]|news:0119");

    // The same local port again for alpha: nothing at all happens.
    std::string settings = files.ReadSettings();
    TypeForwarding("8080", "other", "81", "again");
    Click(IDC_ADD_FORWARDING);
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(ForwardingFields(), "8080|other|81|again");
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(files.ReadSettings(), settings);
    EXPECT_EQ(SessionForwardings(alpha), "L25=localhost:25,L8080=web.lan:80,L119=news:0119,");

    // For beta the same port is its own forwarding, without the default mark.
    Type(IDC_SERVER_NAME, beta);
    Click(IDC_ADD_FORWARDING);
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(Setting(beta, "forwardings"), "8080:other:81:again,");
    EXPECT_EQ(SessionForwardings(beta), "L8080=other:81,");
    EXPECT_EQ(Rows().back(), "8080|" + beta + "|again||other:81");
}

TEST_F(PortForwardingsTest, DeleteRemovesOnlyItsOwnEntryFromBothForms) {
    // Alpha's second entry ends with the text of the port 25 entry, and local 125 starts
    // like it in the session form.
    StartWith("125:localhost:125:x,9:x:25:localhost:25:SMTP,25:localhost:25:SMTP,",
              "L125=localhost:125,L9=x:25,L25=localhost:25,", "", "");
    int row = RowOf(alpha, "25");
    ASSERT_EQ(row, 2);
    ClickRow(row);

    user.AnswerNextBox(IDNO);
    Click(IDC_DELETE_FORWARDING);
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text, "Delete this forwarding?\nLocal port: 25\nServer account: " + alpha +
                                  "\nTargetServer: localhost:25\nDescription: SMTP");
    EXPECT_EQ(LastBox().caption, "Marrowin");
    EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(SessionForwardings(alpha), "L125=localhost:125,L9=x:25,L25=localhost:25,");

    user.AnswerNextBox(IDYES);
    Click(IDC_DELETE_FORWARDING);
    EXPECT_EQ(Setting(alpha, "forwardings"), "125:localhost:125:x,9:x:25:localhost:25:SMTP,");
    EXPECT_EQ(SessionForwardings(alpha), "L125=localhost:125,L9=x:25,");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"125|" + alpha + "|x|[*]|localhost:125",
                                                "9|" + alpha + "|localhost:25:SMTP|[*]|x:25"}));
    EXPECT_EQ(ForwardingFields(), "|||");
}

// The row clicked names the account: beta's forwarding of the proxy's local port and alpha's of
// another port go, the proxy settings stay; alpha's proxy forwarding clears them.
TEST_F(PortForwardingsTest, DeletingTheBrowserProxyForwardingClearsTheProxyAccount) {
    StartWith("50000:localhost:3128:IE Proxy,3128:localhost:3128:Other,",
              "L50000=localhost:3128,L3128=localhost:3128,", "50000:localhost:8080:IE Proxy,",
              "L50000=localhost:8080,", "[IE]\r\nproxyServer=" + alpha + "\r\nproxyPort=50000\r\n");
    ASSERT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: set");

    for (const auto& [account, port] :
         {std::make_pair(beta, "50000"), std::make_pair(alpha, "3128")}) {
        ClickRow(RowOf(account, port));
        user.AnswerNextBox(IDYES);
        Click(IDC_DELETE_FORWARDING);
    }
    EXPECT_EQ(Setting(beta, "forwardings"), "");
    EXPECT_EQ(Setting(alpha, "forwardings"), "50000:localhost:3128:IE Proxy,");
    EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: set");

    ClickRow(RowOf(alpha, "50000"));
    user.AnswerNextBox(IDYES);
    Click(IDC_DELETE_FORWARDING);
    EXPECT_EQ(Setting("IE", "proxyServer"), "");
    EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: not set");
    EXPECT_TRUE(Rows().empty());
}

// The list is filled from the settings file, the default account's rows marked; a click fills
// the fields unless an account is being edited. Nothing of this writes the file.
TEST_F(PortForwardingsTest, AClickInTheListFillsTheFieldsOnlyWhenNoAccountIsBeingEdited) {
    StartWith("25:localhost:25:SMTP,", "", "8080:web.lan:80:Intranet: main: fast,", "");
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"25|" + alpha + "|SMTP|[*]|localhost:25",
                                        "8080|" + beta + "|Intranet: main: fast||web.lan:80"}));
    ASSERT_EQ(Text(IDC_SERVER_NAME), alpha);
    EXPECT_EQ(Text(IDC_USER_NAME), "joe");

    ClickRow(RowOf(beta, "8080"));
    EXPECT_EQ(ForwardingFields(), "8080|web.lan|80|Intranet: main: fast");
    EXPECT_EQ(Text(IDC_SERVER_NAME), beta);
    EXPECT_EQ(Text(IDC_USER_NAME), "ann");
    EXPECT_EQ(Text(IDC_SERVER_PORT), "8080");

    std::string settings = files.ReadSettings();
    for (int button : {IDC_NEW_ACCOUNT, IDC_EDIT_SAVE}) {
        Click(button);
        TypeForwarding("1", "typed", "2", "kept");
        std::string name = Text(IDC_SERVER_NAME);
        std::string userName = Text(IDC_USER_NAME);
        ClickRow(RowOf(alpha, "25"));
        EXPECT_EQ(ForwardingFields(), "1|typed|2|kept") << button;
        EXPECT_EQ(Text(IDC_SERVER_NAME), name) << button;
        EXPECT_EQ(Text(IDC_USER_NAME), userName) << button;
        Click(IDC_CANCEL_EDIT);
    }
    window.reset();
    EXPECT_EQ(files.ReadSettings(), settings);
}

TEST_F(PortForwardingsTest, ANewServerPortMovesTheAccountsForwardingsToIt) {
    StartWith("50000:localhost:3128:IE Proxy,7:cache:3128:Cache,8:cache:31280:Other,",
              "L50000=localhost:3128,L7=cache:3128,L8=cache:31280,",
              "50000:localhost:3128:IE Proxy,", "L50000=localhost:3128,");
    Click(IDC_EDIT_SAVE);
    Type(IDC_SERVER_PORT, "8118");
    Click(IDC_EDIT_SAVE);
    ASSERT_EQ(Setting(alpha, "port"), "8118");
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "50000|" + alpha + "|IE Proxy|[*]|localhost:8118",
                          "7|" + alpha + "|Cache|[*]|cache:8118",
                          "8|" + alpha + "|Other|[*]|cache:31280",
                          "50000|" + beta + "|IE Proxy||localhost:3128",
                      }));
}

} // namespace
