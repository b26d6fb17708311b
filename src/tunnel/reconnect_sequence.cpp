// The rules of the reconnect sequence.
#include "tunnel/reconnect_sequence.h"

ReconnectSequence::DropAction ReconnectSequence::OnDrop(bool reconnectOption) const {
    return reconnectOption && !active_ ? DropAction::StartSequence : DropAction::AskUser;
}

ReconnectSequence::TickAction ReconnectSequence::OnTick() {
    if (!active_ || attempt_ != kMaximumAttempts) {
        ++attempt_;
        active_ = true;
        return TickAction::Relaunch;
    }
    active_ = false;
    attempt_ = 0;
    return TickAction::GiveUp;
}

void ReconnectSequence::OnEstablished() {
    active_ = false;
    attempt_ = 0;
}
