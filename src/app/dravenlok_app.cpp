// Start-up of the application object: working directory, tray icon, main window.
#include "app/dravenlok_app.h"

#include "controls/look.h"
#include "framework/startup_trace.h"
#include "resource.h"
#include "system/browser_restore.h"
#include "ui/help_box.h"
#include "ui/main_window.h"

void CDravenlokApp::CreateTrayIcon() {
    // The old icon goes first, so that at no time are two shown.
    trayIcon_.reset();
    HICON privacyOff = LoadTrayPicture(IDI_PRIVACY_OFF);
    trayIcon_ = std::make_unique<CMenuTrayIcon>(kProgramName, privacyOff, IDR_TRAY_MENU,
                                                ID_TRAY_RESTORE, false);
}

bool CDravenlokApp::InitInstance() {
    // A run that ended without its clean-up (a power loss, say) may have left the browser
    // pointed at its tunnel: set back before anything else touches the browser.
    BrowserRestore().GiveBackAll();
    fw::StampStartupStep("browser records given back");
    CDravenlokDlg mainWindow;
    fw::StampStartupStep("main window object");

    // Settings, the SSH client, its log and the help file are all found beside the
    // executable, however the program was started. A failure leaves the directory as it is.
    std::string folder = fw::ExecutableFolder();
    if (!folder.empty())
        ::SetCurrentDirectoryA(folder.c_str());

    SetHelpFile("Marrowin.chm");
    SetMainWindow(&mainWindow);

    CreateTrayIcon();
    mainWindow.SetTrayIcon(TrayIcon());
    fw::StampStartupStep("tray icon");
    mainWindow.DoModal();
    DestroyTrayIcon();

    SetMainWindow(nullptr);
    return false;
}

void CDravenlokApp::OnHelpNotShown(HWND owner) {
    ShowHelpNotOpened(owner, HelpFile());
}
