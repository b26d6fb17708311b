// Posting the client's reports to Marrowin's main window; see reports.h.
#include "plink/reports.h"

#include "owners/owners.h"
#include "plink/own_files.h"
#include "tunnel/failure_notice.h"

#include <windows.h>

#include <cstring>

namespace {

// A Marrowin that hangs must not keep plink.exe, and with it ssh, from ending.
constexpr UINT kSendTimeoutMs = 5000;

// The key question of a plink.exe run as askpass is a box of the same class and caption as
// Marrowin's window; it is told apart by the program that shows it.
bool IsPlinkWindow(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    // Wine insists on the full query right, which a process of the same user gives as readily.
    fw::KernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !::QueryFullProcessImageNameA(process.Get(), 0, path, &size))
        return false;
    std::string own = OwnProgramPath();
    const char* name = std::strrchr(path, '\\');
    return _stricmp(name ? name + 1 : path, own.substr(own.find_last_of('\\') + 1).c_str()) == 0;
}

HWND FindMarrowinWindow(const char* title) {
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, "#32770", title)) != nullptr) {
        if (!IsPlinkWindow(window))
            return window;
    }
    return nullptr;
}

HWND MarrowinWindow() {
    HWND window = FindMarrowinWindow("Dravenlok");
    return window ? window : FindMarrowinWindow("Marrowin");
}

bool SendText(std::uintptr_t tag, const std::string& text) {
    HWND window = MarrowinWindow();
    if (!window)
        return false;
    COPYDATASTRUCT data = {};
    data.dwData = tag;
    data.cbData = static_cast<DWORD>(text.size() + 1);
    data.lpData = const_cast<char*>(text.c_str());
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                 SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer) &&
           answer;
}

} // namespace

bool PostReport(const char* messageName) {
    HWND window = MarrowinWindow();
    UINT message = ::RegisterWindowMessageA(messageName);
    return window && message && ::PostMessageA(window, message, 0, 0);
}

bool SendReason(const std::string& text) {
    return SendText(kFailureReasonTag, text);
}

bool SendChangedKey(const std::string& keyText) {
    return SendText(kChangedKeyTag, keyText);
}
