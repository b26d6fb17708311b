// The reading of a port field that the accounts editor, the forwardings and plink.exe share.
// The checks built on it are tested through the windows that show their messages.
#include "settings/account_rules.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(AccountRules, PortNumbers) {
    const std::pair<const char*, int> cases[] = {
        {"80", 80}, {"000080", 80}, {"65535", 65535}, {"0", 0},  {"65536", 0},
        {"", 0},    {"8o", 0},      {" 80", 0},       {"-1", 0}, {"99999999999999999999", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortNumber(c.first), c.second) << c.first;
}

} // namespace
