// Tests of our plink.exe as a real process: started as Marrowin starts it, with a saved session
// in the registry, running the stand-in ssh.exe (tests/support/stand_in_ssh.cpp) and reporting
// to a window of Marrowin's main window class.
#include "plink_fixture.h"

#include "logic/command_line.h"
#include "plink/ssh_arguments.h"
#include "settings/known_hosts_file.h"
#include "tunnel/client_messages.h"
#include "support/marrowin_process.h"
#include "support/scripted_user.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Reports = std::vector<UINT>;

class PlinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, window_.Handle());
        ports_ = FreeLocalPorts(3);
        ASSERT_EQ(3u, ports_.size());
        ASSERT_TRUE(session_.IsOpen());
        ASSERT_TRUE(session_.SetString("HostName", "tunnel.example.org"));
        ASSERT_TRUE(session_.SetDword("PortNumber", 4022));
        ASSERT_TRUE(session_.SetString("UserName", "alice"));
        ASSERT_TRUE(session_.SetString("PortForwardings", Forwardings()));
    }

    std::string Forwardings() const {
        return "L" + std::to_string(ports_[0]) + "=localhost:25,L" + std::to_string(ports_[1]) +
               "=localhost:110,L" + std::to_string(ports_[2]) + "=10.0.0.7:3128,";
    }

    std::string CommandLine(const std::string& password = "s3cret") const {
        return ClientArguments(password, session_.Name());
    }

    // Waits for the run to end with the exit code, the reports and, before "WM_QV_STOP", a
    // reason with the words; then forgets the reports.
    void ExpectEnds(PlinkRun& run, DWORD exitCode, const Reports& reports,
                    const std::string& words) {
        EXPECT_EQ(exitCode, run.WaitForExit());
        EXPECT_EQ(reports, window_.arrived);
        ASSERT_EQ(1u, window_.reasonsAtStop.size());
        const std::string& reason = window_.reasonsAtStop[0];
        EXPECT_NE(std::string::npos, reason.find(words)) << reason;
        window_.arrived.clear();
        window_.reasonsAtStop.clear();
    }

    void Start(const std::string& commandLine) { ASSERT_TRUE(plink_.Start(commandLine)); }

    bool WaitForReports(size_t count, DWORD timeoutMs = 20000) {
        return PumpMessagesUntil([&] { return window_.arrived.size() >= count; }, timeoutMs);
    }

    // Runs a stand-in whose script ends in "stay" up to the established tunnel.
    void StartEstablished(const std::string& password = "s3cret") {
        ssh_.Script({"askpass", "authenticated", "listen", "stay"});
        Start(CommandLine(password));
        ASSERT_TRUE(WaitForReports(2)) << plink_.ErrorOutput();
        ASSERT_EQ((Reports{WM_QV_CON_START, WM_QV_CON_ESTH}), window_.arrived)
            << plink_.ErrorOutput();
    }

    ReportWindow window_{"Marrowin"};
    StandInSshFolder ssh_;
    ScopedVariable sshProgram_{"MARROWIN_SSH", StandInSshPath().c_str()};
    SessionKey session_{UniqueSessionName("tunnel.example.org")};
    std::vector<int> ports_;
    PlinkRun plink_;
};

// ---------------------------------------------------------------------------------------------
// The tunnel up

TEST_F(PlinkTest, SshGetsEveryArgumentOfTheSessionAndTheTunnelIsReportedUp) {
    StartEstablished();

    // What the saved session says reaches ssh as the arguments built from it (their form is
    // the logic test's).
    Session session;
    session.host = "tunnel.example.org";
    session.port = 4022;
    session.user = "alice";
    session.forwardings = {
        {ports_[0], "localhost", 25}, {ports_[1], "localhost", 110}, {ports_[2], "10.0.0.7", 3128}};
    std::string plink = PlinkPath();
    std::vector<std::string> expected =
        SshArguments(session, plink.substr(0, plink.rfind('\\')) + "\\known_hosts");
    EXPECT_EQ(expected, ssh_.Values("arg"));
    for (int port : ports_)
        EXPECT_TRUE(Accepts(port)) << port;
    EXPECT_TRUE(plink_.IsRunning());
    // ssh runs without a console window of its own.
    EXPECT_EQ("no", ssh_.Value("console-window"));
}

TEST_F(PlinkTest, PasswordReachesSshOnlyThroughAskpassAndOnlyOnce) {
    // Blanks, quotes and backslashes, as Marrowin passes them: unquoted.
    const std::string password = "pa ss\"wo\\rd";
    ssh_.Script({"askpass", "askpass", "authenticated", "listen", "stay"});
    Start(CommandLine(password));
    ASSERT_TRUE(WaitForReports(2)) << plink_.ErrorOutput();

    std::vector<std::string> lines = ssh_.Values("askpass-line");
    std::vector<std::string> exits = ssh_.Values("askpass-exit");
    ASSERT_EQ(2u, lines.size());
    ASSERT_EQ(2u, exits.size());
    EXPECT_EQ(password, lines[0]) << plink_.ErrorOutput();
    EXPECT_EQ("yes", ssh_.Value("askpass-newline"));
    EXPECT_EQ("0", exits[0]);
    // The pipe serves once: a second question gets nothing, so a wrong password is never
    // tried again.
    EXPECT_EQ("", lines[1]);
    EXPECT_NE("0", exits[1]);

    std::vector<std::string> environment = ssh_.Values("env");
    std::string askpass = RecordedValue(environment, "SSH_ASKPASS");
    EXPECT_EQ(0, _stricmp(PlinkPath().c_str(), askpass.c_str())) << askpass;
    EXPECT_EQ("force", RecordedValue(environment, "SSH_ASKPASS_REQUIRE"));
    EXPECT_NE("<not recorded>", RecordedValue(environment, "DISPLAY"));
    EXPECT_NE("", RecordedValue(environment, "DISPLAY"));

    EXPECT_EQ(std::string::npos, ssh_.Value("commandline").find("wo\\rd"));
    for (const std::string& entry : environment)
        EXPECT_EQ(std::string::npos, entry.find("wo\\rd")) << entry;
}

TEST_F(PlinkTest, OnlyAProcessOfSshsOwnGetsThePassword) {
    ssh_.Script({"wait-file go", "askpass", "authenticated", "listen", "stay"});
    Start(CommandLine("s3cret"));
    ASSERT_TRUE(ssh_.WaitForLine("step wait-file go"));
    std::string pipeName = RecordedValue(ssh_.Values("env"), "MARROWIN_ASKPASS_PIPE");
    ASSERT_NE("<not recorded>", pipeName);

    // This test program is of the same user, but outside ssh's job: it is let in and sent
    // away without a byte.
    HANDLE pipe =
        ::CreateFileA(pipeName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe) << ::GetLastError();
    char buffer[64];
    DWORD read = 0;
    BOOL gotSomething = ::ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0;
    ::CloseHandle(pipe);
    EXPECT_FALSE(gotSomething);

    ssh_.Touch("go");
    ASSERT_TRUE(WaitForReports(2)) << plink_.ErrorOutput();
    EXPECT_EQ("s3cret", ssh_.Value("askpass-line"));
    EXPECT_EQ((Reports{WM_QV_CON_START, WM_QV_CON_ESTH}), window_.arrived);
}

TEST_F(PlinkTest, SshIsFoundOnThePathWithoutMarrowinSsh) {
    std::string folder = StandInSshPath().substr(0, StandInSshPath().rfind('\\'));
    char path[32768] = {};
    ::GetEnvironmentVariableA("PATH", path, sizeof(path));
    ScopedVariable noChoice("MARROWIN_SSH", nullptr);
    ScopedVariable searchPath("PATH", (std::string(path) + ";" + folder).c_str());

    // Windows' own OpenSSH folder does not exist here, so the PATH is all that is left.
    StartEstablished();
    EXPECT_TRUE(ssh_.WasStarted());
}

// ---------------------------------------------------------------------------------------------
// The server's key, in a known-hosts file beside plink.exe

class PlinkHostKeyTest : public PlinkTest {
protected:
    void SetUp() override {
        PlinkTest::SetUp();
        // The server of the transcripts.
        ASSERT_TRUE(session_.SetString("HostName", "127.0.0.1"));
        ASSERT_TRUE(session_.SetDword("PortNumber", 2299));
        ASSERT_TRUE(::CopyFileA(PlinkPath().c_str(), Plink().c_str(), FALSE));
    }
    std::string Plink() const { return app_.File("plink.exe"); }
    std::string KnownHosts() const { return ReadWholeFile(app_.File("known_hosts")); }

    static constexpr char kNewKey[] = "SHA256:KZ1q6rj97DOl6gYWl0WfWQbFQkSvyc5QjfhDHs60mcM";
    TempFolder app_;
};

// The box of the first connection shows the server and the key, says No unless told Yes, and
// only Yes has ssh remember the key and go on.
TEST_F(PlinkHostKeyTest, TheUsersAnswerToANewKeyReachesSsh) {
    const struct {
        const char* transcript;
        int button;
        const char* answer;
        std::vector<UINT> reports;
        const char* reason;
        std::string knownHosts;
    } cases[] = {
        {"hostkey-new-refused",
         IDNO,
         "no",
         {WM_QV_CON_START, WM_QV_STOP},
         "key was not accepted",
         ""},
        {"hostkey-new-accepted",
         IDYES,
         "yes",
         {WM_QV_CON_START, WM_QV_CON_ESTH},
         nullptr,
         std::string("[127.0.0.1]:2299 ssh-ed25519 ") + kNewKey + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transcript);
        ssh_.Script(
            {std::string("hostkey ") + c.transcript, "askpass", "authenticated", "listen", "stay"});
        PlinkRun run;
        ASSERT_TRUE(run.Start(CommandLine(), Plink()));
        ASSERT_TRUE(PumpMessagesUntil([] { return !UnownedQuestions("Marrowin").empty(); }, 20000));
        HWND box = UnownedQuestions("Marrowin")[0];
        std::string text = MessageBoxText(box);
        for (const char* words : {"\"127.0.0.1\"", "ED25519", kNewKey, "trust"})
            EXPECT_NE(std::string::npos, text.find(words)) << text;
        // No is the default button.
        EXPECT_EQ(BS_DEFPUSHBUTTON, ::GetWindowLongA(::GetDlgItem(box, IDNO), GWL_STYLE) & 0xF);
        PostClick(box, c.button);

        if (c.reason) {
            ExpectEnds(run, 255, c.reports, c.reason);
        } else {
            ASSERT_TRUE(WaitForReports(2)) << run.ErrorOutput();
            EXPECT_EQ(c.reports, window_.arrived);
            window_.arrived.clear();
        }
        std::vector<std::string> answers = ssh_.Values("askpass-line");
        ASSERT_FALSE(answers.empty());
        EXPECT_EQ(c.answer, answers[0]);
        // The password only after a Yes, and only to the password's question.
        EXPECT_EQ(c.reason ? 1u : 2u, answers.size());
        EXPECT_EQ(c.knownHosts, KnownHosts());
    }
}

// While one question is open a second client waits with its own, and Marrowin can see that one
// is open.
TEST_F(PlinkHostKeyTest, OneQuestionAtATime) {
    ssh_.Script({"hostkey hostkey-new-refused", "stay"});
    PlinkRun first;
    ASSERT_TRUE(first.Start(CommandLine(), Plink()));
    ASSERT_TRUE(PumpMessagesUntil([] { return !UnownedQuestions("Marrowin").empty(); }, 20000));
    HWND box = UnownedQuestions("Marrowin")[0];
    EXPECT_TRUE(KnownHostsFile(app_.Path()).QuestionOpen());

    StandInSshFolder secondSsh;
    secondSsh.Script({"hostkey hostkey-new-refused", "stay"});
    PlinkRun second;
    ASSERT_TRUE(second.Start(CommandLine(), Plink()));
    ASSERT_TRUE(secondSsh.WaitForLine("step hostkey hostkey-new-refused"));
    // Time for the second askpass to start and reach the lock.
    PumpMessagesFor(1500);
    EXPECT_EQ(std::vector<HWND>{box}, UnownedQuestions("Marrowin"));
    PostClick(box, IDNO);
    EXPECT_EQ(255u, first.WaitForExit());

    // Only now the second question comes.
    ASSERT_TRUE(PumpMessagesUntil(
        [&] {
            return !UnownedQuestions("Marrowin").empty() && UnownedQuestions("Marrowin")[0] != box;
        },
        20000));
    PostClick(UnownedQuestions("Marrowin")[0], IDNO);
    EXPECT_EQ(255u, second.WaitForExit());
    EXPECT_FALSE(KnownHostsFile(app_.Path()).QuestionOpen());
}

// ---------------------------------------------------------------------------------------------
// Established only once signed in with every forwarding set up

struct LateCase {
    const char* name;
    std::vector<std::string> script; // "wait-file go" marks the step the test holds back
};

void PrintTo(const LateCase& late, std::ostream* out) {
    *out << late.name;
}

class PlinkLateTest : public PlinkTest, public ::testing::WithParamInterface<LateCase> {};

TEST_P(PlinkLateTest, NoEstablishedUntilTheLastPieceIsThere) {
    ssh_.Script(GetParam().script);
    Start(CommandLine());
    ASSERT_TRUE(ssh_.WaitForLine("step wait-file go"));
    // Time for plink.exe to see everything said so far and try the ports a few times.
    PumpMessagesFor(1500);
    EXPECT_EQ((Reports{WM_QV_CON_START}), window_.arrived);

    ssh_.Touch("go");
    ASSERT_TRUE(WaitForReports(2)) << plink_.ErrorOutput();
    EXPECT_EQ((Reports{WM_QV_CON_START, WM_QV_CON_ESTH}), window_.arrived);
    PumpMessagesFor(500);
    EXPECT_EQ(1u, window_.Count(WM_QV_CON_ESTH)) << "reported up more than once";
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, PlinkLateTest,
    ::testing::Values(LateCase{"OneForwardingIsSetUpLate",
                               {"askpass", "authenticated", "forward 2", "wait-file go",
                                "forward all", "interactive", "stay"}},
                      LateCase{"TheSessionIsEnteredLate",
                               {"askpass", "authenticated", "forward all", "wait-file go",
                                "interactive", "stay"}},
                      LateCase{"AuthenticatedLate",
                               {"askpass", "listen", "wait-file go", "authenticated", "stay"}}),
    [](const ::testing::TestParamInfo<LateCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// ssh ending, and plink.exe ending ssh

// Every end of a run is reported with its reason and ends plink.exe with ssh's exit code or
// plink.exe's own. A refused password is the real-client test's (real_openssh_test).
TEST_F(PlinkTest, EveryEndIsReportedWithItsReasonAndItsExitCode) {
    const struct {
        const char* name;
        std::vector<std::string> script;
        std::vector<const char*> reports;
        const char* reason; // words of the reason that comes before "WM_QV_STOP"
        DWORD exitCode;
        int extraForwardings = 0; // added to the session's three; beyond a command line's room
        bool timeLimit = false;   // the run's time limit comes while ssh stays
    } cases[] = {
        {"host unreachable",
         {"say ssh: connect to host tunnel.example.org port 4022: Connection timed out",
          "exit 255"},
         {"WM_QV_CON_START", "WM_QV_STOP"},
         "could not be reached",
         255},
        {"link dropped",
         {"askpass", "authenticated", "listen", "sleep 1000",
          "say Timeout, server tunnel.example.org not responding.", "exit 255"},
         {"WM_QV_CON_START", "WM_QV_CON_ESTH", "WM_QV_STOP"},
         "stopped answering",
         255},
        {"ended cleanly",
         {"askpass", "authenticated", "listen", "sleep 500", "exit 0"},
         {"WM_QV_CON_START", "WM_QV_CON_ESTH", "WM_QV_STOP"},
         "ended without giving a reason",
         0},
        {"no answer in time", {"stay"}, {"WM_QV_CON_START", "WM_QV_STOP"},
         "did not answer in time", 5, 0, true},
        {"too many forwardings", {"stay"}, {"WM_QV_CON_START", "WM_QV_STOP"},
         "too many port forwardings", 3, 1500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reports expected;
        for (const char* name : c.reports)
            expected.push_back(::RegisterWindowMessageA(name));
        std::string forwardings = Forwardings();
        for (int port = 20000; port < 20000 + c.extraForwardings; ++port)
            forwardings += "L" + std::to_string(port) + "=localhost:" + std::to_string(port) + ",";
        ASSERT_TRUE(session_.SetString("PortForwardings", forwardings));
        ssh_.Script(c.script);
        ssh_.ForgetRun();
        PlinkRun run;
        ASSERT_TRUE(run.Start(CommandLine()));
        if (c.timeLimit) {
            ASSERT_TRUE(ssh_.WaitForLine("step stay"));
            // plink.exe's only timer, fired instead of waiting for it.
            ASSERT_TRUE(::PostThreadMessageA(run.ThreadId(), WM_TIMER, 1, 0));
        }
        ExpectEnds(run, c.exitCode, expected, c.reason);
        EXPECT_EQ(ssh_.WasStarted(), c.extraForwardings == 0);
    }
}

TEST_F(PlinkTest, ALocalPortInUseEndsSshBeforeTheTunnelIsUpAndIsNamed) {
    // Another program holds the last port: ssh has announced every port, and the held one
    // accepts connections, yet ssh, told ExitOnForwardFailure, gives up.
    PortHolder holder(ports_[2]);
    ASSERT_TRUE(holder.IsListening());

    ssh_.Script({"askpass", "authenticated", "listen", "stay"});
    Start(CommandLine());
    ExpectEnds(plink_, 255, {WM_QV_CON_START, WM_QV_STOP},
               "Local port " + std::to_string(ports_[2]) + " is already in use");
}

TEST_F(PlinkTest, QuitEndsSshAndPlinkWithoutAReport) {
    StartEstablished();
    DWORD ssh = ssh_.SshProcessId();
    ASSERT_NE(0u, ssh);

    ASSERT_TRUE(::PostThreadMessageA(plink_.ThreadId(), WM_QUIT, 0, 0));
    EXPECT_EQ(0u, plink_.WaitForExit());
    EXPECT_TRUE(ProcessEnds(ssh));
    // Marrowin stops the tunnel itself; a report now could land on the next one it starts.
    EXPECT_EQ((Reports{WM_QV_CON_START, WM_QV_CON_ESTH}), window_.arrived);
    for (int port : ports_)
        EXPECT_FALSE(Accepts(port)) << port;
}

TEST_F(PlinkTest, QuitPostedRightAfterTheLaunchIsNotLost) {
    ssh_.Script({"wait-file go", "stay"});
    Start(CommandLine());
    // As soon as plink.exe's main thread has a queue, long before it waits for anything.
    while (!::PostThreadMessageA(plink_.ThreadId(), WM_QUIT, 0, 0) && plink_.IsRunning())
        ::Sleep(1);
    EXPECT_EQ(0u, plink_.WaitForExit());
    if (ssh_.WasStarted()) {
        EXPECT_TRUE(ProcessEnds(ssh_.SshProcessId()));
    }
}

TEST_F(PlinkTest, TerminatingPlinkTakesSshWithIt) {
    StartEstablished();
    DWORD ssh = ssh_.SshProcessId();
    ASSERT_NE(0u, ssh);

    // What Marrowin's Stop ends with.
    ASSERT_TRUE(::TerminateProcess(plink_.Process(), 0));
    EXPECT_TRUE(ProcessEnds(ssh)) << "ssh outlived plink.exe";
    for (int port : ports_)
        EXPECT_FALSE(Accepts(port)) << port;
}

// ---------------------------------------------------------------------------------------------
// What plink.exe refuses

// The forms themselves are the logic test's.
TEST_F(PlinkTest, AnyOtherCommandLineIsRefusedWithCodeTwoAndNothingPosted) {
    for (const std::string& line : {std::string(""), " -pw s3cret " + session_.Name()}) {
        SCOPED_TRACE("[" + line + "]");
        PlinkRun run;
        ASSERT_TRUE(run.Start(line));
        EXPECT_EQ(2u, run.WaitForExit());
        EXPECT_NE(std::string::npos,
                  run.ErrorOutput().find("usage: plink.exe -pw PASSWORD SESSION"))
            << run.ErrorOutput();
    }
    EXPECT_TRUE(window_.arrived.empty());
    EXPECT_FALSE(ssh_.WasStarted());
}

TEST_F(PlinkTest, AMissingOrBrokenSessionIsReportedEndedWithoutRunningSsh) {
    const std::string missing = UniqueSessionName("missing.example.org");
    for (const std::string& name : {missing, session_.Name()}) {
        SCOPED_TRACE(name);
        // The session of the test gets a host name ssh would take for an option.
        ASSERT_TRUE(session_.SetString("HostName", "-oProxyCommand=calc"));
        PlinkRun run;
        ASSERT_TRUE(run.Start(ClientArguments("s3cret", name)));
        ExpectEnds(run, 3, {WM_QV_CON_START, WM_QV_STOP}, "saved session");
        EXPECT_NE(std::string::npos, run.ErrorOutput().find(name)) << run.ErrorOutput();
    }
    EXPECT_FALSE(ssh_.WasStarted());
}

TEST_F(PlinkTest, AForwardingThatCannotBeUsedIsLeftOutAndTheTunnelStillComesUp) {
    ASSERT_TRUE(session_.SetString("PortForwardings", Forwardings() + "L0=localhost:25,"));
    StartEstablished();
    std::vector<std::string> arguments = ssh_.Values("arg");
    EXPECT_EQ(3, std::count(arguments.begin(), arguments.end(), "-L"));
    EXPECT_NE(std::string::npos, plink_.ErrorOutput().find("\"L0=localhost:25\""))
        << plink_.ErrorOutput();
}

TEST_F(PlinkTest, NoSshAnywhereIsReportedEnded) {
    ScopedVariable noChoice("MARROWIN_SSH", nullptr);
    ScopedVariable noPath("PATH", "C:\\nowhere");
    Start(CommandLine());
    ExpectEnds(plink_, 4, {WM_QV_CON_START, WM_QV_STOP}, "not installed");
    EXPECT_NE(std::string::npos, plink_.ErrorOutput().find("ssh.exe was found neither"));
}

// ---------------------------------------------------------------------------------------------
// Where the reports go

TEST_F(PlinkTest, ReportsGoToTheWindowTitledDravenlokWhileThereIsOne) {
    ReportWindow starting("Dravenlok");
    ASSERT_NE(nullptr, starting.Handle());
    ssh_.Script({"askpass", "authenticated", "listen", "stay"});
    Start(CommandLine());
    ASSERT_TRUE(PumpMessagesUntil([&] { return starting.arrived.size() >= 2; }, 20000));
    EXPECT_EQ((Reports{WM_QV_CON_START, WM_QV_CON_ESTH}), starting.arrived);
    EXPECT_TRUE(window_.arrived.empty());
}

} // namespace
