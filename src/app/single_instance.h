// Only one copy of Marrowin runs per user: a second copy brings the first one's main window
// to the front and ends at once.
#pragma once

class SingleInstanceGuard {
public:
    SingleInstanceGuard();
};

// The named mutex that marks the running copy.
inline constexpr char kSingleInstanceMutex[] = "Marrowin-SingleInstance";

// True when the named mutex shows that another copy already runs (it exists, or it exists
// but cannot be opened because another user owns it).
bool AnotherInstanceRuns(const char* mutexName);
// Brings the running copy's main window to the front: kept maximised, otherwise restored
// (which also shows it when it lives hidden in the tray).
void BringRunningInstanceToFront();
// True when a copy of Marrowin runs, without marking this process as one.
bool MarrowinRuns();
