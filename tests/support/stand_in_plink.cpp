// A scripted stand-in for the SSH client plink.exe, used by Marrowin's tests. It records what it
// was started with (command line, working folder, start-up window state, the saved session it
// was pointed at) and then follows a script from its working folder: post the client's reports to
// Marrowin's main window, sleep, wait for WM_QUIT, exit. Each record line is written through at
// once, so a test can read the record while the stand-in waits.
#include "logic/command_line.h"
#include "support/record_file.h"
#include "support/stand_in.h"
#include "support/stand_in_script.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace {

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

std::string StartupShow() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    ::GetStartupInfoA(&startup);
    if (!(startup.dwFlags & STARTF_USESHOWWINDOW))
        return "<not given>";
    return std::to_string(startup.wShowWindow);
}

// A value of the wrong type reads as missing, as a client would treat it.
std::string ReadString(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (!key || ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return "<missing>";
    std::vector<char> text(size + 1, '\0');
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                           &size) != ERROR_SUCCESS)
        return "<missing>";
    return text.data();
}

std::string ReadDword(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!key ||
        ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return "<missing>";
    return std::to_string(value);
}

void RecordSession(RecordFile& record, const std::string& session) {
    // Opened in two steps, as the real client does: a whole path of a long session name is too
    // long for the ANSI registry functions under Wine.
    HKEY sessions = nullptr;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kStandInSessionsKey, 0, KEY_READ, &sessions) !=
            ERROR_SUCCESS ||
        ::RegOpenKeyExA(sessions, session.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        key = nullptr;
    if (sessions)
        ::RegCloseKey(sessions);
    record.Line("HostName=" + ReadString(key, "HostName"));
    record.Line("PortNumber=" + ReadDword(key, "PortNumber"));
    record.Line("UserName=" + ReadString(key, "UserName"));
    record.Line("PortForwardings=" + ReadString(key, "PortForwardings"));
    if (key)
        ::RegCloseKey(key);
}

// What Marrowin gave on the standard input, when it gave one (as it does for a key file).
std::string StandardInput() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    ::GetStartupInfoA(&startup);
    if (!(startup.dwFlags & STARTF_USESTDHANDLES))
        return "<not given>";
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &read, nullptr) &&
           read > 0)
        text.append(buffer, read);
    return text;
}

// Marrowin's main window carries the title "Dravenlok" while a start is in progress.
HWND FindMainWindow() {
    HWND window = ::FindWindowA("#32770", "Dravenlok");
    if (!window)
        window = ::FindWindowA("#32770", "Marrowin");
    return window;
}

void Post(RecordFile& record, const std::string& messageName) {
    HWND window = FindMainWindow();
    if (!window) {
        record.Line("no window");
        return;
    }
    UINT message = ::RegisterWindowMessageA(messageName.c_str());
    if (::PostMessageA(window, message, 0, 0))
        record.Line("posted " + messageName);
    else
        record.Line("post failed " + messageName + " error " + std::to_string(::GetLastError()));
}

void WaitForQuit(RecordFile& record) {
    record.Line("waiting for WM_QUIT");
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    record.Line("got WM_QUIT");
}

int Run() {
    RecordFile record(kStandInRecordFile);
    record.Line(std::string("commandline=") + ::GetCommandLineA());
    record.Line("folder=" + CurrentFolder());
    record.Line("show=" + StartupShow());
    record.Line("input=" + StandardInput());

    // Taken apart as our plink.exe takes it.
    std::optional<ClientRequest> request = ParseClientCommandLine(::GetCommandLineA());
    if (request) {
        record.Line("password=" + request->password);
        record.Line("session=" + request->session);
        RecordSession(record, request->session);
    } else {
        record.Line("arguments=unexpected");
    }

    auto ownStep = [&](const std::string& verb, const std::string& argument, std::optional<int>&) {
        if (verb == "post")
            Post(record, argument);
        else if (verb == "wait-quit")
            WaitForQuit(record);
        else
            return false;
        return true;
    };
    // Without a script the stand-in runs until it is asked to quit.
    return RunStandInScript(kStandInScriptFile, {"wait-quit"}, ownStep, record);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The message queue exists before anything else, so that a WM_QUIT posted right after the
    // launch waits for us instead of being lost.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    return Run();
}
