// The ssh command line and where ssh.exe lives; see ssh_arguments.h.
#include "plink/ssh_arguments.h"

#include <windows.h>

namespace {

std::string EnvironmentValue(const char* name) {
    DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0)
        return std::string();
    std::string value(size, '\0');
    DWORD length = ::GetEnvironmentVariableA(name, &value[0], size);
    value.resize(length < size ? length : 0);
    return value;
}

bool IsFile(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The password alone (keyboard-interactive asks for it on many servers), or a key: the account's
// own file and nothing else, or the agent's keys.
std::vector<std::string> SignInOptions(const Session& session) {
    if (session.signIn == SignIn::Password)
        return {"-o", "PreferredAuthentications=password,keyboard-interactive",
                "-o", "PubkeyAuthentication=no"};
    std::vector<std::string> options = {"-o", "PreferredAuthentications=publickey",
                                        "-o", "PubkeyAuthentication=yes"};
    if (session.signIn == SignIn::KeyFile) {
        const std::string keyOptions[] = {"IdentitiesOnly=yes", "IdentityAgent=none",
                                          "IdentityFile=" + SshConfigPath(session.keyFile, true)};
        for (const std::string& option : keyOptions) {
            options.push_back("-o");
            options.push_back(option);
        }
    }
    return options;
}

} // namespace

std::vector<std::string> SshArguments(const Session& session, const std::string& knownHostsPath,
                                      std::optional<int> socksPort) {
    // clang-format off
    std::vector<std::string> arguments = {
        "-N", "-v",
        "-o", "ExitOnForwardFailure=yes",
        "-o", "ServerAliveInterval=15",
        "-o", "ServerAliveCountMax=3",
        "-o", "ConnectTimeout=30",
        "-o", "NumberOfPasswordPrompts=1",
        "-o", "ControlMaster=no",
        "-o", "ControlPath=none",
        "-o", "StrictHostKeyChecking=ask",
        "-o", "UserKnownHostsFile=" + SshConfigPath(knownHostsPath, true),
        "-o", "GlobalKnownHostsFile=" + SshConfigPath(knownHostsPath, false),
        "-o", "HashKnownHosts=no",
        "-o", "CheckHostIP=no",
        "-p", std::to_string(session.port),
    };
    // clang-format on
    for (const std::string& option : SignInOptions(session))
        arguments.push_back(option);
    if (!session.user.empty()) {
        arguments.push_back("-l");
        arguments.push_back(session.user);
    }
    for (const LocalForwarding& forwarding : session.forwardings) {
        arguments.push_back("-L");
        arguments.push_back("127.0.0.1:" + std::to_string(forwarding.localPort) + ":" +
                            forwarding.targetHost + ":" + std::to_string(forwarding.targetPort));
    }
    if (socksPort) {
        arguments.push_back("-D");
        arguments.push_back("127.0.0.1:" + std::to_string(*socksPort));
    }
    arguments.push_back(session.host);
    return arguments;
}

std::string SshConfigPath(const std::string& path, bool tokens) {
    std::string value = "\"";
    for (char c : path) {
        if (c == '\\')
            value += '/';
        else if (c == '%' && tokens)
            value += "%%";
        else
            value += c;
    }
    return value + "\"";
}

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
        return argument;
    // Backslashes count only before a quote: there, and before the closing quote, they are
    // doubled.
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::string CommandLine(const std::string& program, const std::vector<std::string>& arguments) {
    std::string line = QuoteArgument(program);
    for (const std::string& argument : arguments)
        line += " " + QuoteArgument(argument);
    return line;
}

bool FitsOnCommandLine(const std::string& commandLine) {
    return commandLine.size() < 32767;
}

std::string FindSshProgram() {
    std::string chosen = EnvironmentValue("MARROWIN_SSH");
    if (!chosen.empty())
        return chosen;

    std::string systemRoot = EnvironmentValue("SystemRoot");
    if (!systemRoot.empty()) {
        std::string shipped = systemRoot + "\\System32\\OpenSSH\\ssh.exe";
        if (IsFile(shipped))
            return shipped;
    }

    // Only the folders of PATH: a search path of nullptr would look beside plink.exe and in
    // the current folder first.
    std::string path = EnvironmentValue("PATH");
    if (path.empty())
        return std::string();
    char found[MAX_PATH] = {};
    DWORD length = ::SearchPathA(path.c_str(), "ssh.exe", nullptr, MAX_PATH, found, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return found;
}
