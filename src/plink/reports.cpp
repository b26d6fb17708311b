// Posting the client's reports to Marrowin's main window; see reports.h.
#include "plink/reports.h"

#include <windows.h>

bool PostReport(const char* messageName) {
    HWND window = ::FindWindowA("#32770", "Dravenlok");
    if (!window)
        window = ::FindWindowA("#32770", "Marrowin");
    UINT message = ::RegisterWindowMessageA(messageName);
    return window && message && ::PostMessageA(window, message, 0, 0);
}
