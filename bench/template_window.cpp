// The benchmark's yardstick for Marrowin's own start-up: the main window with nothing behind
// it. The same template and resources, the same look (WindowLook: the labels' fonts, the
// header bars' pictures, the colours, the icon, the tooltips) and the same tray icon as
// Marrowin.exe, shown at the size Marrowin shows it and painted; no settings are read, no list
// is filled and no model is made. What Marrowin takes beyond this window is its own code.
#include "controls/look.h"
#include "framework/application.h"
#include "framework/dialog.h"
#include "framework/startup_trace.h"
#include "resource.h"
#include "ui/tray_icon.h"
#include "ui/window_look.h"

#include <windows.h>
#include <commctrl.h>

namespace {

class TemplateWindow : public fw::Dialog {
public:
    TemplateWindow() : fw::Dialog(IDD_MARROWIN_DIALOG), look_(*this) {}

protected:
    // Collapsed to the left strip, at the place and size of Marrowin's start (its window measures
    // them alike from the strip's frame).
    bool OnInitDialog() override {
        fw::StampStartupStep("dialog and its controls created");
        fw::Dialog::OnInitDialog();
        fw::StampStartupStep("controls bound, parts set up");
        RECT window, leftFrame;
        ::GetWindowRect(Handle(), &window);
        ::GetWindowRect(Item(IDC_LEFT_FRAME), &leftFrame);
        int width = (leftFrame.right - leftFrame.left) + 5;
        int height = (leftFrame.bottom - window.top) - ::GetSystemMetrics(SM_CYFRAME) +
                     ::GetSystemMetrics(SM_CYSIZE);
        ::SetWindowPos(Handle(), HWND_TOP, 100, 100, width, height, SWP_NOACTIVATE);
        ::ShowWindow(Handle(), SW_SHOW);
        fw::StampStartupStep("window shown");
        fw::StampStartupStep("end of OnInitDialog");
        return true;
    }

private:
    WindowLook look_;
};

// The tray icon as Marrowin's application object makes it, then the window.
class TemplateApp : public fw::Application {
protected:
    bool InitInstance() override {
        TemplateWindow window;
        SetMainWindow(&window);
        HICON privacyOff =
            ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PRIVACY_OFF));
        CMenuTrayIcon trayIcon(kProgramName, privacyOff, IDR_TRAY_MENU, ID_TRAY_RESTORE, false);
        fw::StampStartupStep("tray icon");
        window.DoModal();
        SetMainWindow(nullptr);
        return false;
    }
};

TemplateApp theApp;

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    fw::StampStartupStep("entry point, after static initialisation");
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    fw::StampStartupStep("common controls");
    return fw::Application::Current()->Run();
}
