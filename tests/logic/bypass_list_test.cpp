// The browser's bypass list while it points at the tunnel, and the guard's count of takes.
#include "logic/bypass_list.h"
#include "logic/proxy_takes.h"

#include <gtest/gtest.h>

namespace {

// Ours first, then the user's entries ours lacks, in the user's order; blanks and empty entries
// dropped. What Stop gives back is the user's list as it was, which the record keeps whole.
TEST(BypassList, OursComeFirstThenTheUsersEachOnce) {
    const struct {
        const char* ours;
        const char* users;
        const char* merged;
    } cases[] = {
        {"local", "", "local"},
        {"local", "*.corp.example;intranet", "local;*.corp.example;intranet"},
        {"<local>", "INTRANET; <Local> ;;10.*", "<local>;INTRANET;10.*"},
        {"local;10.*", " ;;[fe80::1];10.*", "local;10.*;[fe80::1]"},
        {"", "a;A;b", "a;b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MergeBypass(c.ours, c.users), c.merged) << c.ours << " + " << c.users;
}

TEST(BypassList, AListThatWouldSendNothingThroughTheTunnelOrCannotBeReadIsRefused) {
    const struct {
        std::string list;
        const char* refusal; // part of the message, or null when the list is taken
    } cases[] = {
        {"local", nullptr},
        {"<local>;*.corp.example;10.*;[fe80::1];fe80::1;192.168.0.0/16;;", nullptr},
        {"*", "nothing"},
        {"intranet; * ;local", "nothing"},
        {"intra net", "host name"},
        {"b\xC3\xBC" "cher.example", "host name"},
        {"a,b", "host name"},
        {std::string(2001, 'a'), "2000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list.substr(0, 40));
        Verdict verdict = CheckBypassList(c.list);
        EXPECT_EQ(verdict.has_value(), c.refusal != nullptr);
        if (verdict && c.refusal) {
            EXPECT_NE(verdict->message.find(c.refusal), std::string::npos) << verdict->message;
        }
    }
}

TEST(BypassList, LocalNamesAreAddedOnceAndTakenOutInAnyCase) {
    EXPECT_EQ(WithLocalNames("local", true), "local;<local>");
    EXPECT_EQ(WithLocalNames("a; <LOCAL> ;b", true), "a;b;<local>");
    EXPECT_EQ(WithLocalNames("a;<Local>;b", false), "a;b");
    EXPECT_TRUE(HasLocalNames("x; <LOCAL>"));
    EXPECT_FALSE(HasLocalNames("local"));
}

TEST(ProxyTakes, TheThirdTakeOfAConnectionWithinAMinuteGivesItUp) {
    ProxyTakes takes;
    EXPECT_FALSE(takes.GiveUpAfter("", 0));
    EXPECT_FALSE(takes.GiveUpAfter("", 30000));
    EXPECT_FALSE(takes.GiveUpAfter("Dial-up", 40000)) << "another connection counts apart";
    EXPECT_FALSE(takes.GiveUpAfter("", 61000)) << "the first take is more than a minute old";
    EXPECT_TRUE(takes.GiveUpAfter("", 62000));
    EXPECT_TRUE(takes.GaveUp(""));
    EXPECT_FALSE(takes.GiveUpAfter("", 62500)) << "given up once only";
    EXPECT_FALSE(takes.GaveUp("Dial-up"));
}

} // namespace
