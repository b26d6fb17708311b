// The client's one wait loop: ssh's end, its output, the askpass pipe and our message queue;
// see tunnel_client.h.
#include "plink/tunnel_client.h"

#include "plink/askpass.h"
#include "plink/command_line.h"
#include "plink/error_output.h"
#include "plink/output_watch.h"
#include "plink/reports.h"
#include "plink/session.h"
#include "plink/ssh_arguments.h"
#include "plink/ssh_process.h"

#include <winsock2.h>

#include <vector>

namespace {

// While ssh says the tunnel is up but one of its ports does not accept yet, it is tried again
// at this interval.
constexpr DWORD kRetryConfirmMs = 200;

bool AllPortsAccept(const std::vector<LocalForwarding>& forwardings) {
    for (const LocalForwarding& forwarding : forwardings) {
        if (!PortAcceptsConnections(forwarding.localPort))
            return false;
    }
    return true;
}

// A failure before ssh runs: say why, report the end, exit with the code.
int Fail(const std::string& why, int exitCode) {
    WriteError(why);
    PostReport("WM_QV_STOP");
    return exitCode;
}

class Winsock {
public:
    Winsock() {
        WSADATA data;
        started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Winsock() {
        if (started_)
            ::WSACleanup();
    }
    bool Started() const { return started_; }

private:
    bool started_ = false;
};

// Waits for ssh to end, reading its output and serving the askpass pipe meanwhile, and
// reports the tunnel up once; returns plink.exe's exit code.
int WatchTunnel(SshProcess& ssh, AskpassServer& askpass, HANDLE sshOutput,
                const std::vector<LocalForwarding>& forwardings) {
    OutputReader output(sshOutput);
    TunnelProgress progress;
    bool established = false;
    for (;;) {
        HANDLE handles[3] = {ssh.Process()};
        DWORD count = 1;
        if (output.Event())
            handles[count++] = output.Event();
        if (askpass.Event())
            handles[count++] = askpass.Event();
        bool confirming = !established && progress.Up();
        DWORD result = ::MsgWaitForMultipleObjects(
            count, handles, FALSE, confirming ? kRetryConfirmMs : INFINITE, QS_ALLINPUT);

        if (result == WAIT_OBJECT_0) {
            for (const std::string& line : output.Read())
                PassOnLine(line);
            DWORD code = ssh.ExitCode();
            WriteError("ssh ended with exit code " + std::to_string(code) + ".");
            PostReport("WM_QV_STOP");
            return static_cast<int>(code);
        }
        if (result == WAIT_FAILED)
            return Fail("Waiting for ssh failed (error " + std::to_string(::GetLastError()) + ").",
                        kExitWaitFailed);

        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Marrowin is stopping the tunnel itself, so no report: a late "WM_QV_STOP"
                // could land on the tunnel it starts next.
                ssh.End();
                return kExitQuit;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (output.Event() && ::WaitForSingleObject(output.Event(), 0) == WAIT_OBJECT_0) {
            for (const std::string& line : output.Read()) {
                PassOnLine(line);
                progress.OnLine(line);
            }
        }
        if (askpass.Event() && ::WaitForSingleObject(askpass.Event(), 0) == WAIT_OBJECT_0)
            askpass.OnEvent();

        if (!established && progress.Up() && AllPortsAccept(forwardings)) {
            established = true;
            PostReport("WM_QV_CON_ESTH");
        }
    }
}

} // namespace

int RunTunnelClient(const std::string& commandLine) {
    std::optional<ClientRequest> request = ParseClientCommandLine(commandLine);
    if (!request) {
        WriteError(UsageText());
        return kExitUsage;
    }
    PostReport("WM_QV_CON_START");

    Session session;
    std::string error;
    if (!ReadSession(request->session, session, error))
        return Fail(error, kExitBadSession);
    for (const std::string& entry : session.skippedForwardings)
        WriteError("The forwarding \"" + entry + "\" of the saved session \"" + request->session +
                   "\" cannot be used and is left out.");
    Winsock winsock;
    if (!winsock.Started())
        return Fail("Winsock could not be started.", kExitNoSsh);
    std::string program = FindSshProgram();
    if (program.empty())
        return Fail("ssh.exe was found neither in %SystemRoot%\\System32\\OpenSSH nor on the PATH. "
                    "Windows 10 1809 and later have it as the optional feature \"OpenSSH "
                    "Client\".",
                    kExitNoSsh);

    AskpassServer askpass;
    if (!askpass.Open(request->password, error))
        return Fail(error, kExitNoSsh);
    if (!request->password.empty())
        ::SecureZeroMemory(&request->password[0], request->password.size());
    Handle outputReader;
    Handle outputWriter;
    DWORD errorCode = 0;
    if (!CreateOutputPipe(outputReader, outputWriter, errorCode))
        return Fail("The pipe for ssh's output could not be created (error " +
                        std::to_string(errorCode) + ").",
                    kExitNoSsh);
    if (!SetAskpassEnvironment(askpass.PipeName()))
        return Fail("The environment for ssh could not be set.", kExitNoSsh);

    SshProcess ssh;
    if (!ssh.Start(program, SshArguments(session), outputWriter.Get(), error))
        return Fail(error, kExitNoSsh);
    askpass.AllowJob(ssh.Job());
    // Only ssh holds the write end now, so the pipe breaks when ssh and its children are gone.
    outputWriter.Reset();

    return WatchTunnel(ssh, askpass, outputReader.Get(), session.forwardings);
}
