// StartupEntry: the start with Windows. The main window's check box turns the entry in the Run
// key on and off, its combo box moves it between the current user and all users, and the choice
// is remembered in the settings file as "Main"/"startupType" (0 none, 1 current user, 2 all
// users). No window here: each operation answers what failed, and the window tells the user
// (ui/dialogs/startup_failure_box.h).
#pragma once

#include "settings/settings_file.h"

#include <string>
#include <vector>

// A step that failed: the Run key refused the entry, or the settings file refused the choice.
enum class StartupFailure { RunKey, SettingsFile };

// What an operation did: whether the choice is stored, and each step that failed on the way, in
// the order they failed.
struct StartupChange {
    bool stored = false;
    std::vector<StartupFailure> failures;
};

class StartupEntry {
public:
    static const int kNone = 0;
    static const int kCurrentUser = 1;
    static const int kAllUsers = 2;

    explicit StartupEntry(const CInternetOptions& settings) : settings_(settings) {}
    // The program that is started: "<folder>\Marrowin.exe", whatever name this copy runs under.
    void SetFolder(const std::string& folder) { programPath_ = folder + "\\Marrowin.exe"; }

    // The current user's entry, and "startupType" 1. Nothing is stored when the entry could not
    // be written.
    StartupChange TurnOn() const;
    // Removes the entry of the scope shown (none for kNone) and stores "startupType" 0, even
    // when the removal failed. When the setting could not be stored, the entry is written again.
    StartupChange TurnOff(int shownScope) const;
    // Writes the chosen scope's entry, then removes the other scope's, then stores the choice;
    // the first step that fails stops there. A choice that cannot be stored takes the entries
    // back to the scope the settings file holds.
    StartupChange ChangeScope(int scope) const;

private:
    // Each step notes its failure in the change; true when it succeeded.
    bool SetEntry(int scope, StartupChange& change) const;
    bool RemoveEntry(int scope, StartupChange& change) const;
    bool StoreScope(int scope, StartupChange& change) const;

    const CInternetOptions& settings_;
    std::string programPath_;
};
