// Start with Windows against the Run keys of the test's Wine prefix: the main window's check box
// and combo box writing and removing the quoted entries of both scopes, the box of each failing
// step, and the steps stopping where one fails.
#include "system/startup_entry.h"

#include "resource.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"

#include <gtest/gtest.h>

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kFailure[] =
    "Could not set startup type option!\nMake sure you have the permission to access the registry!";

std::string RunValue(HKEY root) {
    return RegistryText(root, kRunKey, "Marrowin");
}

void RemoveRunValue(HKEY root) {
    ::RegDeleteKeyValueA(root, kRunKey, "Marrowin");
}

void ExpectFailureBoxes(const ScriptedUser& user, size_t count) {
    ASSERT_EQ(user.Boxes().size(), count);
    for (const RecordedBox& box : user.Boxes()) {
        EXPECT_EQ(box.text, kFailure);
        EXPECT_EQ(box.caption, "Marrowin");
        EXPECT_EQ(box.type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(box.owner, nullptr);
    }
}

// The Run key itself is gone for a while, so that opening it fails as it does for a user
// without the right to write there; it is made again (empty) afterwards.
class MissingRunKey {
public:
    explicit MissingRunKey(HKEY root) : root_(root) {
        RemoveRunValue(root_);
        EXPECT_EQ(::RegDeleteKeyA(root_, kRunKey), ERROR_SUCCESS);
    }
    ~MissingRunKey() {
        HKEY key;
        if (::RegCreateKeyA(root_, kRunKey, &key) == ERROR_SUCCESS)
            ::RegCloseKey(key);
    }

private:
    HKEY root_;
};

class StartWithWindowsTest : public MainWindowFixture {
protected:
    void SetUp() override {
        RemoveRunValue(HKEY_CURRENT_USER);
        RemoveRunValue(HKEY_LOCAL_MACHINE);
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        SetUp();
    }
    std::string Entry() const { return "\"" + files.Folder() + "\\Marrowin.exe\""; }
    // The entry stands in the Run key of `root` alone (null: in neither), and the setting and
    // the controls show the scope; the box is checked and the combo box usable while one shows.
    void ExpectEntry(HKEY root, const char* stored, int selection) const {
        EXPECT_EQ(RunValue(HKEY_CURRENT_USER), root == HKEY_CURRENT_USER ? Entry() : "<missing>");
        EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), root == HKEY_LOCAL_MACHINE ? Entry() : "<missing>");
        EXPECT_EQ(Setting("Main", "startupType"), stored);
        EXPECT_EQ(Selection(IDC_STARTUP_TYPE), selection);
        EXPECT_EQ(Checked(IDC_START_WITH_WINDOWS), selection != CB_ERR);
        EXPECT_EQ(Enabled(IDC_STARTUP_TYPE), selection != CB_ERR);
    }
};

TEST_F(StartWithWindowsTest, TheBoxAndTheComboMoveTheEntryBetweenTheScopes) {
    StartWindow("[Main]\r\nstartupType=0\r\n");
    // Checking takes the current user whatever the combo box showed.
    ::SendMessageA(Item(IDC_STARTUP_TYPE), CB_SETCURSEL, 1, 0);
    Toggle(IDC_START_WITH_WINDOWS);
    ExpectEntry(HKEY_CURRENT_USER, "1", 0);
    Choose(IDC_STARTUP_TYPE, 1);
    ExpectEntry(HKEY_LOCAL_MACHINE, "2", 1);
    Choose(IDC_STARTUP_TYPE, 0);
    ExpectEntry(HKEY_CURRENT_USER, "1", 0);
    Toggle(IDC_START_WITH_WINDOWS);
    ExpectEntry(nullptr, "0", CB_ERR);
    EXPECT_TRUE(user.Boxes().empty());
}

// An entry removed outside the program, or a Run key without one, is what the user wants: no
// box, and the choice is stored.
TEST_F(StartWithWindowsTest, AnEntryAlreadyGoneIsNoFailure) {
    StartWindow("[Main]\r\nstartupType=2\r\n");
    Toggle(IDC_START_WITH_WINDOWS);
    ExpectEntry(nullptr, "0", CB_ERR);
    Toggle(IDC_START_WITH_WINDOWS);
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Marrowin");
    Choose(IDC_STARTUP_TYPE, 1);
    ExpectEntry(HKEY_LOCAL_MACHINE, "2", 1);
    EXPECT_TRUE(user.Boxes().empty());
}

// Nothing stored changes: the check box is set back with the combo box as it was, and the
// combo box keeps the scope chosen.
TEST_F(StartWithWindowsTest, AnEntryThatCannotBeWrittenChangesNothingStoredAndTheBoxIsSetBack) {
    StartWindow("[Main]\r\nstartupType=0\r\n");
    {
        MissingRunKey missing(HKEY_CURRENT_USER);
        user.AnswerNextBox(IDOK);
        Toggle(IDC_START_WITH_WINDOWS);
        ExpectEntry(nullptr, "0", CB_ERR);
    }
    // Checked again, with the key back.
    Toggle(IDC_START_WITH_WINDOWS);
    ASSERT_EQ(RunValue(HKEY_CURRENT_USER), Entry());
    {
        MissingRunKey missing(HKEY_LOCAL_MACHINE);
        user.AnswerNextBox(IDOK);
        Choose(IDC_STARTUP_TYPE, 1);
        ExpectEntry(HKEY_CURRENT_USER, "1", 1);
    }
    ExpectFailureBoxes(user, 2);
}

// A choice the settings file refuses would show the entries wrongly at the next start: they go
// back to what the file holds, and the user learns why.
TEST_F(StartWithWindowsTest, AChoiceThatCannotBeStoredTakesTheRunValuesBack) {
    ASSERT_TRUE(::CreateDirectoryA(files.File("Marrowin.ini").c_str(), nullptr));
    StartWindow("");
    user.AnswerNextBox(IDOK);
    Toggle(IDC_START_WITH_WINDOWS);
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), "<missing>");
    EXPECT_FALSE(Checked(IDC_START_WITH_WINDOWS));

    user.AnswerNextBox(IDOK);
    Choose(IDC_STARTUP_TYPE, 1);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), "<missing>");
    ASSERT_EQ(user.Boxes().size(), 2u);
    for (const RecordedBox& box : user.Boxes()) {
        EXPECT_EQ(box.text.find("Could not write the settings file '"), 0u);
        EXPECT_EQ(box.owner, nullptr);
    }
    window.reset();
    ::RemoveDirectoryA(files.File("Marrowin.ini").c_str());
}

} // namespace
