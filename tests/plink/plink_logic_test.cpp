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

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// The ssh command line

// The arguments as ssh reads them: each option's values in order, "-o Name=value" under its
// name (ssh uses an option's first value), and under "" the words that are no option.
using SshReading = std::map<std::string, std::vector<std::string>>;

SshReading ReadAsSsh(const std::vector<std::string>& arguments) {
    SshReading read;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i][0] == '-' ? arguments[i] : "";
        std::string value = option.empty() ? arguments[i] : "";
        if (option == "-o" || option == "-p" || option == "-l" || option == "-L")
            value = arguments.at(++i);
        if (option == "-o") {
            option = value.substr(0, value.find('='));
            value.erase(0, option.size() + 1);
        }
        read[option].push_back(value);
    }
    return read;
}

// The files a path option names, as ssh reads its value: split at blanks outside quotes, the
// quotes taken off, a backslash taken as an escape and, where ssh expands its tokens, '%' and the
// character after it as a token, "%%" as '%'.
std::vector<std::string> FilesSshOpens(const std::string& value, bool tokens) {
    std::vector<std::string> files(1);
    bool quoted = false;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '"')
            quoted = !quoted;
        else if (value[i] == ' ' && !quoted)
            files.emplace_back();
        else if (value[i] == '\\' && i + 1 < value.size())
            files.back() += value[++i];
        else if (value[i] == '%' && tokens && value[++i] != '%')
            files.back() += "<token>";
        else
            files.back() += value[i];
    }
    return files;
}

// What ssh is told, whatever ~/.ssh/config says: the server as the only word, so no remote
// command; the session's port, its user only when it has one, its forwardings bound to 127.0.0.1
// only; a password sign-in only, tried once, that ssh may ask for; Marrowin's own known-hosts
// file, names in plain text, a new key asked about; an end when a forwarding cannot be set up, a
// silent server within 30 seconds and a dead link within 45; verbose output, which is how
// plink.exe sees the tunnel come up.
TEST(SshArguments, SshIsToldWhatTheTunnelNeedsAndNothingElse) {
    Session session;
    session.host = "tunnel.example.org";
    session.port = 4022;
    session.user = "alice";
    session.forwardings = {{25, "localhost", 25}, {50000, "10.0.0.7", 3128}};
    SshReading ssh = ReadAsSsh(SshArguments(session, "C:\\Program Files\\100%\\known_hosts"));
    auto first = [&ssh](const std::string& option) {
        return ssh.count(option) ? ssh[option].front() : "<not given>";
    };
    EXPECT_EQ(std::vector<std::string>{"tunnel.example.org"}, ssh[""]);
    EXPECT_EQ(
        (std::vector<std::string>{"127.0.0.1:25:localhost:25", "127.0.0.1:50000:10.0.0.7:3128"}),
        ssh["-L"]);
    for (std::string told : {"-N=", "-v=", "-p=4022", "-l=alice", "PubkeyAuthentication=no",
                             "NumberOfPasswordPrompts=1", "StrictHostKeyChecking=ask",
                             "HashKnownHosts=no", "CheckHostIP=no", "ExitOnForwardFailure=yes",
                             "ControlMaster=no", "ControlPath=none"}) {
        size_t equals = told.find('=');
        EXPECT_EQ(told.substr(equals + 1), first(told.substr(0, equals))) << told;
    }
    EXPECT_EQ(0u, first("PreferredAuthentications").rfind("password", 0));
    EXPECT_EQ(std::string::npos, first("PreferredAuthentications").find("publickey"));
    EXPECT_NE("yes", first("BatchMode"));
    for (auto [option, tokens] :
         {std::pair{"UserKnownHostsFile", true}, std::pair{"GlobalKnownHostsFile", false}})
        EXPECT_EQ(std::vector<std::string>{"C:/Program Files/100%/known_hosts"},
                  FilesSshOpens(first(option), tokens))
            << option;
    EXPECT_LE(std::stoi(first("ConnectTimeout")), 30);
    EXPECT_LE(std::stoi(first("ServerAliveInterval")) * std::stoi(first("ServerAliveCountMax")),
              45);

    session.user.clear();
    session.forwardings.clear();
    ssh = ReadAsSsh(SshArguments(session, "C:\\known_hosts"));
    EXPECT_EQ(0u, ssh.count("-l") + ssh.count("-L"));

    // A key file alone, or the agent's keys: no password then.
    session.signIn = SignIn::KeyFile;
    session.keyFile = "C:\\keys\\my key";
    ssh = ReadAsSsh(SshArguments(session, "C:\\known_hosts"));
    EXPECT_EQ("publickey", first("PreferredAuthentications"));
    EXPECT_EQ("yes", first("IdentitiesOnly"));
    EXPECT_EQ("none", first("IdentityAgent"));
    EXPECT_EQ(std::vector<std::string>{"C:/keys/my key"}, FilesSshOpens(first("IdentityFile"), true));
    session.signIn = SignIn::Agent;
    ssh = ReadAsSsh(SshArguments(session, "C:\\known_hosts"));
    EXPECT_EQ("publickey", first("PreferredAuthentications"));
    EXPECT_EQ("<not given>", first("IdentitiesOnly"));
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
