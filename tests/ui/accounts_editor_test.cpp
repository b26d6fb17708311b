// The accounts editor in the real main window: fields typed by control id, buttons clicked,
// boxes answered by the scripted user; the settings file and the saved sessions are read back
// after every step. What a change stores in both places is the account store's test; here the
// window's part: its modes, refusals, list, combo and boxes.
#include "logic/password_scrambling.h"
#include "resource.h"
#include "settings/settings_file.h"
#include "support/dialog_input.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The registry tells no letter case apart: "gamma" also removes "Gamma".
const char* const kNames[] = {"alpha", "beta", "gamma", "xalpha"};
const UINT kStop = MB_OK | MB_ICONSTOP;
const UINT kInformation = MB_OK | MB_ICONINFORMATION;

void DeleteSessions() {
    for (const char* name : kNames)
        DeleteSavedSession(name);
}

class AccountsEditorTest : public MainWindowFixture {
protected:
    void SetUp() override { DeleteSessions(); }
    void TearDown() override {
        MainWindowFixture::TearDown();
        DeleteSessions();
    }

    std::vector<std::string> ComboItems() const { return ::ComboItems(Item(IDC_SERVER_NAME)); }
    // Edit, the field typed into, Save.
    void EditAndSave(int field, const std::string& text) {
        Click(IDC_EDIT_SAVE);
        Type(field, text);
        Click(IDC_EDIT_SAVE);
    }
    // Delete, confirmed with "OK" in the removal dialog.
    void DeleteConfirmed() {
        user.InDialog(IDD_SERVER_REMOVE, [](fw::Dialog& dialog) {
            TypeInto(dialog, IDC_REMOVE_CONFIRMATION, "OK");
            ClickItem(dialog, IDOK);
        });
        Click(IDC_DELETE_ACCOUNT);
    }
};

// Viewing, New and Edit: the button's text and tip, the controls each mode enables. Edit with
// no account at all creates one.
TEST_F(AccountsEditorTest, TheModesEnableTheirControlsAndNameTheButton) {
    const char kEditTip[] = "Edit the current account";
    const char kSaveTip[] = "Save the modifications";
    const std::vector<int> viewing = {IDC_NEW_ACCOUNT, IDC_DELETE_ACCOUNT, IDC_ADD_FORWARDING};
    const std::vector<int> viewingLocked = {IDC_USER_NAME, IDC_CANCEL_EDIT};
    const struct {
        int click; // 0: as the window starts
        const char* button;
        const char* tip;
        std::vector<int> enabled;
        std::vector<int> disabled;
    } steps[] = {
        {0, "Edit", kEditTip, viewing, viewingLocked},
        {IDC_NEW_ACCOUNT,
         "Save",
         kSaveTip,
         {IDC_USER_NAME, IDC_PASSWORD, IDC_SERVER_PORT, IDC_NEW_ACCOUNT, IDC_CANCEL_EDIT},
         {IDC_DELETE_ACCOUNT, IDC_SET_DEFAULT, IDC_ACCOUNT_OPTIONS, IDC_ADD_FORWARDING,
          IDC_DELETE_FORWARDING}},
        {IDC_CANCEL_EDIT, "Edit", kEditTip, viewing, viewingLocked},
        {IDC_EDIT_SAVE, "Save", kSaveTip, {IDC_USER_NAME, IDC_CANCEL_EDIT}, {IDC_NEW_ACCOUNT}},
        {IDC_CANCEL_EDIT, "Edit", kEditTip, viewing, viewingLocked},
        {IDC_EDIT_SAVE, "Save", kSaveTip, {IDC_USER_NAME}, {IDC_NEW_ACCOUNT}},
    };
    StartWindow("");
    for (const auto& step : steps) {
        SCOPED_TRACE(step.click);
        if (step.click)
            Click(step.click);
        EXPECT_EQ(Text(IDC_EDIT_SAVE), step.button);
        EXPECT_EQ(TooltipText(IDC_EDIT_SAVE), step.tip);
        for (int id : step.enabled)
            EXPECT_TRUE(Enabled(id)) << id;
        for (int id : step.disabled)
            EXPECT_FALSE(Enabled(id)) << id;
    }

    Type(IDC_SERVER_NAME, "alpha");
    Type(IDC_USER_NAME, "joe");
    Type(IDC_PASSWORD, "pw");
    Type(IDC_SERVER_PORT, "22");
    Click(IDC_EDIT_SAVE);
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(Setting("tunnel", "servers"), "alpha,");
    EXPECT_EQ(Text(IDC_EDIT_SAVE), "Edit");
    EXPECT_EQ(TooltipText(IDC_EDIT_SAVE), kEditTip);
    EXPECT_TRUE(Enabled(IDC_NEW_ACCOUNT));
    // Changing a tip does not add a second tool for the button.
    EXPECT_EQ(::SendMessageA(TooltipOf(*window), TTM_GETTOOLCOUNT, 0, 0), 15);
}

// The options dialog chooses for a stored account: a key file must be named; OK stores the
// choices, which the dialog shows when it opens again.
TEST_F(AccountsEditorTest, TheAccountOptionsDialogStoresAStoredAccountsChoices) {
    StartWindow("");
    user.AnswerNextBox(IDOK);
    Type(IDC_SERVER_NAME, "unsaved");
    Click(IDC_ACCOUNT_OPTIONS);
    EXPECT_EQ(LastBox().text, "Please save the account first!");
    CreateAccount("alpha", "joe", "pw", "22");
    ChooseAccount("alpha");
    user.InDialog(IDD_ACCOUNT_OPTIONS, [&](fw::Dialog& dialog) {
        EXPECT_TRUE(ItemChecked(dialog, IDC_SIGN_IN_PASSWORD));
        EXPECT_FALSE(ItemEnabled(dialog, IDC_KEY_FILE));
        ChooseRadio(dialog, IDC_SIGN_IN_PASSWORD, IDC_SIGN_IN_AGENT, IDC_SIGN_IN_KEY);
        user.AnswerNextBox(IDOK);
        ClickItem(dialog, IDOK);
        EXPECT_EQ(LastBox().text, "Please choose the key file!");
        TypeInto(dialog, IDC_KEY_FILE, "C:\\keys\\id_ed25519");
        ChooseRadio(dialog, IDC_BROWSER_SERVER_PROXY, IDC_BROWSER_SSH, IDC_BROWSER_SSH);
        ClickItem(dialog, IDOK);
    });
    Click(IDC_ACCOUNT_OPTIONS);
    EXPECT_EQ(Setting("alpha", "signin"), "key");
    EXPECT_EQ(Setting("alpha", "keyfile"), "C:\\keys\\id_ed25519");
    EXPECT_EQ(Setting("alpha", "browserway"), "ssh");
    user.InDialog(IDD_ACCOUNT_OPTIONS, [&](fw::Dialog& dialog) {
        EXPECT_TRUE(ItemChecked(dialog, IDC_SIGN_IN_KEY));
        EXPECT_TRUE(ItemChecked(dialog, IDC_BROWSER_SSH));
        EXPECT_EQ(ItemText(dialog, IDC_KEY_FILE), "C:\\keys\\id_ed25519");
        ClickItem(dialog, IDCANCEL);
    });
    Click(IDC_ACCOUNT_OPTIONS);
    // Signing in with the key, the account is saved without a password.
    const size_t boxes = user.Boxes().size();
    EditAndSave(IDC_PASSWORD, "");
    EXPECT_EQ(user.Boxes().size(), boxes);
    EXPECT_EQ(Setting("alpha", "password"), "");
}

// A refusal of each rule a new account passes, with its box and focus (the port field emptied);
// the editor stays in its mode and nothing is stored. The rules' own cases are in their test.
TEST_F(AccountsEditorTest, SaveRefusesMissingAndUnstorableFields) {
    const struct {
        const char* name;
        std::string password;
        const char* port;
        const char* message;
        int focus; // 0: an information box that points at no field
    } cases[] = {
        {"beta", std::string(257, 'p'), "22", "The password may be at most 256 characters long!",
         IDC_PASSWORD},
        {"beta", "pw", "0", "The server port number may not be 0 !", IDC_SERVER_PORT},
        {"ALPHA", "pw", "22", "The specified server allready exists in the list!", 0},
    };
    StartWindow("");
    CreateAccount("alpha", "joe", "secret", "22");
    std::string before = files.ReadSettings();
    size_t boxes = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Click(IDC_NEW_ACCOUNT);
        Type(IDC_SERVER_NAME, c.name);
        Type(IDC_USER_NAME, "ann");
        Type(IDC_PASSWORD, c.password);
        Type(IDC_SERVER_PORT, c.port);
        user.AnswerNextBox(IDOK);
        Click(IDC_EDIT_SAVE);
        ASSERT_EQ(user.Boxes().size(), ++boxes);
        EXPECT_EQ(LastBox().text, c.message);
        EXPECT_EQ(LastBox().caption, "Marrowin");
        EXPECT_EQ(LastBox().type, c.focus ? kStop : kInformation);
        EXPECT_TRUE(!c.focus || FocusIsOn(c.focus));
        EXPECT_EQ(Text(IDC_SERVER_PORT), c.focus == IDC_SERVER_PORT ? "" : c.port);
        EXPECT_EQ(Text(IDC_EDIT_SAVE), "Save");
        Click(IDC_CANCEL_EDIT);
    }
    EXPECT_EQ(files.ReadSettings(), before);
    EXPECT_FALSE(SessionExists("beta"));
    EXPECT_EQ(ComboItems(), (std::vector<std::string>{"alpha"}));

    // Leading zeros spell the same port as without them.
    CreateAccount("beta", "ann", "pw", "065535");
    EXPECT_EQ(user.Boxes().size(), boxes);
    EXPECT_EQ(Setting("beta", "port"), "065535");
}

TEST_F(AccountsEditorTest, TheFirstAccountBecomesDefaultAndProxyAccountTheSecondChangesNeither) {
    StartWindow("");
    CreateAccount("alpha", "joe", "secret", "3128");
    EXPECT_EQ(Setting("tunnel", "servers"), "alpha,");
    EXPECT_EQ(Setting("alpha", "username"), "joe");
    EXPECT_EQ(Setting("alpha", "password"), ScramblePassword("secret"));
    EXPECT_EQ(Setting("alpha", "port"), "3128");
    EXPECT_EQ(Setting("tunnel", "default"), "alpha");
    EXPECT_EQ(Setting("IE", "proxyServer"), "alpha");
    EXPECT_EQ(Setting("IE", "proxyPort"), "50000");
    EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: set");
    EXPECT_EQ(SessionValue("alpha", "HostName"), "alpha");
    EXPECT_EQ(SessionValue("alpha", "UserName"), "joe");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"25|alpha|SMTP|[*]|localhost:25",
                                                "110|alpha|POP3|[*]|localhost:110",
                                                "50000|alpha|IE Proxy|[*]|localhost:3128"}));

    CreateAccount("beta", "ann", "pw", "8080");
    EXPECT_EQ(Setting("tunnel", "servers"), "alpha,beta,");
    EXPECT_EQ(Setting("tunnel", "default"), "alpha");
    EXPECT_EQ(Setting("IE", "proxyServer"), "alpha");
    EXPECT_EQ(Rows().size(), 6u);
    EXPECT_EQ(Rows()[3], "25|beta|SMTP||localhost:25");
    EXPECT_EQ(ComboItems(), (std::vector<std::string>{"alpha", "beta"}));
}

// The combo, the list and the name list follow a rename; onto another account's name in any
// letter case it is refused, onto its own name in another case it is not.
TEST_F(AccountsEditorTest, RenamingMovesTheAccountInTheComboAndTheList) {
    StartWindow("");
    CreateAccount("beta", "ann", "pw", "22");
    CreateAccount("alpha", "joe", "secret", "3128");
    CreateAccount("xalpha", "max", "pw", "22");

    ChooseAccount("beta");
    EditAndSave(IDC_SERVER_NAME, "gamma");
    EXPECT_EQ(Setting("tunnel", "servers"), "gamma,alpha,xalpha,");
    EXPECT_EQ(files.ReadSettings().find("[beta]"), std::string::npos);
    EXPECT_EQ(ComboItems(), (std::vector<std::string>{"alpha", "gamma", "xalpha"}));
    EXPECT_EQ(Rows()[0], "25|gamma|SMTP|[*]|localhost:25");
    EXPECT_EQ(Rows()[3], "25|alpha|SMTP||localhost:25");

    std::string before = files.ReadSettings();
    ChooseAccount("gamma");
    user.AnswerNextBox(IDOK);
    EditAndSave(IDC_SERVER_NAME, "XALPHA");
    EXPECT_EQ(LastBox().text, "The specified server allready exists in the list!");
    Click(IDC_CANCEL_EDIT);
    EXPECT_EQ(files.ReadSettings(), before);

    EditAndSave(IDC_SERVER_NAME, "Gamma");
    EXPECT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(Setting("tunnel", "servers"), "Gamma,alpha,xalpha,");
    EXPECT_EQ(Setting("Gamma", "username"), "ann");
    EXPECT_NE(SessionValue("Gamma", "PortForwardings"), "<missing>");

    // The known-hosts file cannot be rewritten: the rename stands, and the user hears that the
    // server's key stayed under the old name.
    WriteWholeFile(files.File("known_hosts"), "Gamma ssh-ed25519 A\n");
    ASSERT_TRUE(::CreateDirectoryA(files.File("known_hosts.new").c_str(), nullptr));
    user.AnswerNextBox(IDOK);
    EditAndSave(IDC_SERVER_NAME, "delta");
    EXPECT_EQ(Setting("tunnel", "servers"), "delta,alpha,xalpha,");
    EXPECT_EQ(LastBox().text.find("The server's key could not be moved to the account's new name "
                                  "in the file '" + files.File("known_hosts") + "'"),
              0u);
    ::RemoveDirectoryA(files.File("known_hosts.new").c_str());
}

// The password field shows the stored text; saved untouched it is kept, typed anew it is
// scrambled. Cancel puts the four fields back as they were.
TEST_F(AccountsEditorTest, EditingKeepsAnUntouchedPasswordAndCancelPutsTheFieldsBack) {
    StartWindow("");
    CreateAccount("alpha", "joe", "secret", "3128");
    ChooseAccount("alpha");
    EXPECT_EQ(Text(IDC_PASSWORD), ScramblePassword("secret"));

    EditAndSave(IDC_USER_NAME, "joseph");
    EXPECT_EQ(Setting("alpha", "password"), ScramblePassword("secret"));
    EXPECT_EQ(Setting("alpha", "username"), "joseph");
    EXPECT_EQ(SessionValue("alpha", "UserName"), "joseph");

    EditAndSave(IDC_PASSWORD, "new one");
    EXPECT_EQ(Setting("alpha", "password"), ScramblePassword("new one"));

    std::string password = Text(IDC_PASSWORD);
    Click(IDC_EDIT_SAVE);
    Type(IDC_SERVER_NAME, "other");
    Type(IDC_USER_NAME, "x");
    Type(IDC_PASSWORD, "y");
    Type(IDC_SERVER_PORT, "1");
    Click(IDC_CANCEL_EDIT);
    EXPECT_EQ(Text(IDC_SERVER_NAME), "alpha");
    EXPECT_EQ(Text(IDC_USER_NAME), "joseph");
    EXPECT_EQ(Text(IDC_PASSWORD), password);
    EXPECT_EQ(Text(IDC_SERVER_PORT), "3128");
    EXPECT_EQ(Setting("alpha", "username"), "joseph");
}

// Removal asks for a typed OK; removing the default and proxy account clears its roles and
// shows the account left; a saved session that cannot be deleted is told.
TEST_F(AccountsEditorTest, RemovalNeedsTheTypedOkAndClearsTheRolesOfTheDefault) {
    StartWindow("");
    CreateAccount("alpha", "joe", "pw", "22");
    CreateAccount("xalpha", "max", "pw", "22");
    ChooseAccount("alpha");

    std::string message;
    user.InDialog(IDD_SERVER_REMOVE, [&](fw::Dialog& dialog) {
        message = ItemText(dialog, IDC_REMOVE_MESSAGE);
        for (const char* typed : {"", "O K", "no"}) {
            TypeInto(dialog, IDC_REMOVE_CONFIRMATION, typed);
            ClickItem(dialog, IDOK);
        }
        EXPECT_EQ(ItemText(dialog, IDC_REMOVE_CONFIRMATION), "");
        // Enter presses the default button, Cancel.
        EXPECT_EQ(::SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDCANCEL, DC_HASDEFID));
        ClickItem(dialog, IDCANCEL);
    });
    for (int i = 0; i < 3; ++i)
        user.AnswerNextBox(IDOK);
    Click(IDC_DELETE_ACCOUNT);
    EXPECT_EQ(message, "By removing the server alpha all settings related to this server will be "
                       "erased !");
    ASSERT_EQ(user.Boxes().size(), 3u);
    EXPECT_EQ(user.Boxes()[0].text, "Please type OK for removal !");
    EXPECT_EQ(user.Boxes()[0].type, kStop);
    EXPECT_EQ(Setting("tunnel", "servers"), "alpha,xalpha,");
    EXPECT_TRUE(SessionExists("alpha"));

    // Typed in lower case, the edit makes it OK.
    user.InDialog(IDD_SERVER_REMOVE, [](fw::Dialog& dialog) {
        TypeChars(::GetDlgItem(dialog, IDC_REMOVE_CONFIRMATION), "ok");
        ClickItem(dialog, IDOK);
    });
    Click(IDC_DELETE_ACCOUNT);
    EXPECT_FALSE(SessionExists("alpha"));
    EXPECT_EQ(Setting("tunnel", "servers"), "xalpha,");
    EXPECT_EQ(Setting("tunnel", "default"), "");
    EXPECT_EQ(Setting("IE", "proxyserver"), "");
    EXPECT_EQ(Setting("IE", "proxyport"), "");
    EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL), "Proxy settings: not set");
    EXPECT_EQ(files.ReadSettings().find("[alpha]"), std::string::npos);
    EXPECT_EQ(Setting("xalpha", "username"), "max");
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Rows()[0], "25|xalpha|SMTP||localhost:25");
    // The remaining account is shown.
    EXPECT_EQ(Text(IDC_SERVER_NAME), "xalpha");
    EXPECT_EQ(Text(IDC_USER_NAME), "max");

    // A saved session gone from the registry cannot be deleted: the user is told, and the
    // account goes all the same.
    DeleteSavedSession("xalpha");
    user.AnswerNextBox(IDOK);
    DeleteConfirmed();
    EXPECT_EQ(LastBox().text, "Can't delete the registry key!");
    EXPECT_EQ(LastBox().caption, "Marrowin");
    EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(LastBox().owner, nullptr);
    for (int field : {IDC_SERVER_NAME, IDC_USER_NAME, IDC_PASSWORD, IDC_SERVER_PORT})
        EXPECT_EQ(Text(field), "") << field;
    EXPECT_TRUE(Rows().empty());
}

// The window knows which account is the default after the default is renamed or removed: Set
// default on a new account of the old name makes it the default.
TEST_F(AccountsEditorTest, SetDefaultMovesTheMarksAndTheProxyAccount) {
    StartWindow("");
    CreateAccount("alpha", "joe", "pw", "22");
    CreateAccount("beta", "ann", "pw", "22");
    ChooseAccount("beta");
    Click(IDC_SET_DEFAULT);
    EXPECT_EQ(Setting("tunnel", "default"), "beta");
    EXPECT_EQ(Setting("IE", "proxyServer"), "beta");
    EXPECT_EQ(Setting("IE", "proxyPort"), "50000");
    EXPECT_EQ(Rows()[0], "25|alpha|SMTP||localhost:25");
    EXPECT_EQ(Rows()[3], "25|beta|SMTP|[*]|localhost:25");

    EditAndSave(IDC_SERVER_NAME, "gamma");
    ASSERT_EQ(Setting("tunnel", "default"), "gamma");
    CreateAccount("beta", "ann", "pw", "22");
    ChooseAccount("beta");
    Click(IDC_SET_DEFAULT);
    EXPECT_EQ(Setting("tunnel", "default"), "beta");

    DeleteConfirmed();
    ASSERT_EQ(Setting("tunnel", "default"), "");
    CreateAccount("beta", "ann", "pw", "22");
    ChooseAccount("beta");
    Click(IDC_SET_DEFAULT);
    EXPECT_EQ(Setting("tunnel", "default"), "beta");
}

// The longest host name there is works end to end, its saved session included, and a password
// of 256 characters.
TEST_F(AccountsEditorTest, ANameOf253AndAPasswordOf256CharactersReachTheClient) {
    StartWindow("");
    const std::string name = std::string(250, 'n') + UniqueSessionName("").substr(0, 3);
    ASSERT_EQ(name.size(), 253u);
    CreateAccount(name, "joe", std::string(256, 'p'), "22");
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(ComboItems(), std::vector<std::string>{name});
    EXPECT_EQ(SessionValue(name, "HostName"), name);

    ASSERT_TRUE(CopyStandInTo(files.Folder()));
    WriteStandInScript(files.Folder(), {"exit 0"});
    user.InDialog(IDD_CONNECTION_STATUS, [](fw::Dialog& status) { status.EndDialog(IDOK); });
    Click(IDC_START);
    ASSERT_TRUE(WaitForRecordLine(files.Folder(), "HostName=" + name));
    EXPECT_EQ(RecordedValue(ReadStandInRecord(files.Folder()), "password"), std::string(256, 'p'));
    if (window->Session().IsRunning())
        Click(IDC_START);
    DeleteSavedSession(name);
}

// A settings file that cannot be written (a folder stands where it should be): the user is told
// why, and the window shows what is stored, not what was typed.
TEST_F(AccountsEditorTest, AWriteTheFileRefusesIsReportedAndNothingIsShownAsSaved) {
    ASSERT_TRUE(::CreateDirectoryA(files.File("Marrowin.ini").c_str(), nullptr));
    StartWindow("");
    user.AnswerNextBox(IDOK);
    CreateAccount("alpha", "joe", "pw", "22");
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text.find("Could not write the settings file '" +
                                        files.File("Marrowin.ini") + "'.\n"),
              0u);
    EXPECT_EQ(user.Boxes()[0].type, kStop);
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
