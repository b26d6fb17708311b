// The main window at 100 %, 150 % and 200 %: every text fits its control in the control's own
// font, and the pieces the window draws itself have the size of their controls. Wine takes
// the scale from the prefix's LogPixels when a program starts, so each scale runs the window in
// a copy of this program started while the prefix holds it.
#include "framework/application.h"
#include "framework/dpi.h"
#include "resource.h"
#include "support/main_window_fixture.h"
#include "support/marrowin_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

const char kDpiVariable[] = "MARROWIN_TEST_DPI";
const struct {
    HKEY root;
    const char* key;
} kLogPixels[] = {{HKEY_CURRENT_USER, "Control Panel\\Desktop"},
                  {HKEY_LOCAL_MACHINE,
                   "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"}};

// The prefix's LogPixels for as long as it lives; set back after, for the other test programs.
class PrefixScale {
public:
    explicit PrefixScale(DWORD dpi) {
        for (int i = 0; i < 2; ++i) {
            DWORD size = sizeof(old_[i]);
            ::RegGetValueA(kLogPixels[i].root, kLogPixels[i].key, "LogPixels", RRF_RT_REG_DWORD,
                           nullptr, &old_[i], &size);
            EXPECT_EQ(::RegSetKeyValueA(kLogPixels[i].root, kLogPixels[i].key, "LogPixels",
                                        REG_DWORD, &dpi, sizeof(dpi)),
                      ERROR_SUCCESS);
        }
    }
    ~PrefixScale() {
        for (int i = 0; i < 2; ++i)
            ::RegSetKeyValueA(kLogPixels[i].root, kLogPixels[i].key, "LogPixels", REG_DWORD,
                              &old_[i], sizeof(old_[i]));
    }

private:
    DWORD old_[2] = {fw::kDefaultDpi, fw::kDefaultDpi};
};

class DisplayScaleTest : public ::testing::TestWithParam<DWORD> {};

TEST_P(DisplayScaleTest, WindowFitsItsTextsAndDrawsToItsControls) {
    PrefixScale scale(GetParam());
    char self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    ::SetEnvironmentVariableA(kDpiVariable, std::to_string(GetParam()).c_str());
    ::SetEnvironmentVariableA("GTEST_FILTER", "WindowAtOneScale.*");
    DWORD code = RunAndWait(self, fw::ExecutableFolder(), 120000);
    ::SetEnvironmentVariableA("GTEST_FILTER", nullptr);
    ::SetEnvironmentVariableA(kDpiVariable, nullptr);
    EXPECT_EQ(code, 0u) << "the window at " << GetParam() << " dpi; its test's output is above";
}

INSTANTIATE_TEST_SUITE_P(Scales, DisplayScaleTest, ::testing::Values(96, 144, 192));

using WindowAtOneScale = MainWindowFixture;

// Run by the table above, in a program of its own, at the scale it set.
TEST_F(WindowAtOneScale, TextsFitAndOwnPiecesMatchTheirControls) {
    const char* dpiText = std::getenv(kDpiVariable);
    if (!dpiText)
        GTEST_SKIP() << "started by DisplayScaleTest at each scale";
    StartWindow("");
    Click(IDC_SETTINGS);
    const UINT dpi = fw::WindowDpi(*window);
    ASSERT_EQ(dpi, static_cast<UINT>(std::atoi(dpiText)));

    ExpectEveryTextFits(*window);

    // The logo grows with the window, and its control with it.
    BITMAP logo = {};
    ::GetObjectA(reinterpret_cast<HBITMAP>(
                     ::SendMessageA(Item(IDC_LOGO), STM_GETIMAGE, IMAGE_BITMAP, 0)),
                 sizeof(logo), &logo);
    EXPECT_TRUE(dpi == fw::kDefaultDpi || logo.bmWidth > 163) << logo.bmWidth;
    RECT logoClient;
    ::GetClientRect(Item(IDC_LOGO), &logoClient);
    EXPECT_EQ(logoClient.right, logo.bmWidth);
    EXPECT_EQ(logoClient.bottom, logo.bmHeight);
    // The header bars fill their controls to the last pixel.
    WindowPicture picture(*window);
    for (int header : {IDC_MAIN_MENU_HEADER, IDC_TUNNEL_SETTINGS_HEADER}) {
        RECT bar;
        ::GetClientRect(Item(header), &bar);
        EXPECT_NE(picture.At(Item(header), bar.right - 1, bar.bottom - 1), RGB(214, 211, 206))
            << header;
    }
}

} // namespace
