// Marrowin.exe used by keyboard alone, from another process: each key goes to the control that
// has the focus, as the keyboard sends it there. The settings panel is opened, an account made
// and saved, and the tunnel started and stopped, with the stand-in client.
#include "resource.h"
#include "support/marrowin_process.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The keys a keyboard sends to the focus of the window's thread, and where that focus is.
class Keyboard {
public:
    explicit Keyboard(HWND window) : window_(window) {}

    HWND Focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        DWORD thread = ::GetWindowThreadProcessId(window_, nullptr);
        return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    }

    void Press(UINT key) const {
        ::PostMessageA(Focus(), WM_KEYDOWN, key, 1);
        ::PostMessageA(Focus(), WM_KEYUP, key, 0xC0000001);
    }

    // Tab until the control has the focus; false when the focus does not get there.
    bool TabTo(int id) const {
        for (int presses = 0; presses < 80 && Focus(); ++presses) {
            HWND before = Focus();
            if (before == ::GetDlgItem(window_, id))
                return true;
            Press(VK_TAB);
            PumpMessagesUntil([&] { return Focus() != before; }, 5000);
        }
        return false;
    }

    // Types into the field that has the focus; true once it shows the text.
    bool Type(const std::string& text) const {
        HWND focus = Focus();
        for (char c : text)
            ::PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(c), 1);
        return PumpMessagesUntil([&] { return OtherProcessText(focus) == text; }, 5000);
    }

    bool Shows(int id, const std::string& text) const {
        return PumpMessagesUntil(
            [&] { return OtherProcessText(::GetDlgItem(window_, id)) == text; }, 10000);
    }

private:
    HWND window_;
};

TEST(KeyboardTest, AnAccountIsMadeAndTheTunnelStartedAndStoppedByKeyboardAlone) {
    TempFolder folder;
    ASSERT_TRUE(CopyStandInTo(folder.Path()));
    WriteStandInScript(folder.Path(), {"post WM_QV_CON_ESTH", "wait-quit"});
    const std::string account = UniqueSessionName("keys.example");
    MarrowinProcess program(folder.Path());
    ASSERT_TRUE(program.Start());
    HWND window = WaitForTopLevelDialog(program.ProcessId(), "Marrowin");
    ASSERT_NE(window, nullptr);
    Keyboard keys(window);

    ASSERT_TRUE(keys.TabTo(IDC_SETTINGS));
    keys.Press(VK_SPACE);
    ASSERT_TRUE(keys.Shows(IDC_SETTINGS, "Close settings"));
    ASSERT_TRUE(keys.TabTo(IDC_NEW_ACCOUNT));
    keys.Press(VK_SPACE);
    ASSERT_TRUE(keys.Shows(IDC_EDIT_SAVE, "Save"));
    // New has put the focus into the server name.
    ASSERT_TRUE(keys.Type(account));
    for (auto [field, text] : {std::pair(IDC_USER_NAME, "alice"), std::pair(IDC_PASSWORD, "secret"),
                               std::pair(IDC_SERVER_PORT, "3128")}) {
        ASSERT_TRUE(keys.TabTo(field));
        ASSERT_TRUE(keys.Type(text));
    }
    ASSERT_TRUE(keys.TabTo(IDC_EDIT_SAVE));
    keys.Press(VK_RETURN);
    ASSERT_TRUE(keys.Shows(IDC_EDIT_SAVE, "Edit")) << "the account was not saved";

    ASSERT_TRUE(keys.TabTo(IDC_START));
    keys.Press(VK_SPACE);
    ASSERT_TRUE(keys.Shows(IDC_START, "Stop"));
    ASSERT_TRUE(WaitForRecordLine(folder.Path(), "posted WM_QV_CON_ESTH"));
    const std::vector<std::string> record = ReadStandInRecord(folder.Path());
    EXPECT_EQ(RecordedValue(record, "HostName") + " " + RecordedValue(record, "UserName") + " " +
                  RecordedValue(record, "password"),
              account + " alice secret");
    // The status window that Start opened has the focus: Enter closes it.
    HWND status = nullptr;
    ASSERT_TRUE(PumpMessagesUntil(
        [&] {
            status = ShownDialog(program.ProcessId(), "Marrowin connection status");
            return status && ::GetAncestor(keys.Focus(), GA_ROOT) == status;
        },
        10000));
    keys.Press(VK_RETURN);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !::IsWindowVisible(status); }, 10000));

    ASSERT_TRUE(keys.TabTo(IDC_START));
    keys.Press(VK_SPACE);
    EXPECT_TRUE(keys.Shows(IDC_START, "Start"));
    EXPECT_TRUE(WaitForRecordLine(folder.Path(), "got WM_QUIT"));
    ::PostMessageA(window, ::RegisterWindowMessageA("Marrowin-Quit"), 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
    DeleteSavedSession(account);
}

} // namespace
