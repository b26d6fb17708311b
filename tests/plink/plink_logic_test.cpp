// Tests of our plink.exe's logic over Win32: the ssh command line built from a session, and
// reading ssh's verbose output and why it failed from the real client's transcripts. The plain
// text logic is tested natively, in tests/logic/plink_text_test.cpp.
#include "logic/end_reason.h"
#include "plink/output_watch.h"
#include "plink/session.h"
#include "plink/ssh_arguments.h"
#include "support/end_reason_says.h"
#include "support/marrowin_process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// The ssh command line

Session ThreeForwardingSession() {
    Session session;
    session.host = "tunnel.example.org";
    session.port = 4022;
    session.user = "alice";
    session.forwardings = {
        {25, "localhost", 25}, {110, "localhost", 110}, {50000, "10.0.0.7", 3128}};
    return session;
}

TEST(SshArguments, EveryOptionOfTheTunnelAndTheHostLast) {
    // clang-format off
    std::vector<std::string> expected = {
        "-N", "-v",
        "-o", "ExitOnForwardFailure=yes",
        "-o", "ServerAliveInterval=15",
        "-o", "ServerAliveCountMax=3",
        "-o", "ConnectTimeout=30",
        "-o", "PreferredAuthentications=password,keyboard-interactive",
        "-o", "PubkeyAuthentication=no",
        "-o", "NumberOfPasswordPrompts=1",
        "-o", "StrictHostKeyChecking=ask",
        "-o", "UserKnownHostsFile=\"C:/Program Files/100%%/known_hosts\"",
        "-o", "GlobalKnownHostsFile=\"C:/Program Files/100%/known_hosts\"",
        "-o", "HashKnownHosts=no",
        "-o", "CheckHostIP=no",
        "-p", "4022",
        "-l", "alice",
        "-L", "127.0.0.1:25:localhost:25",
        "-L", "127.0.0.1:110:localhost:110",
        "-L", "127.0.0.1:50000:10.0.0.7:3128",
        "tunnel.example.org"};
    // clang-format on
    EXPECT_EQ(expected,
              SshArguments(ThreeForwardingSession(), "C:\\Program Files\\100%\\known_hosts"));
}

TEST(SshArguments, NoUserLeavesItToSshAndNoForwardingsGiveNoL) {
    Session session = ThreeForwardingSession();
    session.user.clear();
    session.forwardings.clear();
    std::vector<std::string> arguments = SshArguments(session, "C:\\known_hosts");
    for (const std::string& argument : arguments) {
        EXPECT_NE("-l", argument);
        EXPECT_NE("-L", argument);
        EXPECT_NE("BatchMode=yes", argument); // it would keep ssh from asking for the password
    }
    EXPECT_EQ("tunnel.example.org", arguments.back());
}

TEST(SshCommandLine, ArgumentsAreQuotedSoThatTheCRuntimeSplitsThemBack) {
    EXPECT_EQ("plain", QuoteArgument("plain"));
    EXPECT_EQ("\"\"", QuoteArgument(""));
    EXPECT_EQ("\"two words\"", QuoteArgument("two words"));
    EXPECT_EQ("\"say \\\"hi\\\"\"", QuoteArgument("say \"hi\""));
    EXPECT_EQ("\"C:\\Program Files\\\\\"", QuoteArgument("C:\\Program Files\\"));
    EXPECT_EQ("a\\b\\\\c", QuoteArgument("a\\b\\\\c"));
    EXPECT_EQ("\"C:\\Program Files\\OpenSSH\\ssh.exe\" -l \"o'brien x\" host",
              CommandLine("C:\\Program Files\\OpenSSH\\ssh.exe", {"-l", "o'brien x", "host"}));
}

// ---------------------------------------------------------------------------------------------
// ssh's verbose output

TEST(VerboseOutput, TheDebugPrefixIsLeftOut) {
    EXPECT_EQ("Entering interactive session.",
              WithoutDebugPrefix("debug1: Entering interactive session."));
    EXPECT_EQ("Authenticated to h", WithoutDebugPrefix("debug3: Authenticated to h"));
    EXPECT_EQ("debug: x", WithoutDebugPrefix("debug: x"));
}

std::vector<std::string> Transcript(const char* file) {
    return ReadLines(WinePath(TRANSCRIPTS_DIR) + "\\" + file);
}

// What the real OpenSSH client printed in each case, read line by line as plink.exe reads it:
// up only once signed in with every forwarding set up, never on "Local forwarding listening",
// which comes before the port is bound; and why it failed, in the user's words. A cause beats
// a forwarding left out, which is named when nothing else explains the end.
TEST(Transcripts, TheTunnelIsUpOnlyWhenTheRealClientSaysSoAndAFailureIsNamed) {
    const struct {
        const char* file;
        bool authenticated;
        bool up;
        const char* says; // in the sentence; empty: nothing explains the end
    } cases[] = {
        {"ok.txt", true, true, ""},
        {"dropped.txt", true, true, "closed the connection"},
        {"inuse.txt", true, false, "Local port 18081 is already in use"},
        {"bad.txt", false, false, "refused the user name or password"},
        {"unreach.txt", false, false, "could not be reached"},
        {"hostkey-changed.txt", false, false, "identity has changed"},
        {"hostkey-changed-ask.txt", false, false, "identity has changed"},
        {"hostkey-new-refused.txt", false, false, "key was not accepted"},
        {"hostkey-new-accepted.txt", true, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<std::string> lines = Transcript(c.file);
        ASSERT_FALSE(lines.empty());
        TunnelProgress progress;
        EndReason reason;
        EndReason reasonWithSkipped;
        reasonWithSkipped.OnSkippedForwarding("L0=localhost:25");
        for (const std::string& line : lines) {
            progress.OnLine(line);
            reason.OnSshLine(line);
            reasonWithSkipped.OnSshLine(line);
        }
        EXPECT_EQ(progress.Authenticated(), c.authenticated);
        EXPECT_EQ(progress.Up(), c.up);
        ExpectSays(reason, *c.says ? c.says : "ended without giving a reason");
        ExpectSays(reasonWithSkipped, *c.says ? c.says : "\"L0=localhost:25\"");
    }
    // The new key of a changed one is read from the warning, for the user to decide about.
    EndReason changed;
    for (const std::string& line : Transcript("hostkey-changed-ask.txt"))
        changed.OnSshLine(line);
    ASSERT_TRUE(changed.ChangedKey());
    EXPECT_EQ("ED25519 SHA256:Lhc9SQGI8GY58CqSASiuWd91Wxc3IdLA2BvU4YnHx8Y",
              KeyText(*changed.ChangedKey()));
    // A refused key is told as such.
    EndReason refused;
    for (const std::string& line : Transcript("hostkey-new-refused.txt"))
        refused.OnSshLine(line);
    EXPECT_EQ(refused.Text(), kKeyNotAcceptedReason);

    // Older releases end the line without the method.
    TunnelProgress older;
    older.OnLine("Authenticated to tunnel.example.org ([192.0.2.7]:22).");
    older.OnLine("debug1: Entering interactive session.");
    EXPECT_TRUE(older.Up());
}

} // namespace
