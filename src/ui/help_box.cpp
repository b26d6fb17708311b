#include "ui/help_box.h"

#include "controls/look.h"
#include "framework/user_seam.h"

void ShowHelpNotOpened(HWND owner, const std::string& helpFile) {
    // Where it was looked for: relative to the working folder, which is the program's.
    std::string path = helpFile;
    DWORD length = ::GetFullPathNameA(helpFile.c_str(), 0, nullptr, nullptr);
    if (length > 0) {
        std::string full(length, '\0');
        DWORD written = ::GetFullPathNameA(helpFile.c_str(), length, &full[0], nullptr);
        if (written > 0 && written < length)
            path = full.substr(0, written);
    }
    fw::ShowMessageBox(owner, "The help file '" + path + "' could not be opened.", kProgramName,
                       MB_OK | MB_ICONSTOP);
}
