// The application object: fixes the working directory, shows the tray icon and runs the main
// window modally for the whole life of the process. It owns the tray icon and hands it to the
// main window, whose state the icon shows.
#pragma once

#include "framework/application.h"
#include "ui/tray_icon.h"

#include <memory>

class CDravenlokApp : public fw::Application {
public:
    // The icon with the privacy-off picture, the tip "Marrowin", the tray menu and the restore
    // command for a left click. Replaces any icon made before.
    void CreateTrayIcon();
    // Removes the icon from the notification area.
    void DestroyTrayIcon() { trayIcon_.reset(); }
    // Null while there is no icon.
    CMenuTrayIcon* TrayIcon() const { return trayIcon_.get(); }

    void OnHelpNotShown(HWND owner) override;

protected:
    bool InitInstance() override;

private:
    std::unique_ptr<CMenuTrayIcon> trayIcon_;
};
