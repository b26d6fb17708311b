// ReconnectSequence: what happens after the tunnel has dropped. With the reconnect option on,
// the client is started again every ten seconds, at most ten times, until a connection is
// established; otherwise the user is asked. A failure that another attempt would meet the same
// way ends it. Plain rules; the main window runs the timer and does what they say.
#pragma once

class ReconnectSequence {
public:
    static const int kMaximumAttempts = 10;

    enum class DropAction {
        StartSequence,    // start the ten-second timer; the first attempt comes with its first tick
        ContinueSequence, // an attempt has failed: the next tick makes the next one
        GiveUp,           // retrying cannot mend the failure: the sequence ends or never starts
        AskUser,          // the connection-broken dialog
    };
    enum class TickAction {
        Relaunch, // one more attempt: start the client again
        GiveUp,   // the attempts are used up: stop the timer and leave privacy off
    };

    // The tunnel has dropped; `retryCanMend` is false when the client's reason says another
    // attempt would fail the same way. Waiting for its first tick, the sequence starts again
    // with the option on, and the user is asked with it off.
    DropAction OnDrop(bool reconnectOption, bool retryCanMend);
    // A tick of the ten-second timer.
    TickAction OnTick();
    // A connection has been established: the sequence has done its job.
    void OnEstablished();

    // The sequence has made its first attempt and not yet ended.
    bool IsActive() const { return active_; }
    // The sequence waits for its first tick or has made attempts, and has not ended.
    bool IsRunning() const { return waiting_ || active_; }
    // The number of the latest attempt; 0 outside a sequence.
    int Attempt() const { return attempt_; }

private:
    void End();

    bool waiting_ = false;
    bool active_ = false;
    int attempt_ = 0;
};
