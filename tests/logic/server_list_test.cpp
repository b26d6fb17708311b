// Edits of the name list work on whole entries.
#include "logic/server_list.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerList, EditsTouchWholeEntriesOnly) {
    EXPECT_EQ(AppendServerEntry("", "alpha"), "alpha,");
    EXPECT_EQ(AppendServerEntry("alpha,", "beta"), "alpha,beta,");
    EXPECT_EQ(RemoveServerEntry("xalpha,alpha,alphax,", "alpha"), "xalpha,alphax,");
    EXPECT_EQ(RemoveServerEntry("alpha,", "alpha"), "");
    EXPECT_EQ(RemoveServerEntry("beta,", "alpha"), "beta,");
    EXPECT_EQ(ReplaceServerEntry("xalpha,alpha,beta,", "alpha", "gamma"), "xalpha,gamma,beta,");
    // Text after the last comma is no entry and stays as it is.
    EXPECT_EQ(RemoveServerEntry("alpha,beta", "beta"), "alpha,beta");
    EXPECT_EQ(ReplaceServerEntry("alpha,beta", "alpha", "a"), "a,beta");
    EXPECT_EQ(AppendServerEntry("alpha,beta", "gamma"), "alpha,gamma,beta");
}

} // namespace
