// Entry point of Marrowin.exe. Static initialisation runs in this order: a repair of the
// browser asked for on the command line runs and ends the process, the client's messages are
// registered, the single-instance check runs, the application object is made.
#include "tunnel/client_messages.h"
#include "app/dravenlok_app.h"
#include "app/repair_mode.h"
#include "app/single_instance.h"
#include "framework/startup_trace.h"

#include <windows.h>
#include <commctrl.h>

namespace {
RepairMode repairMode;
const bool clientMessagesRegistered = RegisterClientMessages();
SingleInstanceGuard singleInstanceGuard;
CDravenlokApp theApp;
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    fw::StampStartupStep("entry point, after static initialisation");
    (void)clientMessagesRegistered;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    fw::StampStartupStep("common controls");
    return fw::Application::Current()->Run();
}
