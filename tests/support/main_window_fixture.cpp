#include "support/main_window_fixture.h"

#include "settings/settings_file.h"
#include "support/dialog_input.h"

#include <commctrl.h>

void MainWindowFixture::StartWindow(const std::string& settings, CMenuTrayIcon* trayIcon) {
    if (!settings.empty())
        files.WriteSettings(settings);
    window = std::make_unique<CDravenlokDlg>();
    window->SetTrayIcon(trayIcon);
    ASSERT_TRUE(window->Create());
}

std::string MainWindowFixture::Text(int id) const {
    return ItemText(*window, id);
}

std::string MainWindowFixture::Title() const {
    char title[256] = {};
    ::GetWindowTextA(*window, title, sizeof(title));
    return title;
}

void MainWindowFixture::Type(int id, const std::string& text) const {
    TypeInto(*window, id, text);
}

void MainWindowFixture::Click(int id) const {
    ClickItem(*window, id);
}

void MainWindowFixture::Toggle(int id) const {
    ::CheckDlgButton(*window, id, Checked(id) ? BST_UNCHECKED : BST_CHECKED);
    Click(id);
}

bool MainWindowFixture::Checked(int id) const {
    return ItemChecked(*window, id);
}

std::string MainWindowFixture::Setting(const std::string& section, const std::string& key) const {
    return CInternetOptions(files.File("Marrowin.ini")).ReadString(section, key);
}

std::string MainWindowFixture::TooltipText(int id) const {
    char text[512] = {};
    TOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = *window;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
    HWND tooltip = TooltipOf(*window);
    if (!::SendMessageA(tooltip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)))
        return "<none>";
    tool.lpszText = text;
    ::SendMessageA(tooltip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&tool));
    return text;
}
