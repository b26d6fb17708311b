// Posting the client's reports to Marrowin's main window; see reports.h.
#include "plink/reports.h"

#include "tunnel/failure_notice.h"

#include <windows.h>

namespace {

// A Marrowin that hangs must not keep plink.exe, and with it ssh, from ending.
constexpr UINT kSendTimeoutMs = 5000;

HWND MarrowinWindow() {
    HWND window = ::FindWindowA("#32770", "Dravenlok");
    return window ? window : ::FindWindowA("#32770", "Marrowin");
}

} // namespace

bool PostReport(const char* messageName) {
    HWND window = MarrowinWindow();
    UINT message = ::RegisterWindowMessageA(messageName);
    return window && message && ::PostMessageA(window, message, 0, 0);
}

bool SendReason(const std::string& text) {
    HWND window = MarrowinWindow();
    if (!window)
        return false;
    COPYDATASTRUCT data = {};
    data.dwData = kFailureReasonTag;
    data.cbData = static_cast<DWORD>(text.size() + 1);
    data.lpData = const_cast<char*>(text.c_str());
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                 SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer) &&
           answer;
}
