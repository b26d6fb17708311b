// Owns one WinINet handle (session, connection or request) and closes it exactly once.
#pragma once

#include "owners/owners.h"

#include <windows.h>
#include <wininet.h>

struct InternetHandleTraits {
    static HINTERNET Empty() { return nullptr; }
    static bool IsValid(HINTERNET handle) { return handle != nullptr; }
    static void Close(HINTERNET handle) { ::InternetCloseHandle(handle); }
};

using InternetHandle = fw::Owner<HINTERNET, InternetHandleTraits>;
