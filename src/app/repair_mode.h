// Marrowin.exe started to set the browser back rather than to run: with the repair switch (the
// RunOnce entry at logon, the uninstaller) it gives every recorded connection back at once; with
// the guard switch and a process id it waits for that Marrowin to end first. Either way it shows
// nothing, skips the single-instance check and ends.
#pragma once

class RepairMode {
public:
    // Does the repair the command line asks for and ends the process; returns when it asks for
    // none.
    RepairMode();
};
