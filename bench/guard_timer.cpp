// The guard of the browser's proxy, timed: Marrowin.exe started from a temporary app folder
// beside the tests' stand-in client, with the browser option on. Prints one line:
//
//   guard_timer.exe point-back       privacy on; another program (this one) points the LAN
//                                    elsewhere twice, and each time the milliseconds until it
//                                    points at the tunnel again are printed
//   guard_timer.exe off <seconds>    privacy off; this program points the LAN elsewhere every
//                                    15 seconds for that long, and the number of times the
//                                    LAN was found changed back afterwards is printed (the guard
//                                    may write nothing while privacy is off)
//   guard_timer.exe idle <seconds>   privacy on and nothing happening; the processor time
//                                    Marrowin.exe used meanwhile, in milliseconds
#include "bench_clock.h"
#include "logic/password_scrambling.h"
#include "owners/owners.h"
#include "support/browser_proxy.h"
#include "support/marrowin_process.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "system/connection_settings.h"
#include "ui/main_window.h"

#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

const char kTunnelProxy[] = "127.0.0.1:50011";
const ConnectionSettings kOther = {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "other.example:3128",
                                   "", ""};

double ProcessorMilliseconds(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!::GetProcessTimes(process, &created, &ended, &kernel, &user))
        return -1;
    auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

bool Run(const std::string& what, int seconds) {
    TempFolder folder;
    if (!CopyStandInTo(folder.Path()))
        return false;
    WriteStandInScript(folder.Path(), {"post WM_QV_CON_ESTH", "wait-quit"});
    const char* privacy = what == "off" ? "0" : "1";
    WriteWholeFile(folder.File("Marrowin.ini"),
                   "[tunnel]\r\nservers=acct,\r\ndefault=acct\r\n[acct]\r\npassword=" +
                       ScramblePassword("pw") +
                       "\r\n[IE]\r\nproxyport=50011\r\nsetIEproxy=1\r\n[Main]\r\nautostart=" +
                       privacy + "\r\n");
    MarrowinProcess program(folder.Path());
    HWND window = program.Start() ? WaitForTopLevelDialog(program.ProcessId(), "Marrowin") : nullptr;
    if (!window || !WaitUntil([] { return LanProxyServer() == kTunnelProxy; }))
        return false;
    if (what == "point-back") {
        for (int write = 0; write < 2; ++write) {
            LARGE_INTEGER start;
            ::QueryPerformanceCounter(&start);
            if (!ApplyConnectionSettings("", kOther) ||
                !WaitUntil([] { return LanProxyServer() == kTunnelProxy; }))
                return false;
            std::printf("%.1f\n", MillisecondsSince(start));
        }
    } else if (what == "off") {
        int changedBack = 0;
        for (int waited = 0; waited < seconds; waited += 15) {
            ApplyConnectionSettings("", kOther);
            ::Sleep(15000);
            changedBack += LanProxyServer() != kOther.proxyServer ? 1 : 0;
        }
        std::printf("%d\n", changedBack);
    } else {
        fw::KernelHandle process(
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, program.ProcessId()));
        double before = ProcessorMilliseconds(process);
        ::Sleep(seconds * 1000);
        std::printf("%.1f\n", ProcessorMilliseconds(process) - before);
    }
    ::PostMessageA(window, ::RegisterWindowMessageA(kQuitMessageName), 0, 0);
    program.WaitForExit();
    SetConnectionProxy("", "", false);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string what = argc > 1 ? argv[1] : "";
    int seconds = argc > 2 ? std::atoi(argv[2]) : 0;
    if (what != "point-back" && !((what == "off" || what == "idle") && seconds > 0)) {
        std::fprintf(stderr, "usage: guard_timer.exe point-back | off <seconds> | idle <seconds>\n");
        return 2;
    }
    if (!Run(what, seconds)) {
        std::fprintf(stderr, "%s: the program or the guard did not answer in time\n", what.c_str());
        return 1;
    }
    return 0;
}
