#include "app/dravenlok_app.h"

#include "ui/main_window.h"

bool CDravenlokApp::InitInstance() {
    CDravenlokDlg mainWindow;

    // Settings, the SSH client, its log and the help file are all found beside the
    // executable, however the program was started. A failure leaves the directory as it is.
    std::string folder = fw::ExecutableFolder();
    if (!folder.empty())
        ::SetCurrentDirectoryA(folder.c_str());

    SetHelpFile("Marrowin.chm");
    SetMainWindow(&mainWindow);

    // The tray icon is created here, before the main window runs, and removed after it ends.
    mainWindow.DoModal();

    SetMainWindow(nullptr);
    return false;
}
