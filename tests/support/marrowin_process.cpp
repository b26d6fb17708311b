#include "support/marrowin_process.h"

#include <tlhelp32.h>

#include <vector>

std::string WinePath(const std::string& linuxPath) {
    std::string path = "Z:" + linuxPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

MarrowinProcess::MarrowinProcess(const std::string& appFolder, bool copyBuiltProgram)
    : appFolder_(appFolder), exePath_(appFolder + "\\Marrowin.exe") {
    if (copyBuiltProgram)
        ::CopyFileA(WinePath(MARROWIN_EXE_PATH).c_str(), exePath_.c_str(), FALSE);
}

MarrowinProcess::~MarrowinProcess() {
    if (!process_.hProcess)
        return;
    if (IsRunning()) {
        ::TerminateProcess(process_.hProcess, 1);
        ::WaitForSingleObject(process_.hProcess, 5000);
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
}

bool MarrowinProcess::Start(const std::string& workingFolder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::vector<char> commandLine(exePath_.begin(), exePath_.end());
    commandLine.push_back('\0');
    return ::CreateProcessA(exePath_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr,
                            workingFolder.empty() ? appFolder_.c_str() : workingFolder.c_str(),
                            &startup, &process_) != FALSE;
}

DWORD MarrowinProcess::WaitForExit(DWORD timeoutMs) {
    ::WaitForSingleObject(process_.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool MarrowinProcess::IsRunning() const {
    return process_.hProcess && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

namespace {

struct DialogSearch {
    DWORD processId;
    HWND owner;
    std::string title;
    bool shownOnly;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof(className));
    if (std::string(className) != "#32770" || (search->shownOnly && !::IsWindowVisible(window)))
        return TRUE;
    if (search->owner) {
        if (::GetWindow(window, GW_OWNER) != search->owner)
            return TRUE;
    } else {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        char title[256] = {};
        ::GetWindowTextA(window, title, sizeof(title));
        if ((search->processId && processId != search->processId) || search->title != title)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND WaitForDialog(DialogSearch search, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        search.found = nullptr;
        ::EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found || ::GetTickCount() - start > timeoutMs)
            return search.found;
        ::Sleep(50);
    }
}

} // namespace

HWND WaitForTopLevelDialog(DWORD processId, const std::string& title, DWORD timeoutMs) {
    HWND window = WaitForDialog({processId, nullptr, title, false, nullptr}, timeoutMs);
    // The window exists and shows early in its start-up; a message it answers shows that the
    // start-up is over and its message loop runs.
    DWORD_PTR answer;
    if (window)
        ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer);
    return window;
}

HWND ShownDialog(DWORD processId, const std::string& title) {
    DialogSearch search{processId, nullptr, title, true, nullptr};
    ::EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ShownBoxSaying(HWND owner, const std::string& part) {
    struct Search {
        HWND owner;
        const std::string* part;
        HWND found;
    } search = {owner, &part, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* search = reinterpret_cast<Search*>(param);
            if (::GetWindow(window, GW_OWNER) != search->owner || !::IsWindowVisible(window) ||
                MessageBoxText(window).find(*search->part) == std::string::npos)
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> UnownedQuestions(const std::string& caption) {
    struct Search {
        std::string caption;
        std::vector<HWND> found;
    } search{caption, {}};
    auto match = [](HWND window, LPARAM lParam) -> BOOL {
        auto* search = reinterpret_cast<Search*>(lParam);
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        char title[256] = {};
        char className[64] = {};
        ::GetWindowTextA(window, title, sizeof(title));
        ::GetClassNameA(window, className, sizeof(className));
        if (processId != ::GetCurrentProcessId() && search->caption == title &&
            std::string(className) == "#32770" && !::GetWindow(window, GW_OWNER) &&
            ::GetDlgItem(window, IDYES) && ::GetDlgItem(window, IDNO))
            search->found.push_back(window);
        return TRUE;
    };
    ::EnumWindows(match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForMessageBox(HWND owner, DWORD timeoutMs) {
    return WaitForDialog({0, owner, std::string(), true, nullptr}, timeoutMs);
}

std::string MessageBoxText(HWND box) {
    // The message text is the static control with id 0xFFFF.
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    return text;
}

std::string OtherProcessText(HWND window) {
    wchar_t wide[4096] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(wide), SMTO_NORMAL,
                          5000, &ignored);
    char text[8192] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
    return text;
}

// The shell's balloons are tooltip windows, whose text is the tip they show.
std::vector<std::string> ShownBalloons() {
    std::vector<std::string> texts;
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            char name[64] = {};
            ::GetClassNameA(window, name, sizeof(name));
            if (std::string(name) == "tooltips_class32" && ::IsWindowVisible(window))
                reinterpret_cast<std::vector<std::string>*>(param)->push_back(
                    OtherProcessText(window));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool BalloonShows(const std::string& text) {
    for (const std::string& shown : ShownBalloons()) {
        if (shown.find(text) != std::string::npos)
            return true;
    }
    return false;
}

void PostClick(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

DWORD RunAndWait(const std::string& program, const std::string& folder, DWORD timeoutMs) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(program.begin(), program.end());
    commandLine.push_back('\0');
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process))
        return ::GetLastError();
    DWORD code = STILL_ACTIVE;
    if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &code);
    else
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

int CountProcesses(const std::string& fileName) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more;
         more = ::Process32Next(snapshot, &entry))
        count += ::lstrcmpiA(entry.szExeFile, fileName.c_str()) == 0;
    ::CloseHandle(snapshot);
    return count;
}
