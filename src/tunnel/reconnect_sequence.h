// ReconnectSequence: what happens after the tunnel has dropped. With the reconnect option on,
// the client is started again every ten seconds, at most ten times, until a connection is
// established; otherwise the user is asked. Plain rules; the main window runs the timer and
// does what they say.
#pragma once

class ReconnectSequence {
public:
    static const int kMaximumAttempts = 10;

    enum class DropAction {
        StartSequence, // start the ten-second timer; the first attempt comes with its first tick
        AskUser,       // the connection-broken dialog
    };
    enum class TickAction {
        Relaunch, // one more attempt: start the client again
        GiveUp,   // the attempts are used up: stop the timer and leave privacy off
    };

    // The tunnel has dropped. A sequence that is already running goes on and the user is asked.
    DropAction OnDrop(bool reconnectOption) const;
    // A tick of the ten-second timer.
    TickAction OnTick();
    // A connection has been established: the sequence has done its job.
    void OnEstablished();
    // The tunnel ended in a way that retrying cannot mend: the sequence ends without its job.
    void End() { OnEstablished(); }

    bool IsActive() const { return active_; }
    // The number of the latest attempt; 0 outside a sequence.
    int Attempt() const { return attempt_; }

private:
    bool active_ = false;
    int attempt_ = 0;
};
