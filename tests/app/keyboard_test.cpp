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
#include <vector>

namespace {

// What the user of a keyboard does: keys to the focus of the window's thread, and what that
// user sees: where the focus is.
class Keyboard {
public:
    explicit Keyboard(HWND window) : window_(window) {}

    HWND Focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        DWORD thread = ::GetWindowThreadProcessId(window_, nullptr);
        return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    }

    // The id of the control that has the focus; the edit field of a combo box counts as the
    // combo box.
    int FocusId() const {
        HWND focus = Focus();
        HWND parent = focus ? ::GetParent(focus) : nullptr;
        return parent && parent != window_ ? ::GetDlgCtrlID(parent) : ::GetDlgCtrlID(focus);
    }

    void Press(UINT key) const {
        HWND focus = Focus();
        ::PostMessageA(focus, WM_KEYDOWN, key, 1);
        ::PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
    }

    // Tab until the control has the focus; false when the focus does not get there.
    bool TabTo(int id) const {
        for (int presses = 0; presses < 80; ++presses) {
            HWND before = Focus();
            if (before && FocusId() == id)
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

private:
    HWND window_;
};

bool Shows(HWND window, int id, const std::string& text) {
    return PumpMessagesUntil([&] { return OtherProcessText(::GetDlgItem(window, id)) == text; },
                             10000);
}

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
    ASSERT_TRUE(PumpMessagesUntil([&] { return keys.Focus() != nullptr; }, 10000))
        << "nothing of the window has the focus";

    ASSERT_TRUE(keys.TabTo(IDC_SETTINGS));
    keys.Press(VK_SPACE);
    ASSERT_TRUE(Shows(window, IDC_SETTINGS, "Close settings"));
    ASSERT_TRUE(keys.TabTo(IDC_NEW_ACCOUNT));
    keys.Press(VK_SPACE);
    ASSERT_TRUE(Shows(window, IDC_EDIT_SAVE, "Save"));
    const struct {
        int field;
        std::string text;
    } fields[] = {{IDC_SERVER_NAME, account},
                  {IDC_USER_NAME, "alice"},
                  {IDC_PASSWORD, "secret"},
                  {IDC_SERVER_PORT, "3128"}};
    for (const auto& f : fields) {
        ASSERT_TRUE(keys.TabTo(f.field)) << f.field;
        ASSERT_TRUE(keys.Type(f.text)) << f.field;
    }
    ASSERT_TRUE(keys.TabTo(IDC_EDIT_SAVE));
    keys.Press(VK_RETURN);
    ASSERT_TRUE(Shows(window, IDC_EDIT_SAVE, "Edit")) << "the account was not saved";

    ASSERT_TRUE(keys.TabTo(IDC_START));
    keys.Press(VK_SPACE);
    ASSERT_TRUE(Shows(window, IDC_START, "Stop"));
    EXPECT_TRUE(WaitForRecordLine(folder.Path(), "posted WM_QV_CON_ESTH"));
    const std::vector<std::string> record = ReadStandInRecord(folder.Path());
    EXPECT_EQ(RecordedValue(record, "UserName"), "alice");
    EXPECT_EQ(RecordedValue(record, "password"), "secret");
    EXPECT_EQ(RecordedValue(record, "HostName"), account);
    // Enter closes the status window, which has the focus.
    HWND status = nullptr;
    ASSERT_TRUE(PumpMessagesUntil(
        [&] { return (status = ShownDialog(program.ProcessId(), "Marrowin connection status")); },
        10000));
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return ::GetAncestor(keys.Focus(), GA_ROOT) == status; }, 10000))
        << "the focus is not in the status window";
    keys.Press(VK_RETURN);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !::IsWindowVisible(status); }, 10000));

    ASSERT_TRUE(keys.TabTo(IDC_START));
    keys.Press(VK_SPACE);
    EXPECT_TRUE(Shows(window, IDC_START, "Start"));
    EXPECT_TRUE(WaitForRecordLine(folder.Path(), "got WM_QUIT"));

    ::PostMessageA(window, ::RegisterWindowMessageA("Marrowin-Quit"), 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
    DeleteSavedSession(account);
}

} // namespace
