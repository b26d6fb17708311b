// The one place where the program meets its user through message boxes, modal runs and help.
// The program always goes through here; a test installs a scripted user in place of the real one.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class Dialog;

class UserSeam {
public:
    virtual ~UserSeam() = default;
    // Answers a message box instead of the user; returns the button id (IDYES, IDOK, ...).
    virtual int AnswerMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                 UINT type) = 0;
    // Answers a box shown through MessageBoxIndirect, which can carry the program's own icon.
    virtual int AnswerMessageBoxIndirect(const MSGBOXPARAMSA& params) = 0;
    // Called once inside the modal loop of every dialog run with DoModal, after its
    // initialisation. The user acts there and normally ends the dialog.
    virtual void ActInDialog(Dialog& dialog) = 0;
    // Takes the place of the help viewer opened at a topic; returns whether it was shown.
    virtual bool OpenHelpTopic(HWND owner, const std::string& helpFile, DWORD contextId) = 0;
};

// nullptr restores the real user.
void InstallUserSeam(UserSeam* seam);
UserSeam* InstalledUserSeam();

// Every message box of the program goes through this function.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);
// And every box that needs MessageBoxIndirect through this one.
int ShowMessageBoxIndirect(const MSGBOXPARAMSA& params);

} // namespace fw
