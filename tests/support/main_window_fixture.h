// The real main window for tests: created modeless from a settings file written beside the
// test program, driven by control id, with the scripted user answering its boxes.
#pragma once

#include "support/app_folder.h"
#include "support/dialog_input.h"
#include "support/scripted_user.h"
#include "support/window_reading.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class MainWindowFixture : public ::testing::Test {
protected:
    void TearDown() override { window.reset(); }

    // Writes the settings file (none when the text is empty) and creates the window, with the
    // tray icon it is to show its state in.
    void StartWindow(const std::string& settings, CMenuTrayIcon* trayIcon = nullptr);

    HWND Item(int id) const { return window->Item(id); }
    std::string Text(int id) const;
    std::string Title() const;
    void Type(int id, const std::string& text) const;
    // A click as the button sends it to the window.
    void Click(int id) const;
    // Flips a check box, then clicks it.
    void Toggle(int id) const;
    bool Checked(int id) const;
    bool Enabled(int id) const { return ItemEnabled(*window, id); }
    // Chooses the combo box's item as the user does from its list.
    void Choose(int id, int index) const { ChooseItem(*window, id, index); }
    int Selection(int id) const { return ComboSelection(*window, id); }
    bool Visible() const { return ::IsWindowVisible(*window) != FALSE; }
    // The text of the control's tooltip, or "<none>".
    std::string TooltipText(int id) const;
    COLORREF LabelColor(int id) const { return LabelTextColor(*window, id); }
    // A value of the settings file, read as the program reads it.
    std::string Setting(const std::string& section, const std::string& key) const;
    // The focus is on the control, or on the edit field of its combo box.
    bool FocusIsOn(int id) const;
    const RecordedBox& LastBox() const { return user.Boxes().back(); }

    // The account chosen from the server combo's list.
    void ChooseAccount(const std::string& name) const;
    // New, the four fields, Save.
    void CreateAccount(const std::string& name, const std::string& userName,
                       const std::string& password, const std::string& port) const;
    void TypeForwarding(const std::string& local, const std::string& server,
                        const std::string& port, const std::string& description) const;
    // Each row of the forwarding list as "port|account|description|mark|target".
    std::vector<std::string> Rows() const;

    AppFolderFiles files;
    ScriptedUser user;
    std::unique_ptr<CDravenlokDlg> window;
};
