// Start with Windows' failed steps, told in their boxes.
#include "ui/dialogs/startup_failure_box.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "ui/dialogs/write_failure_box.h"

void ShowStartupFailures(const StartupChange& change, const CInternetOptions& settings) {
    for (StartupFailure failure : change.failures) {
        if (failure == StartupFailure::SettingsFile) {
            ShowWriteFailure(nullptr, settings);
            continue;
        }
        // Writing under HKEY_LOCAL_MACHINE needs an administrator: that is the usual reason.
        fw::ShowMessageBox(nullptr,
                           "Could not set startup type option!\nMake sure you have the permission "
                           "to access the registry!",
                           kProgramName, MB_OK | MB_ICONERROR);
    }
}
