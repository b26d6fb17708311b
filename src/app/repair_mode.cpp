// Marrowin.exe as the browser's repair: the switches it is started with, and what each does.
#include "app/repair_mode.h"

#include "app/single_instance.h"
#include "framework/application.h"
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

// A record that cannot be removed is told once, in the log beside the program, and left for
// the next start of Marrowin, which gives it back again.
void LogStuckRecord() {
    const std::string line = "The browser's settings were given back, but their record under "
                             "HKEY_CURRENT_USER\\" +
                             std::string(kBrowserRestoreKey) + " could not be removed.\r\n";
    fw::KernelHandle log(::CreateFileA((fw::ExecutableFolder() + "\\log.txt").c_str(),
                                       FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (log)
        ::WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// A copy of Marrowin that runs now has set the browser back at its start and owns the records
// made since: they are left to it. This repair gives back once and ends; it starts no guard and
// arms no repair at the next logon.
void RepairUnlessMarrowinRuns() {
    if (!MarrowinRuns() && !BrowserRestore(BrowserRestore::Cover::None).GiveBackAll())
        LogStuckRecord();
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
