#include "app/single_instance.h"

#include "controls/look.h"
#include "owners/owners.h"

#include <windows.h>

bool AnotherInstanceRuns(const char* mutexName) {
    // Never closed: the mutex marks this process as the running copy for its whole life.
    ::CreateMutexA(nullptr, FALSE, mutexName);
    DWORD error = ::GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

bool MarrowinRuns() {
    fw::KernelHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, kSingleInstanceMutex));
    return mutex || ::GetLastError() == ERROR_ACCESS_DENIED;
}

void BringRunningInstanceToFront() {
    HWND window = ::FindWindowA("#32770", kProgramName);
    if (!window)
        return;
    ::SetForegroundWindow(window);
    ::ShowWindow(window, ::IsZoomed(window) ? SW_SHOWMAXIMIZED : SW_RESTORE);
}

SingleInstanceGuard::SingleInstanceGuard() {
    if (!AnotherInstanceRuns(kSingleInstanceMutex))
        return;
    BringRunningInstanceToFront();
    // At once, without static destructors or other exit-time clean-up.
    ::ExitProcess(0);
}
