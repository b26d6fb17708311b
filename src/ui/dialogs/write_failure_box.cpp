// The settings file's refused write, told in its box.
#include "ui/dialogs/write_failure_box.h"

#include "controls/look.h"
#include "framework/user_seam.h"

void ShowWriteFailure(HWND owner, const CInternetOptions& settings) {
    fw::ShowMessageBox(owner, settings.WriteFailureText(), kProgramName, MB_OK | MB_ICONSTOP);
}
