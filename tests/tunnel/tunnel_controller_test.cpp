// The tunnel controller with the stand-in client as a real process and no window: one client
// at a time, started in the program's folder, noticed when it ends, stopped and let go.
#include "tunnel/tunnel_controller.h"

#include "support/stand_in.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

class TunnelControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyStandInTo(folder.Path()));
        tunnel.SetFolder(folder.Path());
    }
    void TearDown() override { tunnel.Stop(); }

    TempFolder folder;
    TunnelController tunnel;
};

TEST_F(TunnelControllerTest, OneClientRunsUntilItIsStopped) {
    WriteStandInScript(folder.Path(), {"wait-quit"});
    EXPECT_EQ(tunnel.Launch(" -pw pw acct <in.txt"), "");
    EXPECT_TRUE(tunnel.IsRunning());
    ASSERT_TRUE(WaitForRecordLine(folder.Path(), "waiting for WM_QUIT"));
    EXPECT_EQ(tunnel.Launch(" -pw other acct <in.txt"), "") << "a running client is kept";
    EXPECT_EQ(RecordedValue(ReadStandInRecord(folder.Path()), "commandline"),
              " -pw pw acct <in.txt");
    EXPECT_FALSE(tunnel.HasEnded());

    tunnel.Stop();
    EXPECT_FALSE(tunnel.IsRunning());
    EXPECT_TRUE(RecordHasLine(ReadStandInRecord(folder.Path()), "got WM_QUIT"));
}

TEST_F(TunnelControllerTest, AClientThatEndsOnItsOwnIsNoticed) {
    WriteStandInScript(folder.Path(), {"exit 3"});
    ASSERT_EQ(tunnel.Launch(" -pw pw acct <in.txt"), "");
    EXPECT_TRUE(WaitForRecordLine(folder.Path(), "exit 3"));
    for (int i = 0; i < 100 && !tunnel.HasEnded(); ++i)
        ::Sleep(50);
    EXPECT_TRUE(tunnel.HasEnded());
    EXPECT_TRUE(tunnel.IsRunning()) << "held until stopped";
}

TEST_F(TunnelControllerTest, AMissingClientIsReportedAndNothingRuns) {
    TempFolder empty;
    tunnel.SetFolder(empty.Path());
    EXPECT_EQ(tunnel.Launch(" -pw pw acct <in.txt"),
              "Failed to start program '" + empty.Path() + "\\plink.exe', error code = 2");
    EXPECT_FALSE(tunnel.IsRunning());
    EXPECT_FALSE(tunnel.HasEnded());
}

} // namespace
