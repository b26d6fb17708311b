// Start-up of the application object: working directory, tray icon, main window.
#include "app/dravenlok_app.h"

#include "controls/look.h"
#include "resource.h"
#include "ui/main_window.h"

void CDravenlokApp::CreateTrayIcon() {
    // The old icon goes first, so that at no time are two shown.
    trayIcon_.reset();
    HICON privacyOff = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PRIVACY_OFF));
    trayIcon_ = std::make_unique<CMenuTrayIcon>(kProgramName, privacyOff, IDR_TRAY_MENU,
                                                ID_TRAY_RESTORE, false);
}

bool CDravenlokApp::InitInstance() {
    CDravenlokDlg mainWindow;

    // Settings, the SSH client, its log and the help file are all found beside the
    // executable, however the program was started. A failure leaves the directory as it is.
    std::string folder = fw::ExecutableFolder();
    if (!folder.empty())
        ::SetCurrentDirectoryA(folder.c_str());

    SetHelpFile("Marrowin.chm");
    SetMainWindow(&mainWindow);
    mainWindow_ = &mainWindow;

    // The shell takes a while to add an icon: the window shows first. A timer comes only when
    // nothing is left to paint.
    UINT_PTR trayTimer = ::SetTimer(nullptr, 0, 0, AddTrayIconToMainWindow);
    if (!trayTimer) {
        CreateTrayIcon();
        mainWindow.SetTrayIcon(TrayIcon());
    }
    mainWindow.DoModal();
    if (trayTimer)
        ::KillTimer(nullptr, trayTimer); // a window closed before it came
    mainWindow.SetTrayIcon(nullptr);
    DestroyTrayIcon();

    mainWindow_ = nullptr;
    SetMainWindow(nullptr);
    return false;
}

void CALLBACK CDravenlokApp::AddTrayIconToMainWindow(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    auto* app = static_cast<CDravenlokApp*>(fw::Application::Current());
    if (!app || !app->mainWindow_)
        return;
    app->CreateTrayIcon();
    app->mainWindow_->SetTrayIcon(app->TrayIcon());
}
