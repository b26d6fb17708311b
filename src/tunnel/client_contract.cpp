// Where the SSH client is, and the start and stop of its process.
#include "tunnel/client_contract.h"

#include <vector>

std::string ClientProgramPath(const std::string& executableFolder) {
    return executableFolder + "\\plink.exe";
}

std::string LaunchFailureText(const std::string& programPath, DWORD errorCode) {
    return "Failed to start program '" + programPath +
           "', error code = " + std::to_string(static_cast<int>(errorCode));
}

namespace {

// The handles the client inherits when it is given an input: that input and copies of our own
// output and error handles, so that its output goes where it went without them.
struct ClientHandles {
    fw::KernelHandle input;
    fw::KernelHandle output;
    fw::KernelHandle error;
};

// An inheritable copy of one of our standard handles; null when we have none.
fw::KernelHandle InheritableCopy(DWORD which) {
    HANDLE own = ::GetStdHandle(which);
    HANDLE copy = nullptr;
    if (!own || own == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), own, ::GetCurrentProcess(), &copy, 0, TRUE,
                           DUPLICATE_SAME_ACCESS))
        return fw::KernelHandle();
    return fw::KernelHandle(copy);
}

// A pipe holding the whole text, its write end closed: the client reads the text, then the
// pipe's end. Only the read end is inheritable.
std::optional<DWORD> MakeInputPipe(const std::string& text, fw::KernelHandle& readEnd) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    // Room for the whole text, so that the write does not wait for the client.
    if (!::CreatePipe(&reader, &writer, &inheritable, static_cast<DWORD>(text.size()) + 4096))
        return ::GetLastError();
    readEnd.Reset(reader);
    fw::KernelHandle writeEnd(writer);
    if (!::SetHandleInformation(writer, HANDLE_FLAG_INHERIT, 0))
        return ::GetLastError();
    DWORD written = 0;
    if (!text.empty() &&
        !::WriteFile(writer, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return ::GetLastError();
    if (written != text.size())
        return static_cast<DWORD>(ERROR_WRITE_FAULT);
    return std::nullopt;
}

} // namespace

std::optional<DWORD> LaunchClient(const std::string& programPath, const std::string& arguments,
                                  const std::string& workingFolder, fw::ProcessHandles& process,
                                  const std::string* input) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    std::vector<char> commandLine(arguments.begin(), arguments.end());
    commandLine.push_back('\0');

    process.Reset();
    ClientHandles handles;
    if (input) {
        if (std::optional<DWORD> error = MakeInputPipe(*input, handles.input))
            return error;
        handles.output = InheritableCopy(STD_OUTPUT_HANDLE);
        handles.error = InheritableCopy(STD_ERROR_HANDLE);
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = handles.input.Get();
        startup.hStdOutput = handles.output.Get();
        startup.hStdError = handles.error.Get();
    }
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessA(programPath.c_str(), commandLine.data(), nullptr, nullptr,
                          input ? TRUE : FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                          &started))
        return ::GetLastError();
    process = fw::ProcessHandles(started);
    return std::nullopt;
}

void StopClientProcess(fw::ProcessHandles& process) {
    if (!process)
        return;
    ::PostThreadMessageA(process.ThreadId(), WM_QUIT, 0, 0);
    ::Sleep(500);
    ::TerminateProcess(process.Process(), 0);
    process.Reset();
}
