// The program's own controls on a dialog of the tests' own, driven by window messages and read
// back from their pixels: CLabel's font and colours, CxSkinButton's shape, drawing and kinds.
#include "controls/colors.h"
#include "controls/label.h"
#include "controls/skin_button.h"
#include "controls_test_ids.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "support/scripted_user.h"
#include "support/window_reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The tests' dialog; it records the click commands it gets.
class ControlsDialog : public fw::Dialog {
public:
    ControlsDialog() : fw::Dialog(IDD_CONTROLS_TEST) {
        for (int id : {IDC_TEST_PUSH, IDC_TEST_CHECK, IDC_TEST_RADIO_ONE, IDC_TEST_RADIO_TWO,
                       IDC_TEST_RADIO_THREE})
            OnCommand(id, [this, id] { clicks.push_back(id); });
    }
    std::vector<int> clicks;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create()); }
    HWND Item(int id) const { return dialog.Item(id); }
    bool Checked(int id) const {
        return ::SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // A click in the middle of the control, with the cursor there as a user's would be.
    void Click(int id) const {
        RECT rect;
        ::GetClientRect(Item(id), &rect);
        POINT middle = {rect.right / 2, rect.bottom / 2};
        POINT screen = middle;
        ::ClientToScreen(Item(id), &screen);
        ::SetCursorPos(screen.x, screen.y);
        LPARAM at = MAKELPARAM(middle.x, middle.y);
        ::SendMessageA(Item(id), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(Item(id), WM_LBUTTONUP, 0, at);
    }
    void PressSpace(int id) const {
        ::SendMessageA(Item(id), WM_KEYDOWN, VK_SPACE, 1);
        ::SendMessageA(Item(id), WM_KEYUP, VK_SPACE, 0xC0000001);
    }

    ControlsDialog dialog;
};

TEST_F(ControlsTest, ALabelAnswersItsColourRequestWithItsOwnFontAndColours) {
    CLabel label;
    label.Bind(dialog, IDC_TEST_LABEL);
    label.SetBkColor(RGB(0, 0, 255)).SetTextColor(RGB(255, 255, 0)).SetFontBold(false);
    label.SetFontSize(18);
    EXPECT_EQ(ControlFont(label).lfWeight, FW_NORMAL);
    EXPECT_EQ(ControlFont(label).lfHeight, -18);

    // Passed back to the label by the dialog.
    HDC dc = ::CreateCompatibleDC(nullptr);
    LRESULT brush = ::SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(label.Handle()));
    LOGBRUSH colour = {};
    ::GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof(colour), &colour);
    EXPECT_EQ(colour.lbColor, RGB(0, 0, 255));
    EXPECT_EQ(::GetTextColor(dc), RGB(255, 255, 0));
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT),
              reinterpret_cast<HGDIOBJ>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    ::DeleteDC(dc);

    WindowPicture picture(dialog);
    EXPECT_EQ(picture.At(label, 0, 0), RGB(0, 0, 255));

    // On screen, a change is painted at once: nothing is left for a later paint.
    ::ShowWindow(dialog, SW_SHOWNA);
    ::UpdateWindow(dialog);
    label.SetTextColor(RGB(0, 0, 0));
    EXPECT_FALSE(::GetUpdateRect(label, nullptr, FALSE));
}

TEST_F(ControlsTest, ASkinButtonTakesTheShapeOfItsMaskAndAtNaturalSizeItsSize) {
    CxSkinButton button;
    button.Bind(dialog, IDC_TEST_PUSH);
    // A negative draw mode is natural size, which gives the button the mask's size.
    button.SetSkin(IDB_TEST_STRIPES, IDB_TEST_STRIPES, 0, 0, 0, IDB_TEST_MASK, -1, 0, 0);
    RECT rect;
    ::GetWindowRect(button, &rect);
    EXPECT_EQ(rect.right - rect.left, 20);
    EXPECT_EQ(rect.bottom - rect.top, 10);

    HRGN shape = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(::GetWindowRgn(button, shape), ERROR);
    EXPECT_TRUE(::PtInRegion(shape, 3, 5));   // black
    EXPECT_TRUE(::PtInRegion(shape, 15, 4));  // grey: not white is enough
    EXPECT_FALSE(::PtInRegion(shape, 10, 5)); // white
    EXPECT_FALSE(::PtInRegion(shape, 15, 0)); // white above the grey
    ::DeleteObject(shape);
}

TEST_F(ControlsTest, ASkinButtonTilesAboveDrawModeTwoAndStretchesInModeOne) {
    CxSkinButton button;
    button.Bind(dialog, IDC_TEST_PUSH);
    button.SetSkin(IDB_TEST_STRIPES, IDB_TEST_STRIPES, 0, 0, 0, 0, 5, 0, 0);
    WindowPicture tiled(dialog);
    // Stripes two pixels wide, red then blue, again and again.
    EXPECT_EQ(tiled.At(button, 0, 1), RGB(255, 0, 0));
    EXPECT_EQ(tiled.At(button, 1, 1), RGB(0, 0, 255));
    EXPECT_EQ(tiled.At(button, 2, 1), RGB(255, 0, 0));
    EXPECT_EQ(tiled.At(button, 3, 1), RGB(0, 0, 255));

    button.SetSkin(IDB_TEST_STRIPES, IDB_TEST_STRIPES, 0, 0, 0, 0, 1, 0, 0);
    WindowPicture stretched(dialog);
    EXPECT_EQ(stretched.At(button, 3, 1), RGB(255, 0, 0));
}

TEST_F(ControlsTest, ASkinPushButtonShowsItsFocusAndTakesEnterAndAnInertOneLooksEnabled) {
    CxSkinButton push, inert;
    push.Bind(dialog, IDC_TEST_PUSH);
    inert.Bind(dialog, IDC_TEST_CHECK);
    for (CxSkinButton* button : {&push, &inert})
        button->SetSkin(IDB_TEST_GREEN, IDB_TEST_GREEN, 0, 0, 0, 0, 1, 0, 0);
    RECT size;
    ::GetClientRect(push, &size);
    const int y = size.bottom / 2;

    ::SetFocus(Item(IDC_TEST_RADIO_ONE));
    WindowPicture unfocused(dialog);
    ::SetFocus(push);
    WindowPicture focused(dialog);
    // Two pixels in from the left edge, the focus rectangle; one pixel in, the skin.
    EXPECT_EQ(unfocused.At(push, 2, y), unfocused.At(push, 1, y));
    EXPECT_NE(focused.At(push, 2, y), focused.At(push, 1, y));

    ::SendMessageA(push, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(dialog.clicks, std::vector<int>{IDC_TEST_PUSH});

    WindowPicture enabled(dialog);
    inert.SetInert();
    WindowPicture drawnInert(dialog);
    EXPECT_FALSE(::IsWindowEnabled(inert));
    RECT inertSize;
    ::GetClientRect(inert, &inertSize);
    for (int x = 0; x < inertSize.right; ++x)
        EXPECT_EQ(drawnInert.At(inert, x, inertSize.bottom / 2),
                  enabled.At(inert, x, inertSize.bottom / 2)) << x;
}

TEST_F(ControlsTest, CheckBoxAndRadioButtonKindsFollowClicksSpaceAndTheirGroup) {
    CxSkinButton push, check, one, two, three, other;
    push.Bind(dialog, IDC_TEST_PUSH);
    check.Bind(dialog, IDC_TEST_CHECK);
    one.Bind(dialog, IDC_TEST_RADIO_ONE);
    two.Bind(dialog, IDC_TEST_RADIO_TWO);
    three.Bind(dialog, IDC_TEST_RADIO_THREE);
    other.Bind(dialog, IDC_TEST_RADIO_OTHER_GROUP);
    EXPECT_EQ(push.ButtonKind(), CxSkinButton::kPushButton);
    EXPECT_EQ(check.ButtonKind(), CxSkinButton::kCheckBox);
    EXPECT_EQ(one.ButtonKind(), CxSkinButton::kRadioButton);
    // Checked, a button shows its pressed picture.
    check.SetSkin(IDB_TEST_STRIPES, IDB_TEST_GREEN, 0, 0, 0, 0, 1, 0, 0);

    ::SendMessageA(push, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_FALSE(Checked(IDC_TEST_PUSH));

    Click(IDC_TEST_CHECK);
    EXPECT_TRUE(Checked(IDC_TEST_CHECK));
    EXPECT_EQ(WindowPicture(dialog).At(check, 1, 1), RGB(0, 255, 0));
    Click(IDC_TEST_CHECK);
    EXPECT_FALSE(Checked(IDC_TEST_CHECK));
    EXPECT_EQ(WindowPicture(dialog).At(check, 1, 1), RGB(255, 0, 0));
    PressSpace(IDC_TEST_CHECK);
    EXPECT_TRUE(Checked(IDC_TEST_CHECK));
    EXPECT_EQ(dialog.clicks, (std::vector<int>{IDC_TEST_CHECK, IDC_TEST_CHECK, IDC_TEST_CHECK}));

    ::SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
    Click(IDC_TEST_RADIO_TWO);
    EXPECT_TRUE(Checked(IDC_TEST_RADIO_TWO));
    ::SendMessageA(one, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(Checked(IDC_TEST_RADIO_ONE));
    EXPECT_FALSE(Checked(IDC_TEST_RADIO_TWO));
    PressSpace(IDC_TEST_RADIO_THREE);
    EXPECT_TRUE(Checked(IDC_TEST_RADIO_THREE));
    EXPECT_FALSE(Checked(IDC_TEST_RADIO_ONE));
    // A radio button is not unchecked by another group.
    EXPECT_TRUE(Checked(IDC_TEST_RADIO_OTHER_GROUP));
    // A second click on a checked radio button keeps it checked.
    Click(IDC_TEST_RADIO_THREE);
    EXPECT_TRUE(Checked(IDC_TEST_RADIO_THREE));
}

// Filled at once, a sorted combo box holds its items in the order that adding them one by one
// gives: letter case, punctuation, digits and letters outside ASCII as the control orders them.
TEST_F(ControlsTest, ASortedComboFilledAtOnceKeepsTheControlsOwnOrder) {
    fw::ComboBox combo;
    combo.Bind(dialog, IDC_TEST_SORTED_COMBO);
    const std::vector<std::string> names = {
        "server10.example", "Server9.example", "server1.example", "a-b", "ab", "a_b", "a.b",
        "A", "b", "-x", "_x", "1", "10", "9", "\xE9t\xE9", "ete", "Zulu", "zeta", "a b", "B"};
    combo.AddStrings(names);
    std::vector<std::string> atOnce = ComboItems(combo);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : names)
        combo.AddString(name);
    EXPECT_EQ(atOnce, ComboItems(combo));
    EXPECT_EQ(atOnce.size(), names.size());
    // Into a combo that already has items, each still finds its own place.
    combo.AddStrings({"aa", "zz"});
    std::vector<std::string> more = ComboItems(combo);
    EXPECT_EQ(more.size(), names.size() + 2);
    EXPECT_TRUE(std::is_sorted(more.begin(), more.end(), [](const auto& a, const auto& b) {
        return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(),
                                -1) == CSTR_LESS_THAN;
    }));
}

// Under high contrast each text takes the system's colour for text on the background it stands
// on, whatever the theme's colours; at normal contrast each text differs from its background.
TEST(ColorsTest, EveryTextIsReadableOnWhatItStandsOn) {
    const struct {
        Part text;
        Part background;
    } cases[] = {{Part::kText, Part::kWindow},      {Part::kAlert, Part::kWindow},
                 {Part::kPrivacyOn, Part::kWindow}, {Part::kAutostart, Part::kWindow},
                 {Part::kFieldText, Part::kField},  {Part::kHeaderText, Part::kWindow}};
    auto textOn = [](int background) {
        return background == COLOR_BTNFACE  ? COLOR_BTNTEXT
               : background == COLOR_WINDOW ? COLOR_WINDOWTEXT
                                            : -1;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.text));
        EXPECT_EQ(SystemColorOf(c.text), textOn(SystemColorOf(c.background)));
        EXPECT_NE(ColorOf(c.text, false), ColorOf(c.background, false));
    }
}

} // namespace
