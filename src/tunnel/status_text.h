// The status window's text: what the connection is doing, composed from its state, and what
// that asks of the window's timers. No window here; the window (ui/dialogs/status_window.h)
// only shows it.
#pragma once

#include <string>

// Everything the status text is made from.
struct StatusState {
    std::string accountName;
    bool reconnect = false;
    bool proxy = false;
    bool tor = false;
    bool established = false;
    bool dropped = false;
    int retryNumber = 0;
    bool maximumReached = false;
    int countdown = 0;
    // The client's reason that retrying cannot mend, which ended the reconnect sequence.
    std::string hopelessReason{};
    // The account carries the browser through ssh's own tunnel, not the server's proxy.
    bool throughSsh = false;
};

// A composed status text and what it asks of the window's timers.
struct StatusComposition {
    std::string text;
    // Nothing will change any more: the refresh timer stops.
    bool stopRefresh = false;
    // Established: the countdown timer is to run.
    bool runCountdown = false;
};

StatusComposition ComposeStatusText(const StatusState& state);
