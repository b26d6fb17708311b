#include "support/main_window_fixture.h"

#include "resource.h"
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

bool MainWindowFixture::FocusIsOn(int id) const {
    HWND focus = ::GetFocus();
    return focus == Item(id) || ::GetParent(focus) == Item(id);
}

void MainWindowFixture::ChooseAccount(const std::string& name) const {
    LRESULT index = ::SendMessageA(Item(IDC_SERVER_NAME), CB_FINDSTRINGEXACT, -1,
                                   reinterpret_cast<LPARAM>(name.c_str()));
    Choose(IDC_SERVER_NAME, static_cast<int>(index));
}

void MainWindowFixture::CreateAccount(const std::string& name, const std::string& userName,
                                      const std::string& password, const std::string& port) const {
    Click(IDC_NEW_ACCOUNT);
    Type(IDC_SERVER_NAME, name);
    Type(IDC_USER_NAME, userName);
    Type(IDC_PASSWORD, password);
    Type(IDC_SERVER_PORT, port);
    Click(IDC_EDIT_SAVE);
}

void MainWindowFixture::TypeForwarding(const std::string& local, const std::string& server,
                                       const std::string& port,
                                       const std::string& description) const {
    Type(IDC_LOCAL_PORT, local);
    Type(IDC_TARGET_SERVER, server);
    Type(IDC_TARGET_PORT, port);
    Type(IDC_PORT_DESCRIPTION, description);
}

std::vector<std::string> MainWindowFixture::Rows() const {
    std::vector<std::string> rows;
    HWND list = Item(IDC_FORWARDING_LIST);
    int count = ListRowCount(list);
    for (int row = 0; row < count; ++row) {
        std::string line;
        for (int column = 0; column < 5; ++column)
            line += (column ? "|" : "") + ListCell(list, row, column);
        rows.push_back(line);
    }
    return rows;
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
