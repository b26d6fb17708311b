// The status window: the text composed from the connection's state (tunnel/status_text.h), its
// one-second refresh and the countdown that closes it once the connection is established.
#include "ui/dialogs/status_window.h"

#include "help_ids.h"
#include "resource.h"

namespace {

const UINT kTimerPeriodMs = 1000;

void RepaintNow(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

} // namespace

CConnDlg::CConnDlg(HWND parent) : fw::Dialog(IDD_CONNECTION_STATUS, parent) {
    SetHelpTopic(IDH_RECONNECT);
    OnTimer(kRefreshTimer, [this] { OnTick(kRefreshTimer); });
    OnTimer(kCountdownTimer, [this] { OnTick(kCountdownTimer); });
    OnCommand(IDC_STATUS_TEXT, EN_VSCROLL, [this] { RepaintNow(statusEdit_); });
}

void CConnDlg::DoDataExchange() {
    statusEdit_.Bind(Handle(), IDC_STATUS_TEXT);
}

bool CConnDlg::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    BuildStatusText();
    statusEdit_.SetText(statusText_);
    ::SetTimer(Handle(), kRefreshTimer, kTimerPeriodMs, nullptr);
    state_.countdown = kCountdownSeconds;
    return true;
}

void CConnDlg::BuildStatusText() {
    StatusComposition composition = ComposeStatusText(state_);
    statusText_ = composition.text;
    // Without a window there are no timers to start or stop.
    if (!Handle())
        return;
    if (composition.stopRefresh)
        ::KillTimer(Handle(), kRefreshTimer);
    // Every refresh composes again while established; setting the timer anew each time would
    // restart its period and hold the countdown back, so it is set only once.
    if (composition.runCountdown && !countdownRunning_) {
        ::SetTimer(Handle(), kCountdownTimer, kTimerPeriodMs, nullptr);
        countdownRunning_ = true;
    }
}

void CConnDlg::SetDropped() {
    state_.dropped = true;
    state_.established = false;
    state_.countdown = kCountdownSeconds;
    if (!Handle())
        return;
    ::KillTimer(Handle(), kCountdownTimer);
    countdownRunning_ = false;
    ::SetTimer(Handle(), kRefreshTimer, kTimerPeriodMs, nullptr);
}

void CConnDlg::OnTick(UINT_PTR timer) {
    BuildStatusText();
    ShowStatusText();
    if (timer == kCountdownTimer && --state_.countdown <= 0)
        Finish(IDOK);
}

void CConnDlg::ShowStatusText() {
    statusEdit_.SetText("");
    statusEdit_.SetText(statusText_);
    RepaintNow(statusEdit_);
    ::SendMessageA(statusEdit_, EM_SCROLL, SB_PAGEDOWN, 0);
}

void CConnDlg::Finish(INT_PTR result) {
    // A modeless window only hides when it ends, so its timers must not keep it counting.
    ::KillTimer(Handle(), kCountdownTimer);
    ::KillTimer(Handle(), kRefreshTimer);
    countdownRunning_ = false;
    EndDialog(result);
}
