// The reconnect sequence's rules, without a window: what a drop and each tick of the timer ask
// for, and what an established connection ends.
#include "tunnel/reconnect_sequence.h"

#include <gtest/gtest.h>

namespace {

using Drop = ReconnectSequence::DropAction;
using Tick = ReconnectSequence::TickAction;

TEST(ReconnectSequence, ADropStartsASequenceOnlyWithTheOptionAndNoneRunning) {
    ReconnectSequence sequence;
    EXPECT_EQ(sequence.OnDrop(true), Drop::StartSequence);
    // Waiting for the first tick: another drop starts the timer again, or asks the user.
    EXPECT_EQ(sequence.OnDrop(true), Drop::StartSequence);
    EXPECT_EQ(sequence.OnDrop(false), Drop::AskUser);
    EXPECT_FALSE(sequence.IsActive()) << "a drop alone starts nothing; the first tick does";

    sequence.OnTick();
    EXPECT_EQ(sequence.OnDrop(true), Drop::AskUser) << "a running sequence goes on";
}

TEST(ReconnectSequence, TenAttemptsThenTheEleventhTickGivesUp) {
    ReconnectSequence sequence;
    for (int attempt = 1; attempt <= ReconnectSequence::kMaximumAttempts; ++attempt) {
        EXPECT_EQ(sequence.OnTick(), Tick::Relaunch) << attempt;
        EXPECT_EQ(sequence.Attempt(), attempt);
        EXPECT_TRUE(sequence.IsActive());
    }
    EXPECT_EQ(sequence.OnTick(), Tick::GiveUp);
    EXPECT_FALSE(sequence.IsActive());
    EXPECT_EQ(sequence.Attempt(), 0);
    // A later drop starts afresh.
    EXPECT_EQ(sequence.OnDrop(true), Drop::StartSequence);
    EXPECT_EQ(sequence.OnTick(), Tick::Relaunch);
    EXPECT_EQ(sequence.Attempt(), 1);
}

TEST(ReconnectSequence, AnEstablishedConnectionEndsTheSequence) {
    ReconnectSequence sequence;
    sequence.OnTick();
    sequence.OnTick();
    sequence.OnEstablished();
    EXPECT_FALSE(sequence.IsActive());
    EXPECT_EQ(sequence.Attempt(), 0);
    EXPECT_EQ(sequence.OnDrop(true), Drop::StartSequence);
}

} // namespace
