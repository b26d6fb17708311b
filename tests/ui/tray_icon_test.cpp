// The tray icon against the real shell and menus: the icon added, changed, added again after a
// taskbar restart and removed; clicks reported as the shell reports them; the menu read while
// it is open, with a small dialog standing in for the main window to receive its commands.
#include "ui/tray_icon.h"

#include "framework/application.h"
#include "framework/dialog.h"
#include "resource.h"
#include "support/scripted_user.h"
#include "support/tray_menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class TestApplication : public fw::Application {
protected:
    bool InitInstance() override { return false; }
};

// Stands in for the main window: records the tray commands and messages that reach it, in
// the order they arrive.
class MainWindowStandIn : public fw::Dialog {
public:
    static constexpr int kNullMessage = -1;
    static constexpr int kRestoreSystemCommand = -2;

    MainWindowStandIn() : fw::Dialog(IDD_ABOUTBOX) {
        for (int id : {ID_TRAY_RESTORE, ID_TRAY_START, ID_TRAY_STOP, ID_TRAY_QUIT})
            OnCommand(id, [this, id] { received.push_back(id); });
        OnMessage(WM_NULL, [this](WPARAM, LPARAM) -> LRESULT {
            received.push_back(kNullMessage);
            return 0;
        });
        OnMessage(WM_SYSCOMMAND, [this](WPARAM command, LPARAM) -> LRESULT {
            if ((command & 0xFFF0) == SC_RESTORE)
                received.push_back(kRestoreSystemCommand);
            return 0;
        });
    }

    std::vector<int> received;
};

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mainWindow.Create());
        app.SetMainWindow(&mainWindow);
    }
    void TearDown() override { app.SetMainWindow(nullptr); }

    std::unique_ptr<CMenuTrayIcon> MakeTray(UINT defaultCommand = ID_TRAY_RESTORE,
                                            bool byPosition = false, UINT id = IDR_TRAY_MENU) {
        return std::make_unique<CMenuTrayIcon>("Marrowin", ProgramIcon(IDI_PRIVACY_OFF), id,
                                               defaultCommand, byPosition);
    }
    // Lets posted messages arrive at the stand-in.
    void Settle() { PumpMessagesFor(100); }
    std::vector<int>& Received() { return mainWindow.received; }

    TestApplication app;
    MainWindowStandIn mainWindow;
};

using Commands = std::vector<int>;

TEST_F(TrayIconTest, TheIconIsAddedFromAHiddenWindowWithTheNarrowRecordAndRemovedWithIt) {
    auto tray = MakeTray();
    ASSERT_TRUE(tray->IsEnabled());
    const NOTIFYICONDATAA& record = tray->Record();
    EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
    EXPECT_EQ(record.hWnd, tray->Handle());
    EXPECT_EQ(record.uID, static_cast<UINT>(IDR_TRAY_MENU));
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, ::RegisterWindowMessageA("CTrayIcon"));
    EXPECT_EQ(record.hIcon, ProgramIcon(IDI_PRIVACY_OFF));
    EXPECT_STREQ(record.szTip, "Marrowin");
    EXPECT_EQ(record.szInfo[0], '\0');
    EXPECT_EQ(record.szInfoTitle[0], '\0');
    EXPECT_EQ(record.dwInfoFlags, 0u);
    EXPECT_TRUE(ShellHoldsIcon(tray->Handle(), IDR_TRAY_MENU));
    EXPECT_FALSE(::IsWindowVisible(tray->Handle()));

    HWND window = tray->Handle();
    tray.reset();
    EXPECT_FALSE(ShellHoldsIcon(window, IDR_TRAY_MENU));
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(TrayIconTest, ATipLongerThan127CharactersIsCut) {
    std::string tip;
    for (int i = 0; i < 200; ++i)
        tip += static_cast<char>('a' + i % 26);
    CTrayIcon tray;
    ASSERT_TRUE(tray.Create(tip, ProgramIcon(IDI_PRIVACY_OFF), 7));
    EXPECT_EQ(std::string(tray.Record().szTip), tip.substr(0, 127));
    EXPECT_TRUE(ShellHoldsIcon(tray.Handle(), 7));
}

TEST_F(TrayIconTest, SettingTheIconChangesOnlyThePictureAndARestartedTaskbarGetsItBack) {
    auto tray = MakeTray();
    tray->SetIcon(ProgramIcon(IDI_PRIVACY_ON));
    EXPECT_EQ(tray->Record().hIcon, ProgramIcon(IDI_PRIVACY_ON));
    EXPECT_EQ(tray->Record().uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_STREQ(tray->Record().szTip, "Marrowin");
    EXPECT_EQ(tray->Record().uID, static_cast<UINT>(IDR_TRAY_MENU));
    EXPECT_TRUE(ShellHoldsIcon(tray->Handle(), IDR_TRAY_MENU));
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

    // A restarted shell has forgotten every icon.
    NOTIFYICONDATAA forgotten = tray->Record();
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &forgotten));
    ASSERT_FALSE(ShellHoldsIcon(tray->Handle(), IDR_TRAY_MENU));
    ::SendMessageA(*tray, taskbarCreated, 0, 0);
    EXPECT_TRUE(ShellHoldsIcon(tray->Handle(), IDR_TRAY_MENU));
    EXPECT_EQ(tray->Record().uFlags, 7u);
    EXPECT_EQ(tray->Record().hIcon, ProgramIcon(IDI_PRIVACY_ON));

    // Announced while the shell still holds the icon, the add is refused as a duplicate; the
    // icon must go on working and be removed at the end all the same.
    ::SendMessageA(*tray, taskbarCreated, 0, 0);
    ASSERT_TRUE(tray->IsEnabled());
    tray->SetIcon(ProgramIcon(IDI_PRIVACY_OFF));
    EXPECT_EQ(tray->Record().hIcon, ProgramIcon(IDI_PRIVACY_OFF));
    HWND window = tray->Handle();
    tray.reset();
    EXPECT_FALSE(ShellHoldsIcon(window, IDR_TRAY_MENU));
}

TEST_F(TrayIconTest, ALeftClickBringsTheMainWindowForwardAndSendsTheDefaultCommand) {
    MainWindowStandIn other;
    ASSERT_TRUE(other.Create());
    ::SetForegroundWindow(other);
    auto tray = MakeTray();

    EXPECT_EQ(ClickTrayIcon(*tray, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(ClickTrayIcon(*tray, WM_LBUTTONUP), 1);
    Settle();
    EXPECT_EQ(Received(), Commands{ID_TRAY_RESTORE});
    EXPECT_EQ(::GetForegroundWindow(), mainWindow.Handle());
    EXPECT_TRUE(other.received.empty());
}

TEST_F(TrayIconTest, AReleaseWithoutAPressOnTheIconDoesNothing) {
    auto tray = MakeTray();
    EXPECT_EQ(ClickTrayIcon(*tray, WM_LBUTTONUP), 0);
    // A press reported for another icon id is not a press on this one.
    ::SendMessageA(*tray, CTrayIcon::CallbackMessage(), IDR_TRAY_MENU + 1, WM_LBUTTONDOWN);
    EXPECT_EQ(ClickTrayIcon(*tray, WM_LBUTTONUP), 0);
    Settle();
    EXPECT_TRUE(Received().empty());

    // A double click is one click: its second release finds no press recorded.
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        ClickTrayIcon(*tray, mouse);
    Settle();
    EXPECT_EQ(Received(), Commands{ID_TRAY_RESTORE});
}

TEST_F(TrayIconTest, TheDefaultCommandCanBeAPositionInTheMenu) {
    auto tray = MakeTray(5, true);
    ClickTrayIcon(*tray, WM_LBUTTONDOWN);
    ClickTrayIcon(*tray, WM_LBUTTONUP);
    Settle();
    EXPECT_EQ(Received(), Commands{ID_TRAY_QUIT});

    ShownTrayMenu menu = RightClickTrayIcon(*tray);
    ASSERT_TRUE(menu.shown);
    EXPECT_EQ(menu.defaultPosition, 5);
    Settle();

    EXPECT_TRUE(tray->SetDefaultCommand(ID_TRAY_START, false));
    Received().clear();
    ClickTrayIcon(*tray, WM_LBUTTONDOWN);
    ClickTrayIcon(*tray, WM_LBUTTONUP);
    Settle();
    EXPECT_EQ(Received(), Commands{ID_TRAY_START});
}

TEST_F(TrayIconTest, ARightClickShowsTheTrayMenuAtTheCursorOwnedByTheMainWindow) {
    auto tray = MakeTray();
    ::SetCursorPos(300, 250);
    POINT cursor;
    ::GetCursorPos(&cursor);

    ShownTrayMenu menu = RightClickTrayIcon(*tray);
    EXPECT_EQ(menu.result, 1);
    ASSERT_TRUE(menu.shown);
    EXPECT_EQ(menu.owner, mainWindow.Handle());
    EXPECT_EQ(menu.origin.x, cursor.x);
    EXPECT_EQ(menu.origin.y, cursor.y);

    struct Expected {
        UINT id;
        const char* text;
        bool separator;
    };
    const Expected expected[] = {{ID_TRAY_RESTORE, "Marrowin", false},
                                 {0, "", true},
                                 {ID_TRAY_START, "Start privacy", false},
                                 {ID_TRAY_STOP, "Stop privacy", false},
                                 {0, "", true},
                                 {ID_TRAY_QUIT, "Quit Marrowin", false}};
    ASSERT_EQ(menu.items.size(), 6u);
    for (size_t i = 0; i < menu.items.size(); ++i) {
        EXPECT_EQ(menu.items[i].id, expected[i].id) << i;
        EXPECT_EQ(menu.items[i].text, expected[i].text) << i;
        EXPECT_EQ(menu.items[i].separator, expected[i].separator) << i;
    }
    // "Marrowin" is the bold default; privacy starts off, so "Stop privacy" alone is checked.
    EXPECT_EQ(menu.defaultPosition, 0);
    for (size_t i = 0; i < menu.items.size(); ++i)
        EXPECT_EQ(menu.items[i].checked, i == 3) << i;

    // Closed with nothing chosen, the menu leaves only the empty message behind it.
    Settle();
    EXPECT_EQ(Received(), Commands{MainWindowStandIn::kNullMessage});

    // Down to "Start privacy", past the separator, and chosen: the command comes first.
    Received().clear();
    ASSERT_TRUE(RightClickTrayIcon(*tray, {VK_DOWN, VK_DOWN, VK_RETURN}).shown);
    Settle();
    EXPECT_EQ(Received(), (Commands{ID_TRAY_START, MainWindowStandIn::kNullMessage}));
}

TEST_F(TrayIconTest, ByKeyboardEnterOrSpaceRunTheDefaultCommandAndAClickStillRunsItOnce) {
    struct Case {
        std::vector<UINT> messages; // as the shell of version 4 sends them
        Commands received;
    };
    const Case cases[] = {
        {{NIN_KEYSELECT}, {ID_TRAY_RESTORE}},
        {{NIN_SELECT}, {ID_TRAY_RESTORE}},
        {{WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT}, {ID_TRAY_RESTORE}},
        {{WM_LBUTTONUP, NIN_SELECT}, {}},
    };
    for (const Case& test : cases) {
        auto tray = MakeTray();
        ASSERT_TRUE(tray->SpeaksVersion4());
        Received().clear();
        for (UINT message : test.messages)
            ClickTrayIcon(*tray, message);
        Settle();
        EXPECT_EQ(Received(), test.received) << test.messages.size();
    }
}

TEST_F(TrayIconTest, TheMenuKeyOpensTheMenuWithItsFirstItemSelectedAndARightClickOpensItOnce) {
    auto tray = MakeTray();
    ShownTrayMenu byKey = RightClickTrayIcon(*tray, {}, WM_CONTEXTMENU);
    ASSERT_TRUE(byKey.shown);
    EXPECT_EQ(byKey.selectedPosition, 0);
    EXPECT_EQ(byKey.owner, mainWindow.Handle());

    // A right click's release is followed by the shell's WM_CONTEXTMENU.
    ShownTrayMenu byMouse = RightClickTrayIcon(*tray);
    ASSERT_TRUE(byMouse.shown);
    EXPECT_EQ(byMouse.selectedPosition, -1);
    EXPECT_FALSE(RightClickTrayIcon(*tray, {}, WM_CONTEXTMENU).shown);
}

TEST_F(TrayIconTest, ThePrivacyStateMovesTheCheckMark) {
    auto tray = MakeTray();
    tray->SetPrivacyState(true);
    EXPECT_EQ(CheckedInTrayMenu(*tray), std::vector<int>{2});
    tray->SetPrivacyState(false);
    EXPECT_EQ(CheckedInTrayMenu(*tray), std::vector<int>{3});
    tray->SetPrivacyState(true);
    tray->SetPrivacyState(true);
    EXPECT_EQ(CheckedInTrayMenu(*tray), std::vector<int>{2});
}

TEST_F(TrayIconTest, AMenuThatCannotBeLoadedShowsAndSendsNothing) {
    const UINT noMenu = 4242;
    auto tray = MakeTray(ID_TRAY_RESTORE, false, noMenu);
    // Unchanged, the default is not looked up again.
    EXPECT_TRUE(tray->SetDefaultCommand(ID_TRAY_RESTORE, false));
    EXPECT_FALSE(tray->SetDefaultCommand(0, true));

    ShownTrayMenu menu = RightClickTrayIcon(*tray);
    EXPECT_EQ(menu.result, 0);
    EXPECT_FALSE(menu.shown);
    EXPECT_EQ(ClickTrayIcon(*tray, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(ClickTrayIcon(*tray, WM_LBUTTONUP), 0);
    Settle();
    EXPECT_TRUE(Received().empty());
}

TEST_F(TrayIconTest, WithoutAMainWindowClicksPostNothing) {
    auto tray = MakeTray();
    app.SetMainWindow(nullptr);
    EXPECT_EQ(RightClickTrayIcon(*tray).shown, false);
    ClickTrayIcon(*tray, WM_LBUTTONDOWN);
    EXPECT_EQ(ClickTrayIcon(*tray, WM_LBUTTONUP), 0);
    // Nothing was posted to the thread itself, as a message without a window would be.
    MSG message;
    EXPECT_FALSE(::PeekMessageA(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE));
    Settle();
    EXPECT_TRUE(Received().empty());
}

TEST_F(TrayIconTest, WithoutAMenuPressesAndRightClicksRestoreTheMainWindow) {
    CTrayIcon tray;
    ASSERT_TRUE(tray.Create("Marrowin", ProgramIcon(IDI_PRIVACY_OFF), 9));
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK})
        EXPECT_EQ(ClickTrayIcon(tray, mouse), 1) << mouse;
    for (UINT mouse : {WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE})
        EXPECT_EQ(ClickTrayIcon(tray, mouse), 0) << mouse;
    Settle();
    EXPECT_EQ(Received(), Commands(4, MainWindowStandIn::kRestoreSystemCommand));
}

} // namespace
