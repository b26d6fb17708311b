// The status window: the text composed from the connection's state, its one-second refresh and
// the countdown that closes it once the connection is established.
#include "tunnel/status_window.h"

#include "help_ids.h"
#include "resource.h"

namespace {

const UINT kTimerPeriodMs = 1000;

void RepaintNow(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

} // namespace

StatusComposition ComposeStatusText(const StatusState& state) {
    StatusComposition result;
    std::string& text = result.text;
    if (!state.accountName.empty())
        text += "Creating connection to:" + state.accountName + "\r\nWating for server....\r\n";
    if (state.tor)
        text += "WARNING: The traffic is relayed trough the TOR network\r\n"
                "This will slowdown the connection\r\n";
    if (!state.proxy)
        text += "WARNING: proxy is not enabled for Internet Explorer\r\n";
    if (state.dropped) {
        text += "An error ocurred while connecting to server. Connection dropped\r\n";
        // Without reconnect nothing more will happen, so the text stays as it is.
        if (!state.reconnect) {
            result.stopRefresh = true;
            return result;
        }
        text += "Reconnect is ON. Attempting reconnect....\r\n"
                "Trying 10 reconnections at 10s intervals.\r\n";
        if (state.retryNumber != 0)
            text += "Reconnection retry no.: " + std::to_string(state.retryNumber) + "\r\n";
    }
    if (!state.hopelessReason.empty()) {
        text += state.hopelessReason +
                "\r\nRetrying cannot mend this.\r\nAborting retry sequence\r\n";
        result.stopRefresh = true;
        return result;
    }
    if (state.maximumReached) {
        text += "Maximum number of retries reached.\r\nAborting retry sequence\r\n";
        result.stopRefresh = true;
        return result;
    }
    if (state.established) {
        text += "Connection esthablished \r\n";
        text += "This window will close in " + std::to_string(state.countdown) + " seconds";
        result.runCountdown = true;
    }
    return result;
}

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
