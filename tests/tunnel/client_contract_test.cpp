// Tests of what Marrowin gives its SSH client and how it starts and ends it, run against the
// scripted stand-in plink.exe in real processes, and of the client's reports reaching a window
// of the main window's class and title across processes.
#include "tunnel/client_contract.h"

#include "logic/command_line.h"
#include "tunnel/client_messages.h"
#include "support/scripted_user.h"
#include "support/stand_in.h"
#include "support/stand_in_reports.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Launching and stopping the stand-in client for real

class ClientProcess : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CopyStandInTo(programFolder_.Path())); }

    void TearDown() override {
        if (process_) {
            ::TerminateProcess(process_.Process(), 0);
            ::WaitForSingleObject(process_.Process(), 10000);
        }
    }

    std::string ProgramPath() const { return ClientProgramPath(programFolder_.Path()); }

    // Launches the stand-in from the program folder in the given working folder.
    void Launch(const std::string& arguments, const std::string& workingFolder) {
        std::optional<DWORD> error = LaunchClient(ProgramPath(), arguments, workingFolder, process_);
        ASSERT_FALSE(error) << "error code " << *error;
        ASSERT_NE(nullptr, process_.Process());
    }

    // Waits for the stand-in to finish its script and releases its handles.
    void WaitForExit() {
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process_.Process(), 20000));
        process_.Reset();
    }

    HANDLE DuplicateProcessHandle() const {
        HANDLE copy = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), process_.Process(), ::GetCurrentProcess(), &copy,
                          0, FALSE, DUPLICATE_SAME_ACCESS);
        return copy;
    }

    TempFolder programFolder_;
    TempFolder workFolder_;
    fw::ProcessHandles process_;
};

// Either form reaches the client exactly as its command line, naming the session it reads; the
// client runs hidden in the given working folder, not its own.
TEST_F(ClientProcess, ClientGetsEitherFormHiddenInTheGivenWorkingFolder) {
    SessionKey session(UniqueSessionName("contract.example.org"));
    ASSERT_TRUE(session.SetString("HostName", session.Name()));
    ASSERT_TRUE(session.SetDword("PortNumber", 4022));
    ASSERT_TRUE(session.SetString("UserName", "alice"));
    ASSERT_TRUE(session.SetString("PortForwardings", "L50000=127.0.0.1:8080,L25=mail:25,"));
    // Another session beside it must not be the one read.
    SessionKey other(UniqueSessionName("other.example.org"));
    ASSERT_TRUE(other.SetString("UserName", "bob"));

    for (const std::string& arguments : {ClientArguments("s3cret", session.Name()),
                                         AutostartClientArguments("s3cret", session.Name())}) {
        SCOPED_TRACE(arguments);
        WriteStandInScript(workFolder_.Path(), {"exit 0"});
        Launch(arguments, workFolder_.Path());
        WaitForExit();

        EXPECT_FALSE(FileExists(programFolder_.File(kStandInRecordFile)));
        std::vector<std::string> record = ReadStandInRecord(workFolder_.Path());
        EXPECT_EQ(arguments, RecordedValue(record, "commandline"));
        EXPECT_EQ("s3cret", RecordedValue(record, "password"));
        EXPECT_EQ(session.Name(), RecordedValue(record, "session"));
        EXPECT_EQ(workFolder_.Path(), RecordedValue(record, "folder"));
        EXPECT_EQ(std::to_string(SW_HIDE), RecordedValue(record, "show"));
        EXPECT_EQ(session.Name(), RecordedValue(record, "HostName"));
        EXPECT_EQ("4022", RecordedValue(record, "PortNumber"));
        EXPECT_EQ("alice", RecordedValue(record, "UserName"));
        EXPECT_EQ("L50000=127.0.0.1:8080,L25=mail:25,", RecordedValue(record, "PortForwardings"));
        DeleteFileIfPresent(workFolder_.File(kStandInRecordFile));
    }
}

TEST_F(ClientProcess, ClientInheritsNoHandles) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, &inheritable, 0));
    WriteStandInScript(workFolder_.Path(), {"wait-quit"});
    Launch(ClientArguments("pw", "acct"), workFolder_.Path());
    ASSERT_TRUE(WaitForRecordLine(workFolder_.Path(), "waiting for WM_QUIT"));

    // Once our write end is closed the pipe is broken, unless the client holds a copy of it.
    ::CloseHandle(writeEnd);
    DWORD available = 0;
    BOOL peeked = ::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr);
    DWORD error = ::GetLastError();
    ::CloseHandle(readEnd);
    EXPECT_FALSE(peeked) << "the client inherited the pipe's write end";
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), error);
}

TEST_F(ClientProcess, MissingClientFailsWithFileNotFoundAndHoldsNoProcess) {
    TempFolder emptyFolder;
    std::string programPath = ClientProgramPath(emptyFolder.Path());
    // A process held before is let go.
    WriteStandInScript(workFolder_.Path(), {"sleep 60000"});
    Launch(ClientArguments("pw", "acct"), workFolder_.Path());
    HANDLE oldProcess = process_.Process();

    HANDLE watched = DuplicateProcessHandle();
    EXPECT_EQ(LaunchClient(programPath, ClientArguments("pw", "acct"), emptyFolder.Path(), process_),
              std::optional<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(process_);
    EXPECT_EQ(0u, process_.ProcessId());
    EXPECT_EQ(0u, process_.ThreadId());
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(oldProcess, &flags)) << "old process handle left open";
    ::TerminateProcess(watched, 0);
    ::CloseHandle(watched);
}

TEST_F(ClientProcess, StopLetsAClientThatHonoursQuitEndItself) {
    WriteStandInScript(workFolder_.Path(), {"wait-quit", "exit 3"});
    Launch(ClientArguments("pw", "acct"), workFolder_.Path());
    ASSERT_TRUE(WaitForRecordLine(workFolder_.Path(), "waiting for WM_QUIT"));
    HANDLE watched = DuplicateProcessHandle();
    ASSERT_NE(nullptr, watched);
    HANDLE oldProcess = process_.Process();
    HANDLE oldThread = process_.Thread();

    StopClientProcess(process_);

    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(oldProcess, &flags)) << "process handle left open";
    EXPECT_FALSE(::GetHandleInformation(oldThread, &flags)) << "thread handle left open";
    EXPECT_FALSE(process_);
    EXPECT_EQ(nullptr, process_.Thread());
    EXPECT_EQ(0u, process_.ProcessId());
    EXPECT_EQ(0u, process_.ThreadId());
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(watched, 20000));
    ::CloseHandle(watched);
    EXPECT_TRUE(RecordHasLine(ReadStandInRecord(workFolder_.Path()), "got WM_QUIT"));
}

TEST_F(ClientProcess, StopTerminatesAClientThatIgnoresQuit) {
    WriteStandInScript(workFolder_.Path(), {"sleep 60000", "exit 3"});
    Launch(ClientArguments("pw", "acct"), workFolder_.Path());
    ASSERT_TRUE(WaitForRecordLine(workFolder_.Path(), "step sleep 60000"));
    HANDLE watched = DuplicateProcessHandle();
    ASSERT_NE(nullptr, watched);

    StopClientProcess(process_);

    EXPECT_FALSE(process_);
    EXPECT_EQ(nullptr, process_.Thread());
    // Far less than the client's sleep: only a termination ends it in time.
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(watched, 20000));
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(watched, &exitCode);
    EXPECT_EQ(0u, exitCode);
    ::CloseHandle(watched);
    std::vector<std::string> record = ReadStandInRecord(workFolder_.Path());
    EXPECT_FALSE(RecordHasLine(record, "got WM_QUIT"));
    EXPECT_FALSE(RecordHasLine(record, "exit 3"));
}

// ---------------------------------------------------------------------------------------------
// The client's reports reaching a window like the main window, across processes

// The stand-in finds the window by its class and either title the main window carries, and
// posts the reports by name: they arrive as the messages Marrowin registered.
TEST_F(ClientProcess, ReportsArriveInOrderAtAWindowTitledDravenlokOrMarrowin) {
    for (const char* title : {"Dravenlok", "Marrowin"}) {
        SCOPED_TRACE(title);
        ReportWindow window(title);
        ASSERT_NE(nullptr, window.Handle());
        char className[64] = {};
        ::GetClassNameA(window, className, sizeof(className));
        ASSERT_STREQ("#32770", className);

        WriteStandInScript(workFolder_.Path(),
                           {"post WM_QV_CON_START", "post WM_QV_CON_ESTH", "post WM_QV_STOP"});
        Launch(ClientArguments("pw", "acct"), workFolder_.Path());
        EXPECT_TRUE(PumpMessagesUntil([&] { return window.arrived.size() >= 3; }, 20000));
        WaitForExit();

        EXPECT_EQ((std::vector<UINT>{WM_QV_CON_START, WM_QV_CON_ESTH, WM_QV_STOP}),
                  window.arrived);
        EXPECT_FALSE(RecordHasLine(ReadStandInRecord(workFolder_.Path()), "no window"));
    }
}

} // namespace
