// The client's one wait loop: ssh's end, its output, the askpass pipe and our message queue;
// see tunnel_client.h.
#include "plink/tunnel_client.h"

#include "logic/command_line.h"
#include "logic/end_reason.h"
#include "logic/host_key_question.h"
#include "plink/askpass.h"
#include "plink/error_output.h"
#include "plink/http_front.h"
#include "plink/loopback.h"
#include "plink/output_watch.h"
#include "plink/own_files.h"
#include "plink/passphrase_input.h"
#include "plink/pipes.h"
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
// Once ssh has ended, its last lines are read until the pipe breaks; a child of ssh that still
// holds the pipe is not waited for longer than this.
constexpr DWORD kLastLinesWaitMs = 1000;
// A run whose tunnel is neither up nor failed by then is ended: a server that takes the
// connection and then says nothing would otherwise keep the run going for ever.
constexpr UINT kAnswerLimitMs = 60000;

bool AllPortsAccept(const std::vector<int>& ports) {
    for (int port : ports) {
        if (!PortAcceptsConnections(port))
            return false;
    }
    return true;
}

// The local ports ssh serves: one per forwarding, and the SOCKS port of the browser front.
std::vector<int> SshPorts(const Session& session, std::optional<int> socksPort) {
    std::vector<int> ports;
    for (const LocalForwarding& forwarding : session.forwardings)
        ports.push_back(forwarding.localPort);
    if (socksPort)
        ports.push_back(*socksPort);
    return ports;
}

// A question about a server's key waits for the user: the askpass copy that asks holds the
// question's mutex meanwhile.
bool HostKeyQuestionOpen() {
    fw::KernelHandle lock(
        ::OpenMutexA(SYNCHRONIZE, FALSE, HostKeyQuestionLockName(KnownHostsPath()).c_str()));
    return static_cast<bool>(lock);
}

// Marrowin hears why the run ended, and then that it has ended.
void ReportEnd(const EndReason& reason) {
    if (reason.ChangedKey())
        SendChangedKey(KeyText(*reason.ChangedKey()));
    SendReason(reason.Text());
    PostReport("WM_QV_STOP");
}

// A failure of our own: say why, report the end, exit with the code.
int Fail(const std::string& why, ClientFailure failure, EndReason& reason, int exitCode,
         int localPort = 0) {
    WriteError(why);
    reason.OnClientFailure(failure, localPort);
    ReportEnd(reason);
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

// ssh's new lines: passed on, and read for its progress and for why it gives up.
void TakeOutput(OutputReader& output, TunnelProgress& progress, EndReason& reason) {
    for (const std::string& line : output.Read()) {
        PassOnLine(line);
        progress.OnLine(line);
        reason.OnSshLine(line);
    }
}

// Waits for ssh to end, reading its output and serving the askpass pipe meanwhile, and
// reports the tunnel up once; returns plink.exe's exit code.
int WatchTunnel(SshProcess& ssh, AskpassServer& askpass, HANDLE sshOutput,
                const std::vector<int>& ports, EndReason& reason) {
    OutputReader output(sshOutput);
    TunnelProgress progress;
    bool established = false;
    // The thread's only timer: its WM_TIMER ends a run whose tunnel is not up yet.
    UINT_PTR answerTimer = ::SetTimer(nullptr, 0, kAnswerLimitMs, nullptr);
    if (!answerTimer)
        WriteError("The time limit for the server's answer could not be set (error " +
                   std::to_string(::GetLastError()) + ").");
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
            // ssh says why it gave up in its very last lines.
            while (output.Event() &&
                   ::WaitForSingleObject(output.Event(), kLastLinesWaitMs) == WAIT_OBJECT_0)
                TakeOutput(output, progress, reason);
            DWORD code = ssh.ExitCode();
            WriteError("ssh ended with exit code " + std::to_string(code) + ".");
            ReportEnd(reason);
            return static_cast<int>(code);
        }
        if (result == WAIT_FAILED)
            return Fail("Waiting for ssh failed (error " + std::to_string(::GetLastError()) + ").",
                        ClientFailure::SystemFault, reason, kExitWaitFailed);

        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Marrowin is stopping the tunnel itself, so no report: a late "WM_QV_STOP"
                // could land on the tunnel it starts next.
                ssh.End();
                return kExitQuit;
            }
            if (msg.message == WM_TIMER && !msg.hwnd) {
                // The user may take longer than the server to answer a question about its key.
                if (established || HostKeyQuestionOpen())
                    continue;
                ssh.End();
                return Fail("The server did not answer within " +
                                std::to_string(kAnswerLimitMs / 1000) + " seconds.",
                            ClientFailure::NoAnswer, reason, kExitNoAnswer);
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (output.Event() && ::WaitForSingleObject(output.Event(), 0) == WAIT_OBJECT_0)
            TakeOutput(output, progress, reason);
        if (askpass.Event() && ::WaitForSingleObject(askpass.Event(), 0) == WAIT_OBJECT_0)
            askpass.OnEvent();

        if (!established && progress.Up() && AllPortsAccept(ports)) {
            established = true;
            ::KillTimer(nullptr, answerTimer);
            PostReport("WM_QV_CON_ESTH");
        }
    }
}

// Serves the password through the askpass pipe, starts ssh with its output on a pipe of ours,
// and watches it to its end; returns plink.exe's exit code.
int RunSsh(const std::string& program, const std::vector<std::string>& arguments,
           std::string& password, const std::vector<int>& ports, EndReason& reason) {
    AskpassServer askpass;
    if (std::optional<std::string> error = askpass.Open(password))
        return Fail(*error, ClientFailure::SystemFault, reason, kExitNoSsh);
    if (!password.empty())
        ::SecureZeroMemory(&password[0], password.size());
    fw::KernelHandle outputReader;
    fw::KernelHandle outputWriter;
    if (std::optional<DWORD> errorCode = CreateOutputPipe(outputReader, outputWriter))
        return Fail("The pipe for ssh's output could not be created (error " +
                        std::to_string(*errorCode) + ").",
                    ClientFailure::SystemFault, reason, kExitNoSsh);
    if (!SetAskpassEnvironment(askpass.PipeName()))
        return Fail("The environment for ssh could not be set.", ClientFailure::SystemFault, reason,
                    kExitNoSsh);

    SshProcess ssh;
    if (std::optional<std::string> error = ssh.Start(program, arguments, outputWriter.Get()))
        return Fail(*error, ClientFailure::SshNotStarted, reason, kExitNoSsh);
    askpass.AllowJob(ssh.Job());
    // Only ssh holds the write end now, so the pipe breaks when ssh and its children are gone.
    outputWriter.Reset();

    return WatchTunnel(ssh, askpass, outputReader.Get(), ports, reason);
}

// For an account that carries the browser through ssh: a free port for ssh's SOCKS forwarding,
// and the browser front listening on its port and serving before ssh starts. The exit code
// when it could not be set up.
std::optional<int> OpenBrowserFront(const Session& session, HttpFront& front,
                                    std::optional<int>& socksPort, EndReason& reason) {
    if (!session.browserFrontPort)
        return std::nullopt;
    int port = *session.browserFrontPort;
    socksPort = FreeLoopbackPort();
    if (!socksPort)
        return Fail("No free local port was to be had for ssh's SOCKS forwarding.",
                    ClientFailure::SystemFault, reason, kExitNoSsh);
    if (std::optional<int> error = front.Open(port)) {
        if (*error == WSAEADDRINUSE || *error == WSAEACCES)
            return Fail("The local port " + std::to_string(port) +
                            ", where the browser is pointed, is in use by another program.",
                        ClientFailure::BrowserPortInUse, reason, kExitBrowserPort, port);
        return Fail("The browser front could not listen on local port " + std::to_string(port) +
                        " (error " + std::to_string(*error) + ").",
                    ClientFailure::SystemFault, reason, kExitNoSsh);
    }
    if (std::optional<std::string> error = front.Start(*socksPort))
        return Fail(*error, ClientFailure::SystemFault, reason, kExitNoSsh);
    return std::nullopt;
}

} // namespace

int RunTunnelClient(const std::string& commandLine) {
    std::optional<ClientRequest> request = ParseClientCommandLine(commandLine);
    if (!request) {
        WriteError(UsageText());
        return kExitUsage;
    }
    PostReport("WM_QV_CON_START");

    EndReason reason;
    Session session;
    if (std::optional<std::string> error = ReadSession(request->session, session))
        return Fail(*error, ClientFailure::BadSession, reason, kExitBadSession);
    for (const std::string& entry : session.skippedForwardings) {
        WriteError("The forwarding \"" + entry + "\" of the saved session \"" + request->session +
                   "\" cannot be used and is left out.");
        reason.OnSkippedForwarding(entry);
    }
    // A key's passphrase comes on our input and goes to ssh in the password's place.
    if (session.signIn == SignIn::KeyFile) {
        if (std::optional<std::string> error = ReadPassphraseInput(request->password))
            return Fail(*error, ClientFailure::PassphraseInput, reason, kExitBadSession);
    }
    Winsock winsock;
    if (!winsock.Started())
        return Fail("Winsock could not be started.", ClientFailure::SystemFault, reason,
                    kExitNoSsh);
    std::string program = FindSshProgram();
    if (program.empty())
        return Fail("ssh.exe was found neither in %SystemRoot%\\System32\\OpenSSH nor on the PATH. "
                    "Windows 10 1809 and later have it as the optional feature \"OpenSSH "
                    "Client\".",
                    ClientFailure::NoSsh, reason, kExitNoSsh);
    std::string knownHosts = KnownHostsPath();
    if (knownHosts.empty())
        return Fail("The folder of plink.exe, where the known hosts are kept, is not known.",
                    ClientFailure::SystemFault, reason, kExitNoSsh);

    HttpFront front;
    std::optional<int> socksPort;
    if (std::optional<int> exitCode = OpenBrowserFront(session, front, socksPort, reason))
        return *exitCode;
    // Windows would cut a longer command line, and ssh would take half a forwarding for the
    // host.
    std::vector<std::string> arguments = SshArguments(session, knownHosts, socksPort);
    if (!FitsOnCommandLine(CommandLine(program, arguments)))
        return Fail("The " + std::to_string(session.forwardings.size()) +
                        " forwardings of the saved session \"" + request->session +
                        "\" make ssh's command line longer than Windows allows.",
                    ClientFailure::TooManyForwardings, reason, kExitBadSession);

    return RunSsh(program, arguments, request->password, SshPorts(session, socksPort), reason);
}
