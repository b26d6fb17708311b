// StartupEntry: the start with Windows. The main window's check box turns the entry in the Run
// key on and off, its combo box moves it between the current user and all users, and the choice
// is remembered in the settings file as "Main"/"startupType" (0 none, 1 current user, 2 all
// users). No window here: each operation says what the window is to show.
#pragma once

#include "settings/settings_file.h"

#include <string>

class StartupEntry {
public:
    static const int kNone = 0;
    static const int kCurrentUser = 1;
    static const int kAllUsers = 2;

    explicit StartupEntry(const CInternetOptions& settings) : settings_(settings) {}
    // The program that is started: "<folder>\Marrowin.exe", whatever name this copy runs under.
    void SetFolder(const std::string& folder) { programPath_ = folder + "\\Marrowin.exe"; }

    // The current user's entry, and "startupType" 1. False when it could not be written, after
    // its box; nothing is stored then.
    bool TurnOn() const;
    // Removes the entry of the scope shown (none for kNone) and stores "startupType" 0, even
    // when the removal failed: the box has told the user. False when the setting could not be
    // stored, after its box; the entry is then written again.
    bool TurnOff(int shownScope) const;
    // Writes the chosen scope's entry, then removes the other scope's, then stores the choice;
    // the first step that fails stops there, after its box. A choice that cannot be stored
    // takes the entries back to the scope the settings file holds.
    void ChangeScope(int scope) const;

private:
    bool StoreScope(int scope) const;

    const CInternetOptions& settings_;
    std::string programPath_;
};
