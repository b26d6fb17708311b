// The accounts editor in the real main window: fields typed by control id, buttons clicked,
// boxes answered by the scripted user; the settings file and the saved sessions are read back
// after every step.
#include "resource.h"
#include "settings/password_scrambling.h"
#include "settings/settings_file.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char kSessions[] = "Software\\Larkspindle\\PuTTY\\Sessions\\";
const char* const kNames[] = {"alpha", "beta", "gamma", "xalpha", "Alpha", "BETA"};

void DeleteSessions() {
    for (const char* name : kNames)
        ::RegDeleteKeyA(HKEY_CURRENT_USER, (kSessions + std::string(name)).c_str());
}

class AccountsEditorTest : public MainWindowFixture {
protected:
    void SetUp() override { DeleteSessions(); }
    void TearDown() override {
        MainWindowFixture::TearDown();
        DeleteSessions();
    }

    void Start(const std::string& settings = "") { StartWindow(settings); }
    void Select(const std::string& name) const {
        HWND combo = Item(IDC_SERVER_NAME);
        LRESULT index =
            ::SendMessageA(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name.c_str()));
        ::SendMessageA(combo, CB_SETCURSEL, index, 0);
        ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(IDC_SERVER_NAME, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }
    std::vector<std::string> ComboItems() const { return ::ComboItems(Item(IDC_SERVER_NAME)); }
    // Rows of the forwarding list as "account port description mark".
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        HWND list = Item(IDC_FORWARDING_LIST);
        int count = ListRowCount(list);
        for (int row = 0; row < count; ++row) {
            std::string line;
            for (int column : {1, 0, 2, 3})
                line += (line.empty() ? "" : " ") + ListCell(list, row, column);
            rows.push_back(line);
        }
        return rows;
    }
    bool FocusIsOn(int id) const {
        HWND focus = ::GetFocus();
        return focus == Item(id) || ::GetParent(focus) == Item(id);
    }
    // Delete, confirmed with "OK" in the removal dialog.
    void DeleteConfirmed() {
        user.InDialog(IDD_SERVER_REMOVE, [](fw::Dialog& dialog) {
            ::SetDlgItemTextA(dialog, IDC_REMOVE_CONFIRMATION, "OK");
            ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Click(IDC_DELETE_ACCOUNT);
    }
    // New, the four fields, Save.
    void CreateAccount(const std::string& name, const std::string& user,
                       const std::string& password, const std::string& port) {
        Click(IDC_NEW_ACCOUNT);
        Type(IDC_SERVER_NAME, name);
        Type(IDC_USER_NAME, user);
        Type(IDC_PASSWORD, password);
        Type(IDC_SERVER_PORT, port);
        Click(IDC_EDIT_SAVE);
    }
};

TEST_F(AccountsEditorTest, TheModesEnableTheirControls) {
    Start();
    EXPECT_FALSE(Enabled(IDC_USER_NAME));
    EXPECT_FALSE(Enabled(IDC_CANCEL_EDIT));
    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Edit");

    Click(IDC_NEW_ACCOUNT);
    EXPECT_TRUE(Enabled(IDC_USER_NAME) && Enabled(IDC_PASSWORD) && Enabled(IDC_SERVER_PORT));
    EXPECT_TRUE(Enabled(IDC_NEW_ACCOUNT));
    for (int locked :
         {IDC_DELETE_ACCOUNT, IDC_SET_DEFAULT, IDC_ADD_FORWARDING, IDC_DELETE_FORWARDING})
        EXPECT_FALSE(Enabled(locked)) << locked;
    EXPECT_TRUE(Enabled(IDC_CANCEL_EDIT));
    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Save");

    Click(IDC_CANCEL_EDIT);
    Click(IDC_EDIT_SAVE);
    EXPECT_FALSE(Enabled(IDC_NEW_ACCOUNT));
    EXPECT_TRUE(Enabled(IDC_USER_NAME));
    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Save");
    Click(IDC_CANCEL_EDIT);
    EXPECT_TRUE(Enabled(IDC_NEW_ACCOUNT) && Enabled(IDC_DELETE_ACCOUNT) &&
                Enabled(IDC_ADD_FORWARDING));
    EXPECT_FALSE(Enabled(IDC_USER_NAME));
}

TEST_F(AccountsEditorTest, TheEditButtonsTipFollowsTheMode) {
    Start();
    EXPECT_EQ(TooltipText(IDC_EDIT_SAVE), "Edit the current account");
    Click(IDC_NEW_ACCOUNT);
    EXPECT_EQ(TooltipText(IDC_EDIT_SAVE), "Save the modifications");
    Click(IDC_CANCEL_EDIT);
    EXPECT_EQ(TooltipText(IDC_EDIT_SAVE), "Edit the current account");
    Click(IDC_EDIT_SAVE);
    EXPECT_EQ(TooltipText(IDC_EDIT_SAVE), "Save the modifications");
    Type(IDC_SERVER_NAME, "alpha");
    Type(IDC_USER_NAME, "joe");
    Type(IDC_PASSWORD, "pw");
    Type(IDC_SERVER_PORT, "22");
    Click(IDC_EDIT_SAVE);
    EXPECT_EQ(TooltipText(IDC_EDIT_SAVE), "Edit the current account");
    // Changing a tip does not add a second tool for the button.
    EXPECT_EQ(::SendMessageA(TooltipOf(*window), TTM_GETTOOLCOUNT, 0, 0), 14);
}

TEST_F(AccountsEditorTest, AnEmptySaveAsksOnlyForTheServerName) {
    Start();
    Click(IDC_NEW_ACCOUNT);
    user.AnswerNextBox(IDOK);
    Click(IDC_EDIT_SAVE);
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text, "Please provide the server name!");
    EXPECT_EQ(user.Boxes()[0].caption, "Marrowin");
    EXPECT_EQ(user.Boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_TRUE(FocusIsOn(IDC_SERVER_NAME));
    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Save");
    EXPECT_FALSE(FileExists(files.File("Marrowin.ini")));
}

TEST_F(AccountsEditorTest, FieldsAreCheckedInOrder) {
    Start();
    Click(IDC_NEW_ACCOUNT);
    Type(IDC_SERVER_NAME, "alpha");
    const struct {
        int field;
        const char* text;
        const char* message;
    } steps[] = {{IDC_USER_NAME, "joe", "Please provide the user name!"},
                 {IDC_PASSWORD, "pw", "Please provide the password!"},
                 {IDC_SERVER_PORT, "65536", "Please provide the server port!"}};
    for (const auto& step : steps) {
        user.AnswerNextBox(IDOK);
        Click(IDC_EDIT_SAVE);
        EXPECT_EQ(user.Boxes().back().text, step.message);
        EXPECT_TRUE(FocusIsOn(step.field)) << step.message;
        Type(step.field, step.text);
    }
    user.AnswerNextBox(IDOK);
    Click(IDC_EDIT_SAVE);
    EXPECT_EQ(user.Boxes().back().text, "The server port number must be between 1 and 65535 !");
    EXPECT_EQ(Text(IDC_SERVER_PORT), "");
    EXPECT_TRUE(FocusIsOn(IDC_SERVER_PORT));
    EXPECT_FALSE(FileExists(files.File("Marrowin.ini")));
    EXPECT_FALSE(SessionExists("alpha"));

    // Port 0 is no port to connect to; leading zeros spell the same port as without them.
    Type(IDC_SERVER_PORT, "0");
    user.AnswerNextBox(IDOK);
    Click(IDC_EDIT_SAVE);
    EXPECT_EQ(user.Boxes().back().text, "The server port number must be between 1 and 65535 !");
    Type(IDC_SERVER_PORT, "065535");
    Click(IDC_EDIT_SAVE);
    EXPECT_EQ(user.Boxes().size(), 5u);
    EXPECT_EQ(Setting("alpha", "port"), "065535");
}

TEST_F(AccountsEditorTest, TheFirstAccountBecomesDefaultAndProxyAccountTheSecondChangesNeither) {
    Start();
    CreateAccount("alpha", "joe", "secret", "3128");
    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Edit");
    EXPECT_EQ(Setting("tunnel", "servers"), "alpha,");
    EXPECT_EQ(Setting("alpha", "username"), "joe");
    EXPECT_EQ(Setting("alpha", "password"), ScramblePassword("secret"));
    EXPECT_EQ(Setting("alpha", "port"), "3128");
    EXPECT_EQ(Setting("tunnel", "default"), "alpha");
    EXPECT_EQ(Setting("IE", "proxyServer"), "alpha");
    EXPECT_EQ(Setting("IE", "proxyPort"), "50000");
    EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: set");
    EXPECT_EQ(LabelColor(IDC_PROXY_SETTINGS_LABEL), RGB(0, 0, 0));
    EXPECT_EQ(SessionValue("alpha", "HostName"), "alpha");
    EXPECT_EQ(SessionValue("alpha", "UserName"), "joe");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"alpha 25 SMTP [*]", "alpha 110 POP3 [*]",
                                                "alpha 50000 IE Proxy [*]"}));

    CreateAccount("beta", "ann", "pw", "8080");
    EXPECT_EQ(Setting("tunnel", "servers"), "alpha,beta,");
    EXPECT_EQ(Setting("tunnel", "default"), "alpha");
    EXPECT_EQ(Setting("IE", "proxyServer"), "alpha");
    EXPECT_EQ(Rows().size(), 6u);
    EXPECT_EQ(Rows()[3], "beta 25 SMTP ");
    EXPECT_EQ(ComboItems(), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(window->Accounts().Names(), (std::vector<std::string>{"alpha", "beta"}));
}

TEST_F(AccountsEditorTest, RefusedNamesAndPasswordsWriteNothing) {
    Start();
    CreateAccount("alpha", "joe", "secret", "22");
    std::string before = files.ReadSettings();

    for (const char* name : {"bad name", "comma,name", "[x]", "ALPHA", "alpha"}) {
        user.AnswerNextBox(IDOK);
        CreateAccount(name, "ann", "pw", "22");
        Click(IDC_CANCEL_EDIT);
    }
    ASSERT_EQ(user.Boxes().size(), 5u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(user.Boxes()[i].text,
                  "The server name may contain only letters, digits, dots, hyphens and "
                  "underscores!");
        EXPECT_EQ(user.Boxes()[i].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    }
    for (int i = 3; i < 5; ++i) {
        EXPECT_EQ(user.Boxes()[i].text, "The specified server allready exists in the list!");
        EXPECT_EQ(user.Boxes()[i].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    }

    // The name is also the host ssh connects to, which it would take for an option.
    user.AnswerNextBox(IDOK);
    CreateAccount("-oProxyCommand", "ann", "pw", "22");
    EXPECT_EQ(user.Boxes().back().text, "The server name may not begin with a hyphen!");
    EXPECT_TRUE(FocusIsOn(IDC_SERVER_NAME));
    Click(IDC_CANCEL_EDIT);

    user.AnswerNextBox(IDOK);
    CreateAccount("beta", "ann\r\n[alpha]", "pw", "22");
    EXPECT_EQ(user.Boxes().back().text, "The user name may not contain line breaks!");
    EXPECT_TRUE(FocusIsOn(IDC_USER_NAME));
    Click(IDC_CANCEL_EDIT);

    user.AnswerNextBox(IDOK);
    CreateAccount("beta", "ann", std::string("\x93") + "pw", "22");
    EXPECT_EQ(user.Boxes().back().text, "The password contains characters that cannot be stored!");
    EXPECT_TRUE(FocusIsOn(IDC_PASSWORD));
    Click(IDC_CANCEL_EDIT);

    EXPECT_EQ(files.ReadSettings(), before);
    EXPECT_FALSE(SessionExists("beta"));
    EXPECT_EQ(ComboItems(), (std::vector<std::string>{"alpha"}));
}

TEST_F(AccountsEditorTest, RenamingMovesEverythingOfTheAccount) {
    Start();
    CreateAccount("beta", "ann", "pw", "22");
    CreateAccount("alpha", "joe", "secret", "3128");
    CreateAccount("xalpha", "max", "pw", "22");
    std::string forwardings = SessionValue("beta", "PortForwardings");

    Select("beta");
    Click(IDC_EDIT_SAVE);
    Type(IDC_SERVER_NAME, "gamma");
    Click(IDC_EDIT_SAVE);

    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Edit");
    EXPECT_EQ(Setting("tunnel", "servers"), "gamma,alpha,xalpha,");
    EXPECT_EQ(Setting("gamma", "username"), "ann");
    EXPECT_EQ(Setting("gamma", "password"), ScramblePassword("pw"));
    EXPECT_EQ(Setting("beta", "username"), "");
    EXPECT_EQ(files.ReadSettings().find("[beta]"), std::string::npos);
    EXPECT_EQ(Setting("tunnel", "default"), "gamma");
    EXPECT_EQ(Setting("IE", "proxyServer"), "gamma");
    EXPECT_FALSE(SessionExists("beta"));
    EXPECT_EQ(SessionValue("gamma", "PortForwardings"), forwardings);
    EXPECT_EQ(SessionValue("gamma", "HostName"), "gamma");
    EXPECT_EQ(ComboItems(), (std::vector<std::string>{"alpha", "gamma", "xalpha"}));
    EXPECT_EQ(window->Accounts().Names(), (std::vector<std::string>{"alpha", "xalpha", "gamma"}));
    EXPECT_EQ(Rows()[0], "gamma 25 SMTP [*]");
    EXPECT_EQ(Rows()[3], "alpha 25 SMTP ");

    // Onto another account's name, in any letter case: refused, nothing changes.
    std::string before = files.ReadSettings();
    Select("gamma");
    Click(IDC_EDIT_SAVE);
    Type(IDC_SERVER_NAME, "XALPHA");
    user.AnswerNextBox(IDOK);
    Click(IDC_EDIT_SAVE);
    EXPECT_EQ(user.Boxes().back().text, "The specified server allready exists in the list!");
    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Save");
    Click(IDC_CANCEL_EDIT);
    EXPECT_EQ(files.ReadSettings(), before);
    EXPECT_TRUE(SessionExists("gamma"));
}

TEST_F(AccountsEditorTest, ARenameThatOnlyChangesLetterCaseKeepsTheAccountsSettings) {
    Start();
    CreateAccount("alpha", "joe", "secret", "3128");
    Click(IDC_EDIT_SAVE);
    Type(IDC_SERVER_NAME, "Alpha");
    Click(IDC_EDIT_SAVE);
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(Setting("Alpha", "username"), "joe");
    EXPECT_EQ(Setting("Alpha", "port"), "3128");
    EXPECT_EQ(Setting("tunnel", "servers"), "Alpha,");
    EXPECT_NE(SessionValue("Alpha", "PortForwardings"), "<missing>");
}

TEST_F(AccountsEditorTest, EditingKeepsAnUntouchedPasswordAndFollowsChangedFields) {
    Start();
    CreateAccount("alpha", "joe", "secret", "3128");
    Select("alpha");
    EXPECT_EQ(Text(IDC_PASSWORD), ScramblePassword("secret"));

    Click(IDC_EDIT_SAVE);
    Type(IDC_USER_NAME, "joseph");
    Click(IDC_EDIT_SAVE);
    EXPECT_EQ(Setting("alpha", "password"), ScramblePassword("secret"));
    EXPECT_EQ(Setting("alpha", "username"), "joseph");
    EXPECT_EQ(SessionValue("alpha", "UserName"), "joseph");

    Click(IDC_EDIT_SAVE);
    Type(IDC_PASSWORD, "new one");
    Click(IDC_EDIT_SAVE);
    EXPECT_EQ(Setting("alpha", "password"), ScramblePassword("new one"));

    // A new server port follows in the proxy forwarding of both stored forms and the list.
    Click(IDC_EDIT_SAVE);
    Type(IDC_SERVER_PORT, "8080");
    Click(IDC_EDIT_SAVE);
    EXPECT_EQ(Setting("alpha", "port"), "8080");
    EXPECT_EQ(SessionValue("alpha", "PortForwardings"),
              "L25=localhost:25,L110=localhost:110,L50000=localhost:8080,");
    EXPECT_EQ(Setting("alpha", "forwardings"),
              "25:localhost:25:SMTP,110:localhost:110:POP3,50000:localhost:8080:IE Proxy,");
}

TEST_F(AccountsEditorTest, CancelPutsTheFourFieldsBackExactly) {
    Start();
    CreateAccount("alpha", "joe", "secret", "3128");
    Select("alpha");
    std::string password = Text(IDC_PASSWORD);
    Click(IDC_EDIT_SAVE);
    Type(IDC_SERVER_NAME, "other");
    Type(IDC_USER_NAME, "x");
    Type(IDC_PASSWORD, "y");
    Type(IDC_SERVER_PORT, "1");
    Click(IDC_CANCEL_EDIT);
    EXPECT_EQ(Text(IDC_SERVER_NAME), "alpha");
    EXPECT_EQ(Text(IDC_USER_NAME), "joe");
    EXPECT_EQ(Text(IDC_PASSWORD), password);
    EXPECT_EQ(Text(IDC_SERVER_PORT), "3128");
    EXPECT_EQ(Setting("alpha", "username"), "joe");
}

TEST_F(AccountsEditorTest, EditWithNoAccountsCreatesOne) {
    Start();
    Click(IDC_EDIT_SAVE);
    Type(IDC_SERVER_NAME, "alpha");
    Type(IDC_USER_NAME, "joe");
    Type(IDC_PASSWORD, "pw");
    Type(IDC_SERVER_PORT, "22");
    Click(IDC_EDIT_SAVE);
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(Setting("tunnel", "servers"), "alpha,");
    EXPECT_EQ(Setting("tunnel", "default"), "alpha");
    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Edit");
    EXPECT_TRUE(Enabled(IDC_NEW_ACCOUNT));
}

TEST_F(AccountsEditorTest, RemovalNeedsTheTypedOk) {
    Start();
    CreateAccount("alpha", "joe", "pw", "22");
    Select("alpha");

    std::string message;
    user.InDialog(IDD_SERVER_REMOVE, [&](fw::Dialog& dialog) {
        char text[256] = {};
        ::GetDlgItemTextA(dialog, IDC_REMOVE_MESSAGE, text, sizeof(text));
        message = text;
        for (const char* typed : {"", "O K", "no"}) {
            ::SetDlgItemTextA(dialog, IDC_REMOVE_CONFIRMATION, typed);
            ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        char left[16] = "x";
        ::GetDlgItemTextA(dialog, IDC_REMOVE_CONFIRMATION, left, sizeof(left));
        EXPECT_STREQ(left, "");
        // Enter presses the default button, Cancel.
        EXPECT_EQ(::SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDCANCEL, DC_HASDEFID));
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    for (int i = 0; i < 3; ++i)
        user.AnswerNextBox(IDOK);
    Click(IDC_DELETE_ACCOUNT);
    EXPECT_EQ(message, "By removing the server alpha all settings related to this server will be "
                       "erased !");
    ASSERT_EQ(user.Boxes().size(), 3u);
    EXPECT_EQ(user.Boxes()[0].text, "Please type OK for removal !");
    EXPECT_EQ(user.Boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(Setting("tunnel", "servers"), "alpha,");
    EXPECT_TRUE(SessionExists("alpha"));

    // Typed in lower case, the edit makes it OK.
    user.InDialog(IDD_SERVER_REMOVE, [](fw::Dialog& dialog) {
        HWND edit = ::GetDlgItem(dialog, IDC_REMOVE_CONFIRMATION);
        ::SendMessageA(edit, WM_CHAR, 'o', 0);
        ::SendMessageA(edit, WM_CHAR, 'k', 0);
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Click(IDC_DELETE_ACCOUNT);
    EXPECT_EQ(Setting("tunnel", "servers"), "");
    EXPECT_FALSE(SessionExists("alpha"));
}

TEST_F(AccountsEditorTest, RemovingTheDefaultAndProxyAccountClearsItsRoles) {
    Start();
    CreateAccount("alpha", "joe", "pw", "22");
    CreateAccount("xalpha", "max", "pw", "22");
    Select("alpha");
    DeleteConfirmed();

    EXPECT_EQ(Setting("tunnel", "servers"), "xalpha,");
    EXPECT_EQ(Setting("tunnel", "default"), "");
    EXPECT_EQ(Setting("IE", "proxyserver"), "");
    EXPECT_EQ(Setting("IE", "proxyport"), "");
    EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: not set");
    EXPECT_EQ(LabelColor(IDC_PROXY_SETTINGS_LABEL), RGB(255, 0, 0));
    EXPECT_EQ(files.ReadSettings().find("[alpha]"), std::string::npos);
    EXPECT_EQ(Setting("xalpha", "username"), "max");
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Rows()[0], "xalpha 25 SMTP ");
    // The remaining account is shown.
    EXPECT_EQ(Text(IDC_SERVER_NAME), "xalpha");
    EXPECT_EQ(Text(IDC_USER_NAME), "max");

    DeleteConfirmed();
    for (int field : {IDC_SERVER_NAME, IDC_USER_NAME, IDC_PASSWORD, IDC_SERVER_PORT})
        EXPECT_EQ(Text(field), "") << field;
    EXPECT_TRUE(Rows().empty());
}

TEST_F(AccountsEditorTest, SetDefaultMovesTheMarksAndTheProxyAccount) {
    Start();
    CreateAccount("alpha", "joe", "pw", "22");
    CreateAccount("beta", "ann", "pw", "22");
    Select("beta");
    Click(IDC_SET_DEFAULT);
    EXPECT_EQ(Setting("tunnel", "default"), "beta");
    EXPECT_EQ(Setting("IE", "proxyServer"), "beta");
    EXPECT_EQ(Setting("IE", "proxyPort"), "50000");
    std::vector<std::string> rows = Rows();
    EXPECT_EQ(rows[0], "alpha 25 SMTP ");
    EXPECT_EQ(rows[3], "beta 25 SMTP [*]");
}

// The window knows which account is the default after the default is renamed or removed: Set
// default on a new account of the old name makes it the default.
TEST_F(AccountsEditorTest, SetDefaultWorksOnANewAccountUnderTheOldDefaultsName) {
    Start();
    CreateAccount("alpha", "joe", "pw", "22");
    CreateAccount("beta", "ann", "pw", "22");
    Select("alpha");
    Click(IDC_EDIT_SAVE);
    Type(IDC_SERVER_NAME, "gamma");
    Click(IDC_EDIT_SAVE);
    ASSERT_EQ(Setting("tunnel", "default"), "gamma");
    CreateAccount("alpha", "joe", "pw", "22");
    Select("alpha");
    Click(IDC_SET_DEFAULT);
    EXPECT_EQ(Setting("tunnel", "default"), "alpha");

    DeleteConfirmed();
    ASSERT_EQ(Setting("tunnel", "default"), "");
    CreateAccount("alpha", "joe", "pw", "22");
    Select("alpha");
    Click(IDC_SET_DEFAULT);
    EXPECT_EQ(Setting("tunnel", "default"), "alpha");
}

TEST_F(AccountsEditorTest, AccountsAndDefaultComeBackAfterARestart) {
    Start();
    CreateAccount("beta", "ann", "pw", "22");
    CreateAccount("alpha", "joe", "pw", "3128");
    window.reset();
    Start();
    EXPECT_EQ(ComboItems(), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(Text(IDC_SERVER_NAME), "beta");
    EXPECT_EQ(Text(IDC_USER_NAME), "ann");
    EXPECT_EQ(Rows().size(), 6u);
    EXPECT_EQ(Rows()[0], "beta 25 SMTP [*]");
    EXPECT_EQ(Rows()[5], "alpha 50000 IE Proxy ");
}

} // namespace

namespace {

// The longest host name there is works end to end, its saved session included, and a password
// of 256 characters; one character more of either is refused before anything is written.
TEST_F(AccountsEditorTest, NamesOf253AndPasswordsOf256CharactersWorkAndLongerOnesAreRefused) {
    Start();
    const std::string name = std::string(250, 'n') + UniqueSessionName("").substr(0, 3);
    ASSERT_EQ(name.size(), 253u);

    user.AnswerNextBox(IDOK);
    CreateAccount(name + "x", "joe", "pw", "22");
    EXPECT_EQ(user.Boxes().back().text, "The server name may be at most 253 characters long!");
    EXPECT_TRUE(FocusIsOn(IDC_SERVER_NAME));
    Click(IDC_CANCEL_EDIT);
    user.AnswerNextBox(IDOK);
    CreateAccount(name, "joe", std::string(257, 'p'), "22");
    EXPECT_EQ(user.Boxes().back().text, "The password may be at most 256 characters long!");
    EXPECT_TRUE(FocusIsOn(IDC_PASSWORD));
    Click(IDC_CANCEL_EDIT);
    EXPECT_FALSE(FileExists(files.File("Marrowin.ini")));

    CreateAccount(name, "joe", std::string(256, 'p'), "22");
    EXPECT_EQ(user.Boxes().size(), 2u);
    EXPECT_EQ(ComboItems(), std::vector<std::string>{name});
    EXPECT_EQ(SessionValue(name, "HostName"), name);

    ASSERT_TRUE(CopyStandInTo(files.Folder()));
    WriteStandInScript(files.Folder(), {"exit 0"});
    user.InDialog(IDD_CONNECTION_STATUS, [](fw::Dialog& status) { status.EndDialog(IDOK); });
    Click(IDC_START);
    ASSERT_TRUE(WaitForRecordLine(files.Folder(), "HostName=" + name));
    EXPECT_EQ(RecordedValue(ReadStandInRecord(files.Folder()), "password"), std::string(256, 'p'));
    if (window->Tunnel().IsRunning())
        Click(IDC_START);
    DeleteSavedSession(name);
}

} // namespace

namespace {

// A settings file that cannot be written (a folder stands where it should be): the user is told
// why, and the window shows what is stored, not what was typed.
TEST_F(AccountsEditorTest, AWriteTheFileRefusesIsReportedAndNothingIsShownAsSaved) {
    ASSERT_TRUE(::CreateDirectoryA(files.File("Marrowin.ini").c_str(), nullptr));
    Start();
    user.AnswerNextBox(IDOK);
    CreateAccount("alpha", "joe", "pw", "22");
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text.find("Could not write the settings file '" +
                                        files.File("Marrowin.ini") + "'.\n"),
              0u);
    EXPECT_EQ(user.Boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_TRUE(ComboItems().empty());
    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Edit");
    EXPECT_FALSE(SessionExists("alpha"));

    // An option box goes back to what is stored.
    user.AnswerNextBox(IDOK);
    Toggle(IDC_AUTOSTART);
    EXPECT_EQ(user.Boxes().size(), 2u);
    EXPECT_FALSE(Checked(IDC_AUTOSTART));
    window.reset();
    ::RemoveDirectoryA(files.File("Marrowin.ini").c_str());
}

} // namespace
