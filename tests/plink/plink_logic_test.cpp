// Tests of our plink.exe's plain logic: the command line Marrowin gives it, the session's
// forwardings, the ssh command line built from a session, reading ssh's verbose output, and
// why a run failed.
#include "plink/command_line.h"
#include "plink/end_reason.h"
#include "plink/output_watch.h"
#include "plink/session.h"
#include "plink/ssh_arguments.h"
#include "settings/account_rules.h"
#include "support/marrowin_process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// The command line

TEST(ClientCommandLine, BothFormsMarrowinUsesGivePasswordAndSession) {
    for (const char* line :
         {" -pw s3cret mail.example.org <in.txt", "-pw s3cret mail.example.org <in.txt"}) {
        SCOPED_TRACE(line);
        std::optional<ClientRequest> request = ParseClientCommandLine(line);
        ASSERT_TRUE(request);
        EXPECT_EQ("s3cret", request->password);
        EXPECT_EQ("mail.example.org", request->session);
    }
}

TEST(ClientCommandLine, PasswordIsTakenAsItStandsWithBlanksQuotesAndBackslashes) {
    // Marrowin quotes nothing; session names never hold blanks, passwords may.
    std::optional<ClientRequest> request =
        ParseClientCommandLine(" -pw  two  blanks \"q\\\" -pw x acct <in.txt");
    ASSERT_TRUE(request);
    EXPECT_EQ(" two  blanks \"q\\\" -pw x", request->password);
    EXPECT_EQ("acct", request->session);

    request = ParseClientCommandLine("-pw  acct <in.txt");
    ASSERT_TRUE(request);
    EXPECT_EQ("", request->password);
    EXPECT_EQ("acct", request->session);
}

TEST(ClientCommandLine, AnyOtherFormIsRefused) {
    for (const char* line :
         {"", " ", "-pw", "-pw s3cret", "-pw s3cret acct", " -pw s3cret acct", "-pw acct <in.txt",
          "-pw s3cret acct <in.txt ", "-pw s3cret acct <out.txt", "-pw s3cret acct  <in.txt",
          "  -pw s3cret acct <in.txt", "-PW s3cret acct <in.txt",
          "plink.exe -pw s3cret acct <in.txt", "-pw s3cret <in.txt"}) {
        SCOPED_TRACE(std::string("[") + line + "]");
        EXPECT_FALSE(ParseClientCommandLine(line));
    }
}

// ---------------------------------------------------------------------------------------------
// The session's forwardings

TEST(SessionForwardings, EntriesAreReadInOrderWithTheLastCommaOptional) {
    std::vector<LocalForwarding> forwardings =
        ParseSessionForwardings("L25=localhost:25,L110=mail.example.org:110,L50000=10.0.0.7:3128")
            .usable;
    ASSERT_EQ(3u, forwardings.size());
    EXPECT_EQ(25, forwardings[0].localPort);
    EXPECT_EQ("localhost", forwardings[0].targetHost);
    EXPECT_EQ(25, forwardings[0].targetPort);
    EXPECT_EQ(110, forwardings[1].localPort);
    EXPECT_EQ("mail.example.org", forwardings[1].targetHost);
    EXPECT_EQ(50000, forwardings[2].localPort);
    EXPECT_EQ("10.0.0.7", forwardings[2].targetHost);
    EXPECT_EQ(3128, forwardings[2].targetPort);

    SessionForwardings parsed = ParseSessionForwardings("L8080=[::1]:80,,L1=a_b-c:065535,");
    ASSERT_EQ(2u, parsed.usable.size());
    EXPECT_EQ("[::1]", parsed.usable[0].targetHost);
    EXPECT_EQ(65535, parsed.usable[1].targetPort) << "leading zeros spell the same port";
    EXPECT_TRUE(parsed.skipped.empty());
    EXPECT_TRUE(ParseSessionForwardings("").usable.empty());
}

// An entry the client cannot use is left out, and the others still make the tunnel.
TEST(SessionForwardings, AnEntryThatCannotBeUsedIsSkipped) {
    for (const char* bad :
         {"R80=localhost:80", "25=localhost:25", "L=localhost:25", "L25localhost:25",
          "L25=localhost", "L25=:25", "L25=localhost:", "L0=localhost:25", "L65536=localhost:25",
          "L25=localhost:0", "L25=localhost:65536", "L25=localhost:smtp", "L2 5=localhost:25",
          "L25=local host:25", "L25=-oProxyCommand=calc:25", "L25=a:b:25", "L25=mail:26",
          "L25=localhost:25x"}) {
        SCOPED_TRACE(bad);
        SessionForwardings parsed =
            ParseSessionForwardings("L25=localhost:25," + std::string(bad) + ",L110=pop:110,");
        ASSERT_EQ(2u, parsed.usable.size());
        EXPECT_EQ(25, parsed.usable[0].localPort);
        EXPECT_EQ(110, parsed.usable[1].localPort);
        EXPECT_EQ(std::vector<std::string>{bad}, parsed.skipped);
    }
}

TEST(SessionHostName, OnlyNamesThatSshCannotTakeForAnOption) {
    for (const char* host : {"mail.example.org", "ssh_1-a", "192.0.2.7", "[2001:db8::7]"})
        EXPECT_TRUE(IsUsableHostName(host)) << host;
    for (const char* host : {"", "-oProxyCommand=calc", "a b", "a\"b", "a:b", "[zz::1]", "[]"})
        EXPECT_FALSE(IsUsableHostName(host)) << host;
}

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
        "-o", "PreferredAuthentications=password,keyboard-interactive",
        "-o", "PubkeyAuthentication=no",
        "-o", "NumberOfPasswordPrompts=1",
        "-o", "StrictHostKeyChecking=accept-new",
        "-p", "4022",
        "-l", "alice",
        "-L", "127.0.0.1:25:localhost:25",
        "-L", "127.0.0.1:110:localhost:110",
        "-L", "127.0.0.1:50000:10.0.0.7:3128",
        "tunnel.example.org"};
    // clang-format on
    EXPECT_EQ(expected, SshArguments(ThreeForwardingSession()));
}

TEST(SshArguments, NoUserLeavesItToSshAndNoForwardingsGiveNoL) {
    Session session = ThreeForwardingSession();
    session.user.clear();
    session.forwardings.clear();
    std::vector<std::string> arguments = SshArguments(session);
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

// What the real OpenSSH client printed in each case, read line by line as plink.exe reads it:
// up only once signed in with every forwarding set up, never on "Local forwarding listening",
// which comes before the port is bound.
TEST(VerboseOutput, TheTunnelIsUpOnlyWhenTheRealClientSaysSo) {
    const struct {
        const char* file;
        bool authenticated;
        bool up;
    } cases[] = {
        {"ok.txt", true, true},        {"dropped.txt", true, true},
        {"inuse.txt", true, false},    {"bad.txt", false, false},
        {"unreach.txt", false, false}, {"hostkey-changed.txt", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<std::string> lines = ReadLines(WinePath(TRANSCRIPTS_DIR) + "\\" + c.file);
        ASSERT_FALSE(lines.empty());
        TunnelProgress progress;
        for (const std::string& line : lines)
            progress.OnLine(line);
        EXPECT_EQ(progress.Authenticated(), c.authenticated);
        EXPECT_EQ(progress.Up(), c.up);
    }
    // Older releases end the line without the method.
    TunnelProgress older;
    older.OnLine("Authenticated to tunnel.example.org ([192.0.2.7]:22).");
    older.OnLine("debug1: Entering interactive session.");
    EXPECT_TRUE(older.Up());
}

// ---------------------------------------------------------------------------------------------
// Why a run failed

// The sentence for the user, from what the real OpenSSH client printed, from other lines it
// prints when it gives up, and from plink.exe's own failures. A cause beats a forwarding left
// out.
TEST(EndReason, EachFailureIsToldInItsOwnWords) {
    const struct {
        const char* name;
        const char* transcript;         // a file of ssh's output, or null
        std::vector<std::string> lines; // ssh's lines after it
        const char* skipped;            // a forwarding left out, or null
        std::optional<ClientFailure> failure;
        const char* says; // in the sentence; empty: no sentence at all
    } cases[] = {
        {"signed in", "ok.txt", {}, nullptr, {}, ""},
        {"wrong password", "bad.txt", {}, nullptr, {}, "refused the user name or password"},
        {"nothing listens", "unreach.txt", {}, nullptr, {}, "could not be reached"},
        {"host key changed", "hostkey-changed.txt", {}, nullptr, {}, "identity has changed"},
        {"port in use", "inuse.txt", {}, nullptr, {}, "Local port 18081 is already in use"},
        {"server ended it", "dropped.txt", {}, nullptr, {}, "closed the connection"},
        {"timed out",
         nullptr,
         {"ssh: connect to host h.example port 22: Connection timed out"},
         nullptr,
         {},
         "could not be reached"},
        {"unknown name",
         nullptr,
         {"ssh: Could not resolve hostname nowhere.example: No such host is known."},
         nullptr,
         {},
         "name could not be found"},
        {"port the system keeps",
         nullptr,
         {"bind [127.0.0.1]:25: Permission denied"},
         nullptr,
         {},
         "Local port 25 could not be opened"},
        {"no answer any more",
         nullptr,
         {"Timeout, server h.example not responding."},
         nullptr,
         {},
         "stopped answering"},
        {"forwarding left out", "ok.txt", {}, "L0=localhost:25", {}, "\"L0=localhost:25\""},
        {"cause beats left out", "bad.txt", {}, "L0=localhost:25", {}, "password"},
        {"session", nullptr, {}, "L0=x:1", ClientFailure::BadSession, "saved session"},
        {"no ssh", nullptr, {}, nullptr, ClientFailure::NoSsh, "ssh.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EndReason reason;
        if (c.skipped)
            reason.OnSkippedForwarding(c.skipped);
        if (c.failure)
            reason.OnClientFailure(*c.failure);
        std::vector<std::string> lines;
        if (c.transcript) {
            lines = ReadLines(WinePath(TRANSCRIPTS_DIR) + "\\" + c.transcript);
            ASSERT_FALSE(lines.empty());
        }
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        for (const std::string& line : lines)
            reason.OnSshLine(line);
        if (*c.says)
            EXPECT_NE(std::string::npos, reason.Text().find(c.says)) << reason.Text();
        else
            EXPECT_EQ("", reason.Text());
    }
}

} // namespace
