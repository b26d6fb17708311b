// The rules of the reconnect sequence.
#include "tunnel/reconnect_sequence.h"

ReconnectSequence::DropAction ReconnectSequence::OnDrop(bool reconnectOption, bool retryCanMend) {
    if (!retryCanMend) {
        bool ended = reconnectOption || IsRunning();
        End();
        return ended ? DropAction::GiveUp : DropAction::AskUser;
    }
    if (active_)
        return DropAction::ContinueSequence;
    if (!reconnectOption)
        return DropAction::AskUser;
    waiting_ = true;
    return DropAction::StartSequence;
}

ReconnectSequence::TickAction ReconnectSequence::OnTick() {
    if (!active_ || attempt_ != kMaximumAttempts) {
        ++attempt_;
        waiting_ = false;
        active_ = true;
        return TickAction::Relaunch;
    }
    End();
    return TickAction::GiveUp;
}

void ReconnectSequence::OnEstablished() {
    End();
}

void ReconnectSequence::End() {
    waiting_ = false;
    active_ = false;
    attempt_ = 0;
}
