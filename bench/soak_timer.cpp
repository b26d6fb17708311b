// Soak run: one Marrowin.exe, started from a temporary app folder beside the tests' scripted
// stand-in client, with the reconnect option and the browser option on, goes through many
// drops and then many Start/Stop cycles:
//
//   drops       the stand-in reports the tunnel established, then the drop ("WM_QV_STOP"), and
//               ends; the window starts its reconnect sequence, whose tick is posted here at
//               once instead of ten seconds later and starts the client again. A cycle is one
//               tick until the drop that follows has been handled. The first client is started
//               with Start.
//   Start/Stop  the stand-in reports the tunnel established and waits. A cycle is Start, OK in
//               the status window once the tunnel is up, and Stop.
//
// For each, after its first 10 cycles and at its end, it reads the program's handle count, GDI
// and USER objects and private bytes, and times its first and its last 10 cycles; it prints
// them side by side with the change. A figure the system gives as 0, or not at all, is "not
// reported"; Wine gives none of the four, so beside them stand what it does report: the
// handles in the system's handle list, the program's windows and its commit charge.
//
//   soak_timer.exe [drops] [cycles]        (500 and 200 by default, at least 10 each)
//
// Prints nothing when Marrowin does not come up or a cycle does not finish in time, and says on
// stderr why, and where the program stood.
#include "bench_clock.h"
#include "logic/password_scrambling.h"
#include "resource.h"
#include "support/marrowin_process.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "ui/main_window.h"

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

namespace {

const int kMeasuredCycles = 10;
// Long enough for the last cycle's messages to be handled before the figures are read.
const DWORD kIdleMs = 500;
const char kStatusTitle[] = "Marrowin connection status";

std::string WindowText(HWND window) {
    char text[64] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

// The Start button says "Stop" while privacy is on.
bool PrivacyShownOn(HWND window) {
    return WindowText(::GetDlgItem(window, IDC_START)) == "Stop";
}

bool NoClientRuns() {
    return CountProcesses("plink.exe") == 0;
}

// What the program holds. The system's own counts, and beside them what Wine does report where
// it gives those as 0: the handles in the system's handle list, the program's windows (most
// of its USER objects), and the commit charge, which Windows gives as PrivateUsage and
// PagefileUsage alike and Wine only as PagefileUsage.
struct Figures {
    DWORD handles = 0;
    DWORD listedHandles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    DWORD windows = 0;
    SIZE_T privateBytes = 0;
    SIZE_T commitCharge = 0;
};

// One entry of the system's handle list (SystemExtendedHandleInformation).
struct SystemHandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct SystemHandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    SystemHandleEntry entries[1];
};
const SYSTEM_INFORMATION_CLASS kSystemExtendedHandleInformation =
    static_cast<SYSTEM_INFORMATION_CLASS>(64);
const NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

// The process's handles in the system's handle list; 0 when the list cannot be read.
DWORD ListedHandles(DWORD processId) {
    std::vector<char> buffer(1 << 16);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = ::NtQuerySystemInformation(kSystemExtendedHandleInformation, buffer.data(),
                                                static_cast<ULONG>(buffer.size()), &needed)) ==
               kInfoLengthMismatch &&
           buffer.size() < (1u << 28))
        buffer.resize(std::max<size_t>(needed, buffer.size()) * 2);
    if (status != 0)
        return 0;
    const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
    DWORD count = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i)
        count += list->entries[i].processId == processId;
    return count;
}

struct WindowCount {
    DWORD processId;
    DWORD count;
};

BOOL CALLBACK CountChild(HWND, LPARAM found) {
    ++reinterpret_cast<WindowCount*>(found)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM found) {
    auto* windows = reinterpret_cast<WindowCount*>(found);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId == windows->processId) {
        ++windows->count;
        ::EnumChildWindows(window, CountChild, found);
    }
    return TRUE;
}

// The process's top-level windows and all their children.
DWORD Windows(DWORD processId) {
    WindowCount windows = {processId, 0};
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

Figures ReadFigures(HANDLE process, DWORD processId) {
    Figures figures;
    if (!::GetProcessHandleCount(process, &figures.handles))
        figures.handles = 0;
    figures.listedHandles = ListedHandles(processId);
    figures.gdiObjects = ::GetGuiResources(process, GR_GDIOBJECTS);
    figures.userObjects = ::GetGuiResources(process, GR_USEROBJECTS);
    figures.windows = Windows(processId);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                               sizeof(memory))) {
        figures.privateBytes = memory.PrivateUsage;
        figures.commitCharge = memory.PagefileUsage;
    }
    return figures;
}

// One account, with the reconnect option and the browser option on.
void WriteSettings(const TempFolder& folder) {
    WriteWholeFile(folder.File("Marrowin.ini"),
                   "[tunnel]\r\nservers=acct,\r\ndefault=acct\r\n[acct]\r\npassword=" +
                       ScramblePassword("pw") +
                       "\r\n[IE]\r\nproxyport=50010\r\nsetIEproxy=1\r\n[Main]\r\nreconnect=1\r\n");
}

// Marrowin.exe in its app folder, driven from outside.
class Soak {
public:
    Soak(const TempFolder& folder, MarrowinProcess& program, HWND window, HANDLE process)
        : folder_(folder), program_(program), window_(window), process_(process) {}

    // Start, with a client that drops at once; true once the drop has been handled.
    bool FirstDrop() const {
        PostClick(window_, IDC_START);
        return DropHandled();
    }

    // The reconnect sequence's tick starts the client again, and it drops again.
    bool Drop() const {
        ::PostMessageA(window_, WM_TIMER, kReconnectTimer, 0);
        return DropHandled();
    }

    // From the reconnect sequence after the drops to privacy off with no status window, ready
    // for Start: the sequence's tick starts a client that stays, the status window is closed
    // once the tunnel is up, then Stop.
    bool EndDrops() const {
        WriteStandInScript(folder_.Path(), {"post WM_QV_CON_ESTH", "wait-quit"});
        MoveStandInRecordAside(folder_.Path());
        ::PostMessageA(window_, WM_TIMER, kReconnectTimer, 0);
        return CloseStatusWhenUp() && Stop();
    }

    bool StartAndStop() const {
        MoveStandInRecordAside(folder_.Path());
        PostClick(window_, IDC_START);
        return CloseStatusWhenUp() && Stop();
    }

    Figures Read() const { return ReadFigures(process_, program_.ProcessId()); }

    // Where the program stands, for a cycle that did not finish: its window's title and Start
    // button, its other windows shown (a box with its text), the clients running and the last
    // line of the client's record.
    std::string State() const {
        std::string state = "window '" + WindowText(window_) + "', Start button '" +
                            WindowText(::GetDlgItem(window_, IDC_START)) + "'";
        for (HWND shown : ShownWindows()) {
            std::string text = MessageBoxText(shown);
            state +=
                ", shown '" + WindowText(shown) + (text.empty() ? "'" : "' saying '" + text + "'");
        }
        state += ", " + std::to_string(CountProcesses("plink.exe")) + " client(s) running";
        std::vector<std::string> record = ReadStandInRecord(folder_.Path());
        if (!record.empty())
            state += ", the client's record ends '" + record.back() + "'";
        return state;
    }

private:
    // Privacy shown on, then off again, and no client left.
    bool DropHandled() const {
        return WaitUntil([this] { return PrivacyShownOn(window_); }) &&
               WaitUntil([this] { return !PrivacyShownOn(window_) && NoClientRuns(); });
    }

    // The client reports the tunnel up before it waits; OK, posted after that report, reaches
    // the status window after the main window has handled it.
    bool CloseStatusWhenUp() const {
        HWND status = nullptr;
        if (!WaitUntil([&] {
                status = ShownDialog(program_.ProcessId(), kStatusTitle);
                return status &&
                       RecordHasLine(ReadStandInRecord(folder_.Path()), "waiting for WM_QUIT");
            }))
            return false;
        PostClick(status, IDOK);
        return WaitUntil([&] {
            return !::IsWindow(status) && WindowText(window_) == "Marrowin" &&
                   PrivacyShownOn(window_);
        });
    }

    bool Stop() const {
        PostClick(window_, IDC_START);
        return WaitUntil([this] { return !PrivacyShownOn(window_) && NoClientRuns(); });
    }

    // The program's shown top-level windows beside the main window.
    std::vector<HWND> ShownWindows() const {
        struct Search {
            DWORD processId;
            HWND mainWindow;
            std::vector<HWND> found;
        } search{program_.ProcessId(), window_, {}};
        ::EnumWindows(
            [](HWND window, LPARAM lParam) -> BOOL {
                auto* search = reinterpret_cast<Search*>(lParam);
                DWORD processId = 0;
                ::GetWindowThreadProcessId(window, &processId);
                if (processId == search->processId && window != search->mainWindow &&
                    ::IsWindowVisible(window))
                    search->found.push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    const TempFolder& folder_;
    MarrowinProcess& program_;
    HWND window_;
    HANDLE process_;
};

struct Phase {
    Figures afterFirst;
    Figures atEnd;
    double firstMs = 0;
    double lastMs = 0;
};

// Runs the cycles, reading the figures after the first ten and at the end. The number of the
// cycle that did not finish in time, or 0.
int RunCycles(const Soak& soak, int count, bool (Soak::*cycle)() const, Phase& phase) {
    std::vector<double> times;
    for (int i = 1; i <= count; ++i) {
        LARGE_INTEGER start;
        ::QueryPerformanceCounter(&start);
        if (!(soak.*cycle)())
            return i;
        times.push_back(MillisecondsSince(start));
        if (i == kMeasuredCycles) {
            ::Sleep(kIdleMs);
            phase.afterFirst = soak.Read();
        }
    }
    ::Sleep(kIdleMs);
    phase.atEnd = soak.Read();
    phase.firstMs = std::accumulate(times.begin(), times.begin() + kMeasuredCycles, 0.0);
    phase.lastMs = std::accumulate(times.end() - kMeasuredCycles, times.end(), 0.0);
    return 0;
}

// A figure with its unit, its thousands set apart: "12,345 KB".
std::string Amount(double value, const char* unit) {
    std::string digits = std::to_string(static_cast<long long>(value + 0.5));
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return *unit ? digits + " " + unit : digits;
}

// One figure after the first ten cycles and at the end, and the change, marked when it is
// beyond the goal of 5 %.
void PrintLine(const char* what, double first, double last, const char* unit = "") {
    if (first <= 0 || last <= 0) {
        std::printf("  %-17s %15s %15s\n", what, "not reported", "not reported");
        return;
    }
    double change = 100.0 * (last - first) / first;
    std::printf("  %-17s %15s %15s %+8.1f %%%s\n", what, Amount(first, unit).c_str(),
                Amount(last, unit).c_str(), change, change > 5.0 ? "  over the goal" : "");
}

void PrintPhase(const std::string& title, const Phase& phase) {
    std::printf("%s\n  %-17s %15s %15s %10s\n", title.c_str(), "", "after 10", "at the end",
                "change");
    const Figures& a = phase.afterFirst;
    const Figures& b = phase.atEnd;
    PrintLine("handles", a.handles, b.handles);
    PrintLine("  system's list", a.listedHandles, b.listedHandles);
    PrintLine("GDI objects", a.gdiObjects, b.gdiObjects);
    PrintLine("USER objects", a.userObjects, b.userObjects);
    PrintLine("  windows", a.windows, b.windows);
    PrintLine("private bytes", a.privateBytes / 1024.0, b.privateBytes / 1024.0, "KB");
    PrintLine("  commit charge", a.commitCharge / 1024.0, b.commitCharge / 1024.0, "KB");
    // The first ten cycles' time against the last ten's.
    PrintLine("time of 10 cycles", phase.firstMs, phase.lastMs, "ms");
}

int Count(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

int Fail(const char* why) {
    std::fprintf(stderr, "soak: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    int drops = Count(argc, argv, 1, 500);
    int cycles = Count(argc, argv, 2, 200);
    if (argc > 3 || drops < kMeasuredCycles || cycles < kMeasuredCycles) {
        std::fprintf(stderr, "usage: soak_timer.exe [drops] [cycles]   (at least 10 each)\n");
        return 2;
    }

    TempFolder folder;
    if (!CopyStandInTo(folder.Path()))
        return Fail("cannot copy the stand-in client");
    WriteStandInScript(folder.Path(), {"post WM_QV_CON_ESTH", "post WM_QV_STOP", "exit 0"});
    WriteSettings(folder);
    MarrowinProcess program(folder.Path());
    HWND window =
        program.Start() ? WaitForTopLevelDialog(program.ProcessId(), "Marrowin") : nullptr;
    if (!window)
        return Fail("Marrowin did not come up");
    fw::KernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.ProcessId()));
    if (!process)
        return Fail("cannot open Marrowin's process");
    Soak soak(folder, program, window, process);

    Phase dropped, startStop;
    std::string failure;
    if (!soak.FirstDrop())
        failure = "the first drop was not handled in time";
    else if (int drop = RunCycles(soak, drops, &Soak::Drop, dropped))
        failure = "drop " + std::to_string(drop) + " was not handled in time";
    else if (!soak.EndDrops())
        failure = "the reconnect sequence did not end after the drops";
    else if (int cycle = RunCycles(soak, cycles, &Soak::StartAndStop, startStop))
        failure = "Start/Stop cycle " + std::to_string(cycle) + " did not finish in time";
    if (!failure.empty())
        failure += ": " + soak.State();

    ::PostMessageA(window, ::RegisterWindowMessageA(kQuitMessageName), 0, 0);
    program.WaitForExit();
    if (!failure.empty())
        return Fail(failure.c_str());
    PrintPhase(std::to_string(drops) + " drops, each followed by a reconnect:", dropped);
    PrintPhase(std::to_string(cycles) + " Start/Stop cycles:", startStop);
    std::printf("Time: the first 10 cycles' against the last 10's. Goal: every figure at the end\n"
                "within 5 %% of the figure after the first 10.\n");
    return 0;
}
