// The status window: the real window refreshed and counted down by its timers, fired by message
// and running for real. Its text for each state is the status text's test
// (tests/tunnel/status_text_test.cpp).
#include "ui/dialogs/status_window.h"

#include "resource.h"
#include "support/dialog_input.h"
#include "support/scripted_user.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kOpening[] = "Creating connection to:alpha\r\nWating for server....\r\n";
const char kDropped[] = "An error ocurred while connecting to server. Connection dropped\r\n";
const char kReconnecting[] = "Reconnect is ON. Attempting reconnect....\r\n"
                             "Trying 10 reconnections at 10s intervals.\r\n";

// The number in "This window will close in N seconds", or -1.
int CountdownIn(const std::string& text) {
    const std::string prefix = "This window will close in ";
    size_t at = text.find(prefix);
    if (at == std::string::npos)
        return -1;
    return std::stoi(text.substr(at + prefix.size()));
}

class StatusWindowTest : public ::testing::Test {
protected:
    void Open(bool reconnect = false) {
        window.SetAccountName("alpha");
        window.SetProxy(true);
        window.SetReconnect(reconnect);
        ASSERT_TRUE(window.Create());
    }
    std::string EditText() const { return ItemText(window, IDC_STATUS_TEXT); }
    void Tick(UINT_PTR timer) const { ::SendMessageA(window, WM_TIMER, timer, 0); }
    bool TimerWasRunning(UINT_PTR timer) const { return ::KillTimer(window, timer) != FALSE; }

    CConnDlg window;
};

TEST_F(StatusWindowTest, OpeningShowsTheTextAndARefreshPicksUpTheReports) {
    Open(true);
    EXPECT_EQ(EditText(), kOpening);
    EXPECT_EQ(window.Countdown(), 10);

    window.SetDropped();
    window.SetRetryNumber(3);
    Tick(CConnDlg::kRefreshTimer);
    EXPECT_EQ(EditText(),
              std::string(kOpening) + kDropped + kReconnecting + "Reconnection retry no.: 3\r\n");
    EXPECT_EQ(window.StatusText(), EditText());
    EXPECT_EQ(window.Result(), -1);
}

// A drop during the countdown of an earlier success stops it: the window stays for the
// reconnect sequence and counts from ten again once the tunnel is back.
TEST_F(StatusWindowTest, ADropStopsTheCountdownOfTheEarlierSuccess) {
    Open(true);
    window.SetEstablished();
    Tick(CConnDlg::kRefreshTimer);
    Tick(CConnDlg::kCountdownTimer);
    ASSERT_EQ(window.Countdown(), 9);
    window.SetDropped();
    EXPECT_FALSE(TimerWasRunning(CConnDlg::kCountdownTimer));
    Tick(CConnDlg::kRefreshTimer);
    EXPECT_EQ(CountdownIn(EditText()), -1);
    window.SetEstablished();
    Tick(CConnDlg::kRefreshTimer);
    EXPECT_EQ(CountdownIn(EditText()), 10);
    EXPECT_TRUE(TimerWasRunning(CConnDlg::kCountdownTimer));
}

TEST_F(StatusWindowTest, CountdownGoesFromTenToOneAndClosesWithOk) {
    Open();
    window.SetEstablished();
    Tick(CConnDlg::kRefreshTimer);
    EXPECT_EQ(CountdownIn(EditText()), 10);
    for (int expected = 10; expected >= 1; --expected) {
        // Refreshes in between neither count nor change the number.
        Tick(CConnDlg::kRefreshTimer);
        EXPECT_EQ(CountdownIn(EditText()), expected);
        ASSERT_EQ(window.Result(), -1) << "closed early, at " << expected;
        Tick(CConnDlg::kCountdownTimer);
        EXPECT_EQ(CountdownIn(EditText()), expected);
    }
    EXPECT_EQ(window.Result(), IDOK);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_FALSE(TimerWasRunning(CConnDlg::kCountdownTimer));
    EXPECT_FALSE(TimerWasRunning(CConnDlg::kRefreshTimer));
}

TEST_F(StatusWindowTest, RefreshesDoNotHoldTheCountdownBack) {
    Open();
    window.SetEstablished();
    Tick(CConnDlg::kRefreshTimer);
    ASSERT_EQ(window.Countdown(), 10);
    // Far more refreshes than the real timer makes; each composes the established text again.
    bool counted = PumpMessagesUntil(
        [this] {
            Tick(CConnDlg::kRefreshTimer);
            return window.Countdown() < 10;
        },
        5000);
    EXPECT_TRUE(counted) << "timer 1000 never fired while timer 100 was ticking";
}

// The texts that stop the refresh are the composition's; one of them stops the real timer.
TEST_F(StatusWindowTest, DropWithoutReconnectStopsTheRealRefreshTimer) {
    Open();
    window.SetDropped();
    // Left to the window's own refresh timer.
    ASSERT_TRUE(
        PumpMessagesUntil([this] { return EditText().find(kDropped) != std::string::npos; }, 5000));
    EXPECT_EQ(EditText(), std::string(kOpening) + kDropped);
    EXPECT_FALSE(TimerWasRunning(CConnDlg::kRefreshTimer));
    EXPECT_FALSE(TimerWasRunning(CConnDlg::kCountdownTimer));
}

// Every text the status edit is given during a modal run, in order.
std::vector<std::string> g_editTexts;
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK RecordingEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT && lParam)
        g_editTexts.push_back(reinterpret_cast<const char*>(lParam));
    return ::CallWindowProcA(g_editProc, hwnd, message, wParam, lParam);
}

HWND g_watched = nullptr;
UINT_PTR g_giveUpTimer = 0;

// Ends a run that never closes by itself, so that a broken countdown fails instead of hanging.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (::IsWindow(g_watched))
        ::PostMessageA(g_watched, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST(StatusWindowRun, EstablishedClosesByItselfWithOkCountingDownOnceASecond) {
    ScriptedUser user;
    g_editTexts.clear();
    user.InDialog(IDD_CONNECTION_STATUS, [](fw::Dialog& dialog) {
        HWND edit = dialog.Item(IDC_STATUS_TEXT);
        g_editProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingEditProc)));
        g_watched = dialog;
        g_giveUpTimer = ::SetTimer(nullptr, 0, 30000, GiveUp);
        static_cast<CConnDlg&>(dialog).SetEstablished();
    });
    CConnDlg window;
    window.SetAccountName("alpha");
    window.SetProxy(true);
    EXPECT_EQ(window.DoModal(), IDOK);
    ::KillTimer(nullptr, g_giveUpTimer);

    std::vector<int> seen;
    for (const std::string& text : g_editTexts) {
        int number = CountdownIn(text);
        if (number >= 0 && (seen.empty() || seen.back() != number))
            seen.push_back(number);
    }
    EXPECT_EQ(seen, (std::vector<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

} // namespace
