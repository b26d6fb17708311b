// Latency benchmark: times one of the waits a user feels, with Marrowin.exe started from a
// temporary app folder beside the scripted stand-in client, which reports the tunnel up at
// once and then waits. Prints the time in milliseconds on one line:
//
//   latency_timer.exe establish    Start clicked until the window hears the tunnel is up
//   latency_timer.exe kill         Marrowin killed while privacy is on with the browser option
//                                  set, until its guard has set the LAN's proxy back to direct
//   latency_timer.exe end-session  the end of the Windows session sent to the main window,
//                                  until the client has ended and the LAN's proxy is direct
//
// Resume from sleep until the tunnel is up again has a benchmark of its own (bench/resume).
#include "bench_clock.h"
#include "logic/password_scrambling.h"
#include "owners/owners.h"
#include "resource.h"
#include "support/browser_proxy.h"
#include "support/marrowin_process.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "ui/main_window.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

const char kTunnelProxy[] = "127.0.0.1:50010";

std::string WindowTitle(HWND window) {
    char title[64] = {};
    ::GetWindowTextA(window, title, sizeof(title));
    return title;
}

// One account, with privacy started at start-up and the browser pointed at the tunnel when
// `autostart`, else neither.
void WriteSettings(const TempFolder& folder, bool autostart) {
    const char* on = autostart ? "1" : "0";
    WriteWholeFile(folder.File("Marrowin.ini"),
                   "[tunnel]\r\nservers=acct,\r\ndefault=acct\r\n[acct]\r\npassword=" +
                       ScramblePassword("pw") + "\r\n[IE]\r\nproxyport=50010\r\nsetIEproxy=" + on +
                       "\r\n[Main]\r\nautostart=" + on + "\r\n");
}

// The time from the click on Start until the window, titled for the client meanwhile, has its
// own title again: it has handled the client's "established".
double TimeEstablish(MarrowinProcess& program, HWND window) {
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_START)));
    if (!WaitUntil([&] { return WindowTitle(window) != "Marrowin"; }) ||
        !WaitUntil([&] { return WindowTitle(window) == "Marrowin"; }))
        return -1;
    double took = MillisecondsSince(start);
    ::PostMessageA(window, ::RegisterWindowMessageA(kQuitMessageName), 0, 0);
    return program.WaitForExit() == STILL_ACTIVE ? -1 : took;
}

double TimeKill(MarrowinProcess& program) {
    fw::KernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, program.ProcessId()));
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!::TerminateProcess(process, 1) || !WaitUntil([] { return LanProxyServer() == "direct"; }))
        return -1;
    return MillisecondsSince(start);
}

double TimeEndSession(HWND window) {
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    ::SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    ::SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    if (!WaitUntil([] { return CountProcesses("plink.exe") == 0 && LanProxyServer() == "direct"; }))
        return -1;
    return MillisecondsSince(start);
}

double Time(const std::string& what) {
    TempFolder folder;
    if (!CopyStandInTo(folder.Path()))
        return -1;
    WriteStandInScript(folder.Path(), {"post WM_QV_CON_ESTH", "wait-quit"});
    bool establish = what == "establish";
    WriteSettings(folder, !establish);
    MarrowinProcess program(folder.Path());
    HWND window = program.Start() ? WaitForTopLevelDialog(program.ProcessId(), "Marrowin") : nullptr;
    if (!window)
        return -1;
    if (establish)
        return TimeEstablish(program, window);
    if (!WaitUntil([] { return LanProxyServer() == kTunnelProxy; }))
        return -1;
    double took = what == "kill" ? TimeKill(program) : TimeEndSession(window);
    // Nothing of this run may be left to the next.
    bool ended = WaitUntil([] {
        return CountProcesses("plink.exe") + CountProcesses("Marrowin.exe") == 0;
    });
    return ended ? took : -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || (std::strcmp(argv[1], "establish") != 0 && std::strcmp(argv[1], "kill") != 0 &&
                      std::strcmp(argv[1], "end-session") != 0)) {
        std::fprintf(stderr, "usage: latency_timer.exe establish|kill|end-session\n");
        return 2;
    }
    double took = Time(argv[1]);
    if (took < 0) {
        std::fprintf(stderr, "%s: did not happen in time\n", argv[1]);
        return 1;
    }
    std::printf("%.1f\n", took);
    return 0;
}
