// CConnDlg: the status window of a tunnel start. It tells the user what the connection is
// doing, refreshes itself every second, and once the connection is established closes itself
// after a ten-second countdown.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"
#include "tunnel/status_text.h"

#include <string>

class CConnDlg : public fw::Dialog {
public:
    static const UINT_PTR kRefreshTimer = 100;
    static const UINT_PTR kCountdownTimer = 1000;
    static const int kCountdownSeconds = 10;

    explicit CConnDlg(HWND parent = nullptr);

    // Set by the starter before the run.
    void SetAccountName(const std::string& name) { state_.accountName = name; }
    void SetReconnect(bool on) { state_.reconnect = on; }
    void SetProxy(bool used) { state_.proxy = used; }
    void SetTor(bool on) { state_.tor = on; }
    void SetThroughSsh(bool on) { state_.throughSsh = on; }

    // Reports of the connection while the window is open; each shows at the next refresh.
    void SetEstablished() { state_.established = true; }
    // A drop also ends the countdown of an earlier success: the window stays to show what
    // follows.
    void SetDropped();
    void SetRetryNumber(int number) { state_.retryNumber = number; }
    void SetMaximumReached() { state_.maximumReached = true; }
    void SetHopelessReason(const std::string& reason) { state_.hopelessReason = reason; }

    // Rebuilds the status text from the state and starts or stops the timers as it asks.
    void BuildStatusText();

    const std::string& StatusText() const { return statusText_; }
    int Countdown() const { return state_.countdown; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override { Finish(IDOK); }
    void OnCancel() override { Finish(IDCANCEL); }

private:
    void OnTick(UINT_PTR timer);
    void ShowStatusText();
    void Finish(INT_PTR result);

    StatusState state_;
    std::string statusText_;
    bool countdownRunning_ = false;
    fw::Edit statusEdit_;
};
