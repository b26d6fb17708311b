// Marrowin.exe as the browser's repair: the switches it is started with, and what each does.
#include "app/repair_mode.h"

#include "app/single_instance.h"
#include "owners/owners.h"
#include "system/browser_restore.h"
#include "system/restore_guard.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

// The command line after the program's name, without the blanks around it.
std::string Arguments() {
    std::string line = ::GetCommandLineA();
    size_t end = line[0] == '"' ? line.find('"', 1) : line.find(' ');
    if (end == std::string::npos)
        return std::string();
    line = line.substr(end + 1);
    size_t first = line.find_first_not_of(" \t");
    size_t last = line.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

// A copy of Marrowin that runs now has set the browser back at its start and owns the records
// made since: they are left to it.
void RepairUnlessMarrowinRuns() {
    if (!MarrowinRuns())
        BrowserRestore().GiveBackAll();
}

// The guarded process is waited for; one that is gone already (or an id that names none) has
// ended before the guard started.
void GuardProcess(const std::string& processId) {
    char* end = nullptr;
    unsigned long id = std::strtoul(processId.c_str(), &end, 10);
    if (end == processId.c_str() || *end != '\0')
        return;
    fw::KernelHandle guarded(::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id)));
    if (guarded)
        ::WaitForSingleObject(guarded, INFINITE);
    RepairUnlessMarrowinRuns();
}

} // namespace

RepairMode::RepairMode() {
    std::string arguments = Arguments();
    const std::string guardPrefix = std::string(kRestoreGuardSwitch) + " ";
    if (arguments == kRepairBrowserSwitch)
        RepairUnlessMarrowinRuns();
    else if (arguments.compare(0, guardPrefix.size(), guardPrefix) == 0)
        GuardProcess(arguments.substr(guardPrefix.size()));
    else
        return;
    // At once, without static destructors or other exit-time clean-up.
    ::ExitProcess(0);
}
