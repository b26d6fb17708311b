// A scripted stand-in for the OpenSSH client ssh.exe, used by the tests of our plink.exe (Wine
// has no OpenSSH). It records what it was started with (process id, command line, arguments,
// environment) and then follows a script: fetch the password through the askpass program it
// was given, print the verbose lines the real client prints (as captured from OpenSSH in
// tests/plink/transcripts), listen on the forwarded local ports, wait, exit. Record and script live
// in the folder named by MARROWIN_SSH_STAND_IN_FOLDER (its own folder when unset); each record line
// is written through at once, so that a test can read the record while the stand-in runs.
//
// Script steps, one a line ("stand_in_script.txt"; without one: askpass, authenticated,
// listen, stay):
//   askpass            run SSH_ASKPASS with a password prompt, record its output and exit code
//   hostkey <name>     meet the server key of transcript <name>.txt (its "Server host key:"
//                      line) as ssh does with StrictHostKeyChecking=ask and the known-hosts file
//                      of UserKnownHostsFile: a known key goes on; another key for the host ends
//                      ssh with 255 after the transcript's lines from its warning on; an unknown
//                      key is asked about through SSH_ASKPASS with the question of
//                      <name>.askpass.txt (naming the server this run was given), and "yes" adds it
//                      to the file, anything else ends ssh with 255 after "Host key verification
//                      failed."
//   authenticated      print "Authenticated to <host> ([127.0.0.1]:<port>) using "password"."
//   forward <n>|all    set up the next n local forwardings (all that are left, and then -D's
//                      SOCKS5 server, SetUpSocks) as ssh does:
//                      "Local forwarding listening on 127.0.0.1 port <p>." is printed before
//                      the port is bound; a port that cannot be bound ends ssh with 255 after
//                      "bind ...: Address already in use" and "Could not request local
//                      forwarding." (ExitOnForwardFailure)
//   interactive        print "debug1: Entering interactive session.", which ssh prints once
//                      every forwarding is set up
//   listen             forward all, then interactive
//   say <text>         print the text
//   wait-file <name>   wait until a file of that name exists in the folder
//   stay               sleep until killed
// and every stand-in's "sleep <ms>" and "exit <code>" (stand_in_script.h).
#include <winsock2.h>

#include "support/loopback.h"
#include "support/record_file.h"
#include "support/stand_in.h"
#include "support/stand_in_script.h"
#include "support/temp_folder.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Folder() {
    char folder[MAX_PATH] = {};
    DWORD length = ::GetEnvironmentVariableA("MARROWIN_SSH_STAND_IN_FOLDER", folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return folder;
    ::GetModuleFileNameA(nullptr, folder, MAX_PATH);
    std::string path = folder;
    return path.substr(0, path.rfind('\\'));
}

// Printed the way OpenSSH for Windows prints, lines ending in CR LF.
void Print(const std::string& text) {
    std::string line = text + "\r\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                &written, nullptr);
}

struct Forward {
    int port = 0;
    std::string target; // host:hostport
    SOCKET listener = INVALID_SOCKET;
};

struct Options {
    int socksPort = 0; // of -D
    std::string host = "<none>";
    std::string port = "22";
    std::string user = "<none>";
    std::string knownHosts;
    std::vector<Forward> forwards;
};

// The file of an ssh option's value: its quotes gone and "%%" read as '%'.
std::string KnownHostsPath(const std::string& value) {
    std::string path;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '"')
            path += value[i];
        if (value[i] == '%' && i + 1 < value.size() && value[i + 1] == '%')
            ++i;
    }
    return path;
}

// Only what the stand-in acts on: -p, -l, -L and the host, the first word that is no option.
Options ReadOptions(int argc, char** argv) {
    Options options;
    bool haveHost = false;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        bool hasValue =
            word == "-p" || word == "-l" || word == "-L" || word == "-o" || word == "-D";
        if (hasValue && i + 1 < argc) {
            std::string value = argv[++i];
            if (word == "-p")
                options.port = value;
            else if (word == "-o" && value.rfind("UserKnownHostsFile=", 0) == 0)
                options.knownHosts = KnownHostsPath(value.substr(19));
            else if (word == "-l")
                options.user = value;
            else if (word == "-D")
                options.socksPort = std::atoi(value.substr(value.rfind(':') + 1).c_str());
            else if (word == "-L") {
                // [bind_address:]port:host:hostport
                std::vector<std::string> fields;
                std::istringstream in(value);
                std::string field;
                while (std::getline(in, field, ':'))
                    fields.push_back(field);
                Forward forward;
                if (fields.size() >= 3) {
                    forward.port = std::atoi(fields[fields.size() - 3].c_str());
                    forward.target = fields[fields.size() - 2] + ":" + fields.back();
                }
                options.forwards.push_back(forward);
            }
        } else if (word[0] != '-' && !haveHost) {
            options.host = word;
            haveHost = true;
        }
    }
    return options;
}

void RecordStart(RecordFile& record, int argc, char** argv) {
    record.Line("pid=" + std::to_string(::GetCurrentProcessId()));
    record.Line(std::string("commandline=") + ::GetCommandLineA());
    for (int i = 1; i < argc; ++i)
        record.Line(std::string("arg=") + argv[i]);
    char* environment = ::GetEnvironmentStringsA();
    for (const char* entry = environment; entry && *entry; entry += std::strlen(entry) + 1)
        record.Line(std::string("env=") + entry);
    ::FreeEnvironmentStringsA(environment);
    record.Line(std::string("console-window=") + (::GetConsoleWindow() ? "yes" : "no"));
}

std::string EnvironmentValue(const char* name) {
    char value[1024] = {};
    DWORD length = ::GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? value : std::string();
}

// Runs the askpass program as ssh does: the prompt as its one argument, its standard output
// read through a pipe. Returns the first line of its answer.
std::string Askpass(RecordFile& record, const std::string& prompt) {
    std::string program = EnvironmentValue("SSH_ASKPASS");
    if (program.empty()) {
        record.Line("askpass-error=no SSH_ASKPASS");
        return std::string();
    }
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        record.Line("askpass-error=pipe");
        return std::string();
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::string commandLine = "\"" + program + "\" \"" + prompt + "\"";
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                          nullptr, &startup, &process)) {
        record.Line("askpass-error=start " + std::to_string(::GetLastError()));
        ::CloseHandle(readEnd);
        ::CloseHandle(writeEnd);
        return std::string();
    }
    ::CloseHandle(writeEnd);
    std::string output;
    char buffer[256];
    DWORD read = 0;
    while (::ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        output.append(buffer, read);
    ::CloseHandle(readEnd);
    ::WaitForSingleObject(process.hProcess, 20000);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    size_t newline = output.find('\n');
    record.Line("askpass-line=" + output.substr(0, newline));
    record.Line(std::string("askpass-newline=") +
                (newline != std::string::npos && newline + 1 == output.size() ? "yes" : "no"));
    record.Line("askpass-exit=" + std::to_string(code));
    return output.substr(0, output.find_first_of("\r\n"));
}

std::vector<std::string> TranscriptLines(const std::string& file) {
    std::string path = "Z:" TRANSCRIPTS_DIR "/" + file;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return ReadLines(path);
}

// ssh with StrictHostKeyChecking=ask meeting the server key of the transcript; false when ssh
// ends there.
bool MeetHostKey(RecordFile& record, const Options& options, const std::string& name) {
    std::vector<std::string> transcript = TranscriptLines(name + ".txt");
    std::string key; // "ssh-ed25519 SHA256:...", the fingerprint standing in for the key
    for (const std::string& line : transcript) {
        if (line.rfind("debug1: Server host key: ", 0) == 0)
            key = line.substr(25);
    }
    Print("debug1: Server host key: " + key);
    std::string pattern =
        options.port == "22" ? options.host : "[" + options.host + "]:" + options.port;
    for (const std::string& line : ReadLines(options.knownHosts)) {
        if (line.compare(0, pattern.size() + 1, pattern + " ") != 0)
            continue;
        if (line.substr(pattern.size() + 1) == key) {
            Print("debug1: Host '" + pattern + "' is known and matches the ED25519 host key.");
            return true;
        }
        bool warning = false;
        for (const std::string& said : transcript) {
            warning = warning || said.rfind("@@@", 0) == 0;
            if (warning)
                Print(said);
        }
        return false;
    }

    std::string question;
    for (const std::string& line : TranscriptLines(name + ".askpass.txt")) {
        if (line == "----")
            break;
        if (line.rfind("#", 0) != 0)
            question += (question.empty() ? "" : "\n") + line;
    }
    // The question names the server as this run was given it, as ssh's does.
    const std::string transcriptServer = "[127.0.0.1]:2299";
    for (size_t at = 0; (at = question.find(transcriptServer, at)) != std::string::npos;
         at += pattern.size())
        question.replace(at, transcriptServer.size(), pattern);
    Print("debug1: read_passphrase: requested to askpass");
    if (question.empty() || Askpass(record, question) != "yes") {
        Print("Host key verification failed.");
        return false;
    }
    std::ofstream(options.knownHosts, std::ios::app | std::ios::binary)
        << pattern << " " << key << "\n";
    Print("Warning: Permanently added '" + pattern + "' (ED25519) to the list of known hosts.");
    return true;
}

// One local forwarding, as ssh sets it up; false when its port cannot be bound.
bool SetUpForward(RecordFile& record, Forward& forward, int channel) {
    std::string port = std::to_string(forward.port);
    Print("debug1: Local connections to 127.0.0.1:" + port + " forwarded to remote address " +
          forward.target);
    Print("debug1: Local forwarding listening on 127.0.0.1 port " + port + ".");
    forward.listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(forward.port));
    if (forward.listener == INVALID_SOCKET ||
        ::bind(forward.listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(forward.listener, SOMAXCONN) != 0) {
        record.Line("bind-failed=" + port);
        Print("bind [127.0.0.1]:" + port + ": Address already in use");
        Print("channel_setup_fwd_listener_tcpip: cannot listen to port: " + port);
        Print("Could not request local forwarding.");
        return false;
    }
    record.Line("bound=" + port);
    Print("debug1: channel " + std::to_string(channel) +
          ": new port-listener [port listener] (inactive timeout: 0)");
    return true;
}

bool ReceiveAll(SOCKET s, char* data, int size) {
    for (int got = 0, chunk = 0; got < size; got += chunk) {
        if ((chunk = ::recv(s, data + got, size - got, 0)) <= 0)
            return false;
    }
    return true;
}

// One direction until its source ends, which is passed on.
void Copy(SOCKET from, SOCKET to) {
    char buffer[4096];
    int got = 0;
    while ((got = ::recv(from, buffer, sizeof(buffer), 0)) > 0 && ::send(to, buffer, got, 0) == got)
        ;
    ::shutdown(to, SD_SEND);
}

// One SOCKS5 client: no authentication, then CONNECT.
void ServeSocksClient(SOCKET client, RecordFile& record) {
    unsigned char in[262] = {};
    char* bytes = reinterpret_cast<char*>(in);
    const char choice[] = {5, 0};
    if (!ReceiveAll(client, bytes, 2) || !ReceiveAll(client, bytes + 2, in[1]) ||
        ::send(client, choice, 2, 0) != 2 || !ReceiveAll(client, bytes, 5))
        return (void)::closesocket(client);
    // The address's bytes after the fifth: a name's after its length, or the rest of an
    // IPv4 or IPv6 address.
    int length = in[3] == 3 ? in[4] : in[3] == 1 ? 3 : 15;
    if (!ReceiveAll(client, bytes + 5, length + 2))
        return (void)::closesocket(client);
    std::string name = in[3] == 3 ? std::string(bytes + 5, length) : std::string();
    int port = in[5 + length] * 256 + in[6 + length];
    record.Line("socks-connect=" + (name.empty() ? "<address>" : name) + ":" +
                std::to_string(port));
    SOCKET target = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(port);
    const char success[] = {5, 0, 0, 1, 127, 0, 0, 1, 0, 0};
    if (name == "www.front.example" &&
        ::connect(target, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        ::send(client, success, sizeof(success), 0) == sizeof(success)) {
        std::thread back(Copy, target, client);
        Copy(client, target);
        back.join();
    }
    ::closesocket(target);
    ::closesocket(client);
}

// ssh's dynamic forwarding; false when its port cannot be bound. It records each CONNECT as
// "socks-connect=<name>:<port>" ("<address>" for an address), reaches 127.0.0.1 at the port for
// "www.front.example" only and closes any other, as ssh does when the channel fails.
bool SetUpSocks(RecordFile& record, int port) {
    sockaddr_in address = Loopback(port);
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET ||
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener, SOMAXCONN) != 0)
        return false;
    std::thread([listener, &record] {
        for (SOCKET client; (client = ::accept(listener, nullptr, nullptr)) != INVALID_SOCKET;)
            std::thread(ServeSocksClient, client, std::ref(record)).detach();
    }).detach();
    return true;
}

// The next `count` forwardings not yet set up ("all": every one left).
bool SetUpForwards(RecordFile& record, Options& options, const std::string& count) {
    size_t left =
        count == "all" ? static_cast<size_t>(-1) : std::strtoul(count.c_str(), nullptr, 10);
    int channel = 0;
    for (Forward& forward : options.forwards) {
        if (forward.listener != INVALID_SOCKET) {
            ++channel;
            continue;
        }
        if (left == 0)
            break;
        if (!SetUpForward(record, forward, channel++))
            return false;
        --left;
    }
    return true;
}

void EnterInteractiveSession() {
    Print("debug1: Requesting no-more-sessions@openssh.com");
    Print("debug1: Entering interactive session.");
    Print("debug1: pledge: network");
}

int Run(int argc, char** argv) {
    std::string folder = Folder();
    RecordFile record(folder + "\\" + kStandInRecordFile);
    RecordStart(record, argc, argv);
    Options options = ReadOptions(argc, argv);

    auto ownStep = [&](const std::string& verb, const std::string& argument,
                       std::optional<int>& exitCode) {
        if (verb == "askpass") {
            Askpass(record, options.user + "@" + options.host + "'s password: ");
        } else if (verb == "hostkey") {
            if (!MeetHostKey(record, options, argument))
                exitCode = 255;
        } else if (verb == "authenticated") {
            Print("Authenticated to " + options.host + " ([127.0.0.1]:" + options.port +
                  ") using \"password\".");
        } else if (verb == "forward" || verb == "listen") {
            bool all = verb == "listen" || argument == "all";
            if (!SetUpForwards(record, options, all ? "all" : argument) ||
                (all && options.socksPort && !SetUpSocks(record, options.socksPort)))
                exitCode = 255; // as ssh does with ExitOnForwardFailure
            else if (verb == "listen")
                EnterInteractiveSession();
        } else if (verb == "interactive") {
            EnterInteractiveSession();
        } else if (verb == "say") {
            Print(argument);
        } else if (verb == "wait-file") {
            std::string path = folder + "\\" + argument;
            while (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
                ::Sleep(50);
        } else if (verb == "stay") {
            record.Line("staying");
            ::Sleep(INFINITE);
        } else {
            return false;
        }
        return true;
    };
    return RunStandInScript(folder + "\\" + kStandInScriptFile,
                            {"askpass", "authenticated", "listen", "stay"}, ownStep, record);
}

} // namespace

int main(int argc, char** argv) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    return Run(argc, argv);
}
