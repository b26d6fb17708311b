// The main window created for real from its template, started from settings fixtures in the
// test program's folder and driven by control id, with the scripted user answering boxes.
#include "ui/main_window.h"

#include "app/dravenlok_app.h"
#include "logic/password_scrambling.h"
#include "resource.h"
#include "support/browser_proxy.h"
#include "support/main_window_fixture.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "support/tray_menu.h"
#include "tunnel/client_messages.h"

#include <commctrl.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

class MainWindowTest : public MainWindowFixture {
protected:
    std::string SelectedText(int id) const {
        int index = Selection(id);
        return index < 0 ? std::string() : ComboItems(Item(id))[index];
    }
    // The context id of the topic that Help opens now.
    DWORD HelpTopic() {
        Click(IDC_HELP_BUTTON);
        return user.HelpTopics().empty() ? 0 : user.HelpTopics().back();
    }
    RECT WindowRect() const {
        RECT rect;
        ::GetWindowRect(*window, &rect);
        return rect;
    }
};

TEST_F(MainWindowTest, WithoutSettingsEverythingStartsOff) {
    StartWindow("");
    EXPECT_EQ(::SendMessageA(Item(IDC_SERVER_NAME), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Selection(IDC_SERVER_NAME), CB_ERR);
    EXPECT_EQ(Text(IDC_STATUS_LABEL), "Privacy OFF");
    EXPECT_EQ(Text(IDC_START), "Start");
    EXPECT_FALSE(Enabled(IDC_STARTUP_TYPE));
    EXPECT_EQ(window->Session().Folder(), files.Folder());
    EXPECT_FALSE(FileExists(files.File("Marrowin.ini")));

    char current[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STREQ(current, files.Folder().c_str());
}

// The default account is selected, its name matched without regard to letter case; without
// one the first item of the sorted combo; a default that names no account selects nothing.
TEST_F(MainWindowTest, TheStartAccountIsTheDefaultOrTheFirstOfTheSortedCombo) {
    const struct {
        std::string settings;
        int selection;
        const char* selected;
        std::vector<std::string> names; // in the file's order
    } cases[] = {
        {"[tunnel]\r\nservers=beta,alpha,\r\ndefault=ALPHA\r\n", 0, "alpha", {"beta", "alpha"}},
        {"[tunnel]\r\nservers=zeta,beta,\r\n", 0, "beta", {"zeta", "beta"}},
        {"[tunnel]\r\nservers=beta,\r\ndefault=gone\r\n", CB_ERR, "", {"beta"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        StartWindow(c.settings);
        EXPECT_EQ(Selection(IDC_SERVER_NAME), c.selection);
        EXPECT_EQ(SelectedText(IDC_SERVER_NAME), c.selected);
        EXPECT_EQ(window->Accounts().Names(), c.names);
        window.reset();
    }
}

// A flag is on when its value reads as on ("1", "yes", "on", "Y" in any case), else off; the
// proxy label says whether a proxy account is stored.
TEST_F(MainWindowTest, OptionBoxesFollowTheSettings) {
    const struct {
        std::string settings;
        std::vector<int> checked;
        std::vector<int> clear;
        bool proxySet;
    } cases[] = {
        {"",
         {},
         {IDC_USE_IE_PROXY, IDC_NO_ACTIVEX, IDC_NO_JAVA, IDC_START_WITH_WINDOWS, IDC_AUTOSTART,
          IDC_MINIMIZE, IDC_RECONNECT, IDC_TOR},
         false},
        {"[IE]\r\nsetIEproxy=1\r\nNoActiveContent=yes\r\nnoJavascript=On\r\n"
         "proxyServer=alpha\r\nconnectionType=2\r\n[main]\r\nreconnect=Y\r\nTOR=1\r\n",
         {IDC_USE_IE_PROXY, IDC_NO_ACTIVEX, IDC_NO_JAVA, IDC_RECONNECT, IDC_TOR},
         {IDC_AUTOSTART},
         true},
        {"[IE]\r\nsetIEproxy=0\r\nNoActiveContent=no\r\n[Main]\r\nreconnect=2\r\nTOR=x\r\n",
         {},
         {IDC_USE_IE_PROXY, IDC_NO_ACTIVEX, IDC_RECONNECT, IDC_TOR},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        StartWindow(c.settings);
        for (int box : c.checked)
            EXPECT_TRUE(Checked(box)) << box;
        for (int box : c.clear)
            EXPECT_FALSE(Checked(box)) << box;
        EXPECT_EQ(Text(IDC_PROXY_SETTINGS_LABEL),
                  c.proxySet ? "Proxy settings: set" : "Proxy settings: not set");
        EXPECT_EQ(LabelColor(IDC_PROXY_SETTINGS_LABEL), c.proxySet ? RGB(0, 0, 0) : RGB(255, 0, 0));
        window.reset();
    }
}

// The start-with-Windows box and the combo of its two kinds follow "startupType".
TEST_F(MainWindowTest, TheStartupTypeSetsTheBoxAndTheCombo) {
    const struct {
        const char* value;
        bool checked;
        bool comboEnabled;
        const char* selected;
    } cases[] = {
        {"0", false, false, ""}, {"1", true, true, "current user"}, {"2", true, true, "all users"},
        {"7", false, true, ""},  {"letters", false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        StartWindow(std::string("[Main]\r\nstartupType=") + c.value + "\r\n");
        EXPECT_EQ(ComboItems(Item(IDC_STARTUP_TYPE)),
                  (std::vector<std::string>{"current user", "all users"}));
        EXPECT_EQ(Checked(IDC_START_WITH_WINDOWS), c.checked);
        EXPECT_EQ(Enabled(IDC_STARTUP_TYPE), c.comboEnabled);
        EXPECT_EQ(SelectedText(IDC_STARTUP_TYPE), c.selected);
        window.reset();
    }
}

TEST_F(MainWindowTest, OnlyExactlyOneMinimisesAtStart) {
    // The profile functions trim blanks around a value; quotes keep them.
    for (const char* value : {"yes", "\"1 \"", "0"}) {
        StartWindow(std::string("[Main]\r\nminimize=") + value + "\r\n");
        PumpMessagesFor(300);
        EXPECT_FALSE(Checked(IDC_MINIMIZE)) << value;
        EXPECT_TRUE(Visible()) << value;
        window.reset();
    }
    StartWindow("[Main]\r\nminimize=1\r\n");
    EXPECT_TRUE(Checked(IDC_MINIMIZE));
    EXPECT_TRUE(PumpMessagesUntil([this] { return !Visible(); }));
}

TEST_F(MainWindowTest, OptionBoxesWriteTheSettingsAtOnce) {
    StartWindow("");
    for (const char* value : {"1", "0"}) {
        Toggle(IDC_AUTOSTART);
        Toggle(IDC_MINIMIZE);
        EXPECT_EQ(Setting("Main", "autostart"), value);
        EXPECT_EQ(Setting("Main", "minimize"), value);
    }
}

// Typed as a user types, every field takes more text than it shows: a server name of twenty
// characters, say, in a field that shows fifteen.
TEST_F(MainWindowTest, EveryFieldTakesTextLongerThanItShows) {
    StartWindow("[tunnel]\r\nservers=alpha,\r\n");
    auto expectFieldsTakeLongText = [](HWND dialog) {
        std::vector<HWND> fields = TypableFields(dialog);
        EXPECT_FALSE(fields.empty());
        for (HWND field : fields) {
            bool digits = ::GetWindowLongA(field, GWL_STYLE) & ES_NUMBER;
            std::string text(64, digits ? '7' : 'w');
            ::SetWindowTextA(field, "");
            TypeChars(field, text);
            EXPECT_EQ(::GetWindowTextLengthA(field), 64) << ::GetDlgCtrlID(field);
        }
    };
    expectFieldsTakeLongText(*window);

    user.InDialog(IDD_SERVER_REMOVE, [&](fw::Dialog& removal) {
        expectFieldsTakeLongText(removal);
        removal.EndDialog(IDCANCEL);
    });
    ::SetDlgItemTextA(*window, IDC_SERVER_NAME, "alpha");
    Click(IDC_DELETE_ACCOUNT);

    user.InDialog(IDD_IE_PROXY, [&](fw::Dialog& proxy) {
        expectFieldsTakeLongText(proxy);
        proxy.EndDialog(IDCANCEL);
    });
    Click(IDC_CONFIGURE_PROXY);
}

// The window starts collapsed at (100, 100), the settings panel outside it; Settings opens and
// closes the panel, each with its help topic.
TEST_F(MainWindowTest, TheSettingsPanelOpensAndClosesAndClearsTheForwardingFields) {
    StartWindow("");
    RECT collapsed = WindowRect();
    RECT leftFrame;
    ::GetWindowRect(Item(IDC_LEFT_FRAME), &leftFrame);
    RECT panel;
    ::GetWindowRect(Item(IDC_SETTINGS_FRAME), &panel);
    EXPECT_EQ(collapsed.left, 100);
    EXPECT_EQ(collapsed.top, 100);
    EXPECT_EQ(collapsed.right - collapsed.left, leftFrame.right - leftFrame.left + 5);
    EXPECT_GE(panel.left, collapsed.right - 10);
    EXPECT_EQ(HelpTopic(), 1u);
    for (int field : {IDC_LOCAL_PORT, IDC_TARGET_SERVER, IDC_TARGET_PORT, IDC_PORT_DESCRIPTION})
        ::SetDlgItemTextA(*window, field, "25");

    Click(IDC_SETTINGS);
    RECT open = WindowRect();
    ::GetWindowRect(Item(IDC_SETTINGS_FRAME), &panel);
    EXPECT_EQ(HelpTopic(), 2u);
    EXPECT_EQ(Text(IDC_SETTINGS), "Close settings");
    EXPECT_EQ(open.left, collapsed.left);
    EXPECT_EQ(open.top, collapsed.top);
    EXPECT_EQ(open.bottom - open.top, collapsed.bottom - collapsed.top);
    EXPECT_GT(open.right, panel.right);
    for (int field : {IDC_LOCAL_PORT, IDC_TARGET_SERVER, IDC_TARGET_PORT, IDC_PORT_DESCRIPTION})
        EXPECT_EQ(Text(field), "") << field;

    ::SetDlgItemTextA(*window, IDC_TARGET_SERVER, "host");
    Click(IDC_SETTINGS);
    RECT closed = WindowRect();
    EXPECT_EQ(HelpTopic(), 1u);
    EXPECT_EQ(Text(IDC_SETTINGS), "Open settings");
    EXPECT_EQ(Text(IDC_TARGET_SERVER), "");
    EXPECT_EQ(closed.left, collapsed.left);
    EXPECT_EQ(closed.right - closed.left, collapsed.right - collapsed.left);
    EXPECT_EQ(closed.bottom - closed.top, collapsed.bottom - collapsed.top);
}

TEST_F(MainWindowTest, OpeningNearTheDisplayEdgesMovesTheWindowToFit) {
    StartWindow("");
    int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    RECT collapsed = WindowRect();
    int height = collapsed.bottom - collapsed.top;
    ::SetWindowPos(*window, nullptr, screenWidth - 50, screenHeight - height / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER);

    Click(IDC_SETTINGS);
    RECT open = WindowRect();
    EXPECT_EQ(open.right, screenWidth);
    EXPECT_EQ(open.bottom, screenHeight);

    // Closing keeps the moved top-left corner.
    Click(IDC_SETTINGS);
    RECT closed = WindowRect();
    EXPECT_EQ(closed.left, open.left);
    EXPECT_EQ(closed.top, open.top);
}

// Close and Minimise hide the window, unless chosen by mnemonic; Escape, a close request (a
// cancel to the dialog) and the tray's restore command show it; Enter does nothing. None of
// them ends the run.
TEST_F(MainWindowTest, WhatHidesAndShowsTheWindow) {
    StartWindow("");
    for (WPARAM command : {SC_CLOSE, SC_MINIMIZE}) {
        ::ShowWindow(*window, SW_SHOW);
        ::SendMessageA(*window, WM_SYSCOMMAND, command, MAKELPARAM(0, 0));
        EXPECT_TRUE(Visible()) << command;
        ::SendMessageA(*window, WM_SYSCOMMAND, command | 0x2, MAKELPARAM(120, 110));
        EXPECT_FALSE(Visible()) << command;
        EXPECT_FALSE(::IsIconic(*window)) << command;
    }
    for (WPARAM command : {MAKEWPARAM(IDCANCEL, BN_CLICKED), MAKEWPARAM(ID_TRAY_RESTORE, 0)}) {
        ::ShowWindow(*window, SW_HIDE);
        ::SendMessageA(*window, WM_COMMAND, command, 0);
        EXPECT_TRUE(Visible()) << command;
    }
    ::ShowWindow(*window, SW_HIDE);
    ::SendMessageA(*window, WM_CLOSE, 0, 0);
    PumpMessagesFor(100);
    EXPECT_TRUE(Visible());
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(Visible());
    EXPECT_EQ(window->Result(), -1);
}

TEST_F(MainWindowTest, TheSystemMenuCarriesTheAboutItem) {
    StartWindow("");
    HMENU menu = ::GetSystemMenu(*window, FALSE);
    int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    char text[64] = {};
    ::GetMenuStringA(menu, count - 1, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "&About Marrowin...");
    MENUITEMINFOA separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoA(menu, count - 2, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

    bool aboutShown = false;
    user.InDialog(IDD_ABOUTBOX, [&](fw::Dialog& about) {
        char title[64] = {};
        ::GetWindowTextA(about, title, sizeof(title));
        aboutShown =
            std::string(title) == "About Marrowin" &&
            ::FindWindowExA(about, nullptr, "Static", "Marrowin Version 1.2.2  Release") != nullptr;
        about.EndDialog(IDOK);
    });
    ::SendMessageA(*window, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_TRUE(aboutShown);
}

TEST_F(MainWindowTest, ButtonsAndOptionsCarryTheirTips) {
    StartWindow("");
    EXPECT_EQ(TooltipText(IDC_NEW_ACCOUNT), "Add a new account");
    EXPECT_EQ(TooltipText(IDC_USE_IE_PROXY),
              "Set the Internet Explorer to use the configured proxy [recommanded]");
    EXPECT_EQ(TooltipText(IDC_MINIMIZE),
              "When the proram starts the program window is minimized to icon tray");
    EXPECT_EQ(TooltipText(IDC_CANCEL_EDIT), "Cancels the current action");
    EXPECT_EQ(TooltipText(IDC_START), "<none>");
    // The width set for the last tip stays: that of "Cancels the current action", so the
    // long tips wrap.
    LRESULT width = ::SendMessageA(TooltipOf(*window), TTM_GETMAXTIPWIDTH, 0, 0);
    HDC dc = ::GetDC(*window);
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ::ReleaseDC(*window, dc);
    EXPECT_EQ(width, 26 * metrics.tmAveCharWidth);
}

TEST_F(MainWindowTest, TheClientsMessagesAreAnsweredZeroAndF1OpensTheWindowsPage) {
    StartWindow("");
    EXPECT_EQ(::SendMessageA(*window, WM_QV_CON_START, 1, 2), 0);
    HELPINFO help = {};
    help.cbSize = sizeof(help);
    EXPECT_EQ(::SendMessageA(*window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), TRUE);
    EXPECT_EQ(user.HelpTopics(), std::vector<DWORD>{1u});
}

// Quit asks first; No keeps the program running, Yes ends the modal run.
TEST_F(MainWindowTest, QuitEndsTheModalRunOnlyWhenAnsweredYes) {
    files.WriteSettings("");
    CDravenlokDlg modal;
    user.InDialog(IDD_MARROWIN_DIALOG, [&](fw::Dialog& dialog) {
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
        EXPECT_EQ(modal.Result(), -1);
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    });
    user.AnswerNextBox(IDNO);
    user.AnswerNextBox(IDYES);
    EXPECT_EQ(modal.DoModal(), IDCANCEL);
    ASSERT_EQ(user.Boxes().size(), 2u);
    EXPECT_EQ(user.Boxes()[0].text, "Are you sure you want to quit Marrowin ?");
    EXPECT_EQ(user.Boxes()[0].caption, "Marrowin");
    EXPECT_EQ(user.Boxes()[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
}

// The installer's request to quit: Quit's clean-up without its question.
TEST_F(MainWindowTest, TheQuitMessageEndsTheRunWithoutAskingAndSetsTheBrowserBackToDirect) {
    StartWindow("[IE]\r\nsetIEproxy=1\r\nproxyport=50004\r\n");
    ASSERT_EQ(QueryProxy("").server, "127.0.0.1:50004");
    ::SendMessageA(*window, ::RegisterWindowMessageA(kQuitMessageName), 0, 0);
    EXPECT_EQ(window->Result(), IDCANCEL);
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(QueryProxy("").flags, static_cast<DWORD>(PROXY_TYPE_DIRECT));
    EXPECT_TRUE(window->Session().Browser().Pointed().empty());
}

std::string AutostartSettings(const std::string& account, const std::string& password) {
    return "[Main]\r\nautostart=1\r\n[tunnel]\r\nservers=" + account + ",\r\ndefault=" + account +
           "\r\n[" + account + "]\r\npassword=" + ScramblePassword(password) + "\r\n";
}

TEST_F(MainWindowTest, AutostartWithoutADefaultAccountLaunchesNothing) {
    ASSERT_TRUE(CopyStandInTo(files.Folder()));
    StartWindow("[Main]\r\nautostart=1\r\n[tunnel]\r\nservers=alpha,\r\n");
    EXPECT_TRUE(Checked(IDC_AUTOSTART));
    EXPECT_FALSE(window->Session().IsRunning());
    EXPECT_EQ(Text(IDC_START), "Start");
    PumpMessagesFor(300);
    EXPECT_FALSE(FileExists(files.File("stand_in_record.txt")));
}

// The window as the program runs it: with the program's application object and its tray icon.
class MainWindowTrayTest : public MainWindowTest {
protected:
    void StartWithTray(const std::string& settings) {
        app.CreateTrayIcon();
        ASSERT_NE(app.TrayIcon(), nullptr);
        StartWindow(settings, app.TrayIcon());
        app.SetMainWindow(window.get());
    }
    void TearDown() override {
        app.SetMainWindow(nullptr);
        MainWindowTest::TearDown();
    }

    CMenuTrayIcon& Tray() const { return *app.TrayIcon(); }

    CDravenlokApp app;
};

TEST_F(MainWindowTrayTest, WithoutAutostartTheTrayShowsPrivacyOffAndBringsBackTheWindow) {
    StartWithTray("");
    ASSERT_TRUE(Tray().IsEnabled());
    EXPECT_STREQ(Tray().Record().szTip, "Marrowin");
    EXPECT_EQ(Tray().IconId(), static_cast<UINT>(IDR_TRAY_MENU));
    EXPECT_EQ(Tray().Record().hIcon, ProgramIcon(IDI_PRIVACY_OFF));
    EXPECT_EQ(CheckedInTrayMenu(Tray()), std::vector<int>{3});

    // The refresh timer puts back the picture of the tunnel's state, and stops after ten
    // ticks: KillTimer on a timer that no longer runs fails.
    Tray().SetIcon(ProgramIcon(IDI_PRIVACY_ON));
    ::SendMessageA(*window, WM_TIMER, 501, 0);
    EXPECT_EQ(Tray().Record().hIcon, ProgramIcon(IDI_PRIVACY_OFF));
    for (int tick = 1; tick < 10; ++tick)
        ::SendMessageA(*window, WM_TIMER, 501, 0);
    EXPECT_FALSE(::KillTimer(*window, 501));

    // Wine hears of a hidden window's lost focus a moment later, and that change of focus
    // would take the foreground from a window just brought there.
    ::ShowWindow(*window, SW_HIDE);
    PumpMessagesFor(300);
    ClickTrayIcon(Tray(), WM_LBUTTONDOWN);
    ClickTrayIcon(Tray(), WM_LBUTTONUP);
    EXPECT_TRUE(PumpMessagesUntil(
        [this] { return Visible() && ::GetForegroundWindow() == window->Handle(); }));
}

TEST_F(MainWindowTrayTest, AutostartLaunchesTheDefaultAccountShowsPrivacyOnAndTheTrayMenuQuits) {
    ASSERT_TRUE(CopyStandInTo(files.Folder()));
    WriteStandInScript(files.Folder(), {"wait-quit"});
    StartWithTray(AutostartSettings("alpha", "se cret"));
    ASSERT_TRUE(window->Session().IsRunning());
    EXPECT_EQ(Text(IDC_START), "Stop");
    EXPECT_EQ(Text(IDC_STATUS_LABEL), "Privacy ON");
    EXPECT_EQ(LabelColor(IDC_STATUS_LABEL), RGB(0, 200, 0));
    EXPECT_EQ(ControlFont(Item(IDC_STATUS_LABEL)).lfWeight, FW_BOLD);
    EXPECT_EQ(ControlFont(Item(IDC_STATUS_LABEL)).lfHeight, -18);
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(Tray().Record().hIcon, ProgramIcon(IDI_PRIVACY_ON));
    EXPECT_EQ(CheckedInTrayMenu(Tray()), std::vector<int>{2});

    Tray().SetIcon(ProgramIcon(IDI_PRIVACY_OFF));
    ::SendMessageA(*window, WM_TIMER, 501, 0);
    EXPECT_EQ(Tray().Record().hIcon, ProgramIcon(IDI_PRIVACY_ON));

    ASSERT_TRUE(WaitForRecordLine(files.Folder(), "folder=" + files.Folder()));
    // The autostart form has no leading blank; the password arrives in clear.
    EXPECT_EQ(RecordedValue(ReadStandInRecord(files.Folder()), "commandline"),
              "-pw se cret alpha <in.txt");
    // The autostart path writes no log and keeps the window's title.
    EXPECT_FALSE(FileExists(files.File("log.txt")));
    EXPECT_EQ(Title(), "Marrowin");

    // "Quit Marrowin" is the fourth item down, past the separators. The client is asked to
    // end only once it runs.
    user.AnswerNextBox(IDYES);
    RightClickTrayIcon(Tray(), {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(PumpMessagesUntil([this] { return window->Result() == IDCANCEL; }));
    EXPECT_EQ(user.Boxes().size(), 1u);
    EXPECT_TRUE(WaitForRecordLine(files.Folder(), "got WM_QUIT"));
    EXPECT_FALSE(window->Session().IsRunning());
}

TEST_F(MainWindowTrayTest, AFailedAutostartIsReportedAndLeavesTheWindowAndTheTrayOff) {
    user.AnswerNextBox(IDOK);
    StartWithTray(AutostartSettings("alpha", "secret"));
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text,
              "Failed to start program '" + files.Folder() + "\\plink.exe', error code = 2");
    EXPECT_EQ(user.Boxes()[0].caption, "Marrowin");
    EXPECT_EQ(user.Boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_FALSE(window->Session().IsRunning());
    EXPECT_EQ(Text(IDC_START), "Start");
    EXPECT_EQ(Text(IDC_STATUS_LABEL), "Privacy OFF");
    EXPECT_EQ(Tray().Record().hIcon, ProgramIcon(IDI_PRIVACY_OFF));
    EXPECT_EQ(CheckedInTrayMenu(Tray()), std::vector<int>{3});
}

} // namespace
