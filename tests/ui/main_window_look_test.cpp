// The main window's look, read back from its pixels with the settings panel open: the grey of
// the window, the white fields, the colours of the privacy state, the headers' white text on
// their bar, the theme's colours under high contrast; and every text of the window fitting its
// control.
#include "controls/colors.h"
#include "logic/password_scrambling.h"
#include "resource.h"
#include "support/high_contrast.h"
#include "support/main_window_fixture.h"
#include "support/stand_in.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const COLORREF kWindowGrey = ColorOf(Part::kWindow, false);
const COLORREF kWhite = ColorOf(Part::kField, false);

using MainWindowLookTest = MainWindowFixture;

// How many pixels of the control's client area have exactly this colour.
int CountPixels(const WindowPicture& picture, HWND control, COLORREF color) {
    RECT rect;
    ::GetClientRect(control, &rect);
    int count = 0;
    for (int y = 0; y < rect.bottom; ++y) {
        for (int x = 0; x < rect.right; ++x)
            count += picture.At(control, x, y) == color;
    }
    return count;
}

COLORREF TopLeftOfBitmap(int id) {
    HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    COLORREF color = ::GetPixel(dc, 0, 0);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return color;
}

TEST_F(MainWindowLookTest, GreyWindowWhiteFieldsAndThePrivacyStateInColour) {
    StartWindow("");
    Click(IDC_SETTINGS);
    WindowPicture picture(*window);

    // The dialog itself, between two buttons of the left strip.
    RECT above, below;
    ::GetWindowRect(Item(IDC_TEST_SETTINGS), &above);
    ::GetWindowRect(Item(IDC_VERSION_CHECK), &below);
    POINT gap = {(above.left + above.right) / 2, (above.bottom + below.top) / 2};
    ::ScreenToClient(*window, &gap);
    EXPECT_EQ(picture.At(gap.x, gap.y), kWindowGrey);
    // A check box and a plain text stand on the grey as well.
    EXPECT_EQ(picture.At(Item(IDC_TOR), 0, 0), kWindowGrey);

    // Fields typed into, the disabled ones too, and the accounts combo box's edit.
    COMBOBOXINFO combo = {};
    combo.cbSize = sizeof(combo);
    ASSERT_TRUE(::GetComboBoxInfo(Item(IDC_SERVER_NAME), &combo));
    for (HWND field : {Item(IDC_TARGET_SERVER), Item(IDC_TARGET_PORT), Item(IDC_LOCAL_PORT),
                       Item(IDC_PORT_DESCRIPTION), Item(IDC_USER_NAME), Item(IDC_PASSWORD),
                       Item(IDC_SERVER_PORT), combo.hwndItem})
        EXPECT_EQ(picture.Middle(field), kWhite) << ::GetDlgCtrlID(field);

    EXPECT_GT(CountPixels(picture, Item(IDC_STATUS_LABEL), RGB(255, 0, 0)), 20);
    EXPECT_GT(CountPixels(picture, Item(IDC_PROXY_SETTINGS_LABEL), RGB(255, 0, 0)), 10);

    // The headers: the bar of the skin, white text and its dark shadow.
    for (int header : {IDC_MAIN_MENU_HEADER, IDC_TUNNEL_SETTINGS_HEADER}) {
        EXPECT_EQ(picture.At(Item(header), 0, 0), TopLeftOfBitmap(IDB_HEADER_SKIN)) << header;
        EXPECT_GT(CountPixels(picture, Item(header), kWhite), 10) << header;
        EXPECT_GT(CountPixels(picture, Item(header), RGB(47, 47, 47)), 10) << header;
    }
    EXPECT_EQ(::SendMessageA(*window, WM_QUERYDRAGICON, 0, 0),
              reinterpret_cast<LRESULT>(
                  ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))));

    window.reset();
    // The client starts and ends at once: only the label's colour counts here.
    ASSERT_TRUE(CopyStandInTo(files.Folder()));
    WriteStandInScript(files.Folder(), {"exit 0"});
    StartWindow("[Main]\r\nautostart=1\r\n[tunnel]\r\nservers=alpha,\r\ndefault=alpha\r\n"
                "[alpha]\r\npassword=" +
                ScramblePassword("pw") + "\r\n");
    ASSERT_EQ(Text(IDC_STATUS_LABEL), "Privacy ON");
    WindowPicture on(*window);
    EXPECT_GT(CountPixels(on, Item(IDC_STATUS_LABEL), ColorOf(Part::kAutostart, false)), 20);
    EXPECT_EQ(CountPixels(on, Item(IDC_STATUS_LABEL), RGB(255, 0, 0)), 0);
    // Its files go with the test: the client must have read its script by then. Waited for
    // without running the window's messages, whose watch would take the end for a drop.
    for (int i = 0; i < 200 && !RecordHasLine(ReadStandInRecord(files.Folder()), "exit 0"); ++i)
        ::Sleep(50);
}

// A high-contrast theme switched on while the window is open: the window, its fields and texts
// take the theme's colours, nothing is left red, the headers are plain bars with the theme's
// text; switched off, the window is grey again and the headers show their picture.
TEST_F(MainWindowLookTest, UnderAHighContrastThemeTheThemesColours) {
    StartWindow("");
    Click(IDC_SETTINGS);
    const HWND fields[] = {Item(IDC_USER_NAME), Item(IDC_TARGET_PORT)};
    const int headers[] = {IDC_MAIN_MENU_HEADER, IDC_TUNNEL_SETTINGS_HEADER};
    {
        HighContrastTheme theme;
        WindowPicture picture(*window);
        EXPECT_EQ(picture.At(Item(IDC_TOR), 0, 0), ::GetSysColor(COLOR_BTNFACE));
        for (HWND field : fields)
            EXPECT_EQ(picture.Middle(field), ::GetSysColor(COLOR_WINDOW));
        for (int label : {IDC_STATUS_LABEL, IDC_PROXY_SETTINGS_LABEL}) {
            EXPECT_GT(CountPixels(picture, Item(label), ::GetSysColor(COLOR_BTNTEXT)), 10) << label;
            EXPECT_EQ(CountPixels(picture, Item(label), RGB(255, 0, 0)), 0) << label;
        }
        for (int header : headers) {
            EXPECT_EQ(picture.At(Item(header), 4, 4), ::GetSysColor(COLOR_BTNFACE)) << header;
            EXPECT_GT(CountPixels(picture, Item(header), ::GetSysColor(COLOR_BTNTEXT)), 10);
        }
    }
    WindowPicture picture(*window);
    EXPECT_EQ(picture.At(Item(IDC_TOR), 0, 0), kWindowGrey);
    for (HWND field : fields)
        EXPECT_EQ(picture.Middle(field), kWhite);
    for (int header : headers)
        EXPECT_EQ(picture.At(Item(header), 0, 0), TopLeftOfBitmap(IDB_HEADER_SKIN)) << header;
}

TEST_F(MainWindowLookTest, EveryTextFitsItsControl) {
    StartWindow("");
    ExpectEveryTextFits(*window);
}

} // namespace
