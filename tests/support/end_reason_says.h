// Checks the sentence an EndReason gives the user, for the tests of plink.exe's reasons.
#pragma once

#include "logic/end_reason.h"

#include <gtest/gtest.h>

#include <string>

// The sentence holds `says`.
inline void ExpectSays(const EndReason& reason, const char* says) {
    EXPECT_NE(std::string::npos, reason.Text().find(says)) << reason.Text();
}
