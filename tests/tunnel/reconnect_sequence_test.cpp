// The reconnect sequence's rules, without a window: what a drop and each tick of the timer ask
// for, and what an established connection ends.
#include "tunnel/reconnect_sequence.h"

#include <gtest/gtest.h>

namespace {

using Drop = ReconnectSequence::DropAction;
using Tick = ReconnectSequence::TickAction;

// What a drop asks for in each state of the sequence, with the option on or off, and with a
// reason that retrying can mend or not; and whether the sequence runs afterwards.
TEST(ReconnectSequence, WhatADropAsksForInEachState) {
    enum State { Idle, Waiting, Active };
    const struct {
        State state;
        bool option;
        bool canMend;
        Drop action;
        bool runsAfter;
    } cases[] = {
        {Idle, true, true, Drop::StartSequence, true},
        {Idle, false, true, Drop::AskUser, false},
        // Waiting for the first tick: the timer starts again, or the user is asked.
        {Waiting, true, true, Drop::StartSequence, true},
        {Waiting, false, true, Drop::AskUser, true},
        // A failed attempt is one of the ten, whatever the option says now.
        {Active, true, true, Drop::ContinueSequence, true},
        {Active, false, true, Drop::ContinueSequence, true},
        {Idle, true, false, Drop::GiveUp, false},
        {Idle, false, false, Drop::AskUser, false},
        {Waiting, false, false, Drop::GiveUp, false},
        {Active, true, false, Drop::GiveUp, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << c.option << c.canMend);
        ReconnectSequence sequence;
        if (c.state != Idle)
            sequence.OnDrop(true, true);
        if (c.state == Active)
            sequence.OnTick();
        EXPECT_EQ(sequence.OnDrop(c.option, c.canMend), c.action);
        EXPECT_EQ(sequence.IsRunning(), c.runsAfter);
    }
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
    EXPECT_EQ(sequence.OnDrop(true, true), Drop::StartSequence);
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
    EXPECT_EQ(sequence.OnDrop(true, true), Drop::StartSequence);
}

} // namespace
