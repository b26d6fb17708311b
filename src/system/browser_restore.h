// BrowserRestore: what each Internet connection held before the program pointed it at the
// tunnel, kept in the registry so that it outlives a crash and a power loss, and given back
// when the connection is set back. While any record exists, a one-time start-up entry of the
// user's (RunOnce) repairs the browser at the next logon, and a guard process repairs it
// within a second if this process ends without its own clean-up.
#pragma once

#include "system/connection_settings.h"
#include "system/restore_guard.h"

#include <optional>
#include <string>

// Where the records live, under HKEY_CURRENT_USER: one subkey per connection changed.
inline constexpr char kBrowserRestoreKey[] = "Software\\Marrowin\\BrowserRestore";
// The value of the RunOnce key that holds the repair command.
inline constexpr char kBrowserRepairEntry[] = "MarrowinBrowserRepair";
// Marrowin.exe started with this switch repairs the browser and ends, showing nothing.
inline constexpr char kRepairBrowserSwitch[] = "/repair-browser";

class BrowserRestore {
public:
    // What stands in for this process's own clean-up while a record exists: the RunOnce repair
    // command and the guard, or nothing, for a repair or a guard, which give back once and end.
    enum class Cover { RepairsKept, None };

    // The repair command and the guard run "<folder>\Marrowin.exe" of this copy's folder.
    explicit BrowserRestore(Cover cover = Cover::RepairsKept);

    // Records what the connection holds now, unless a record for it exists already; the
    // connection may then be pointed at the tunnel.
    void Remember(const std::string& connectionName);
    // What the connection's record says it held; nothing without a record.
    std::optional<ConnectionSettings> Recorded(const std::string& connectionName) const;
    // Another program has changed the connection while it pointed at the tunnel: what it wrote
    // is what the connection is given back from now on.
    void Rerecord(const std::string& connectionName, const ConnectionSettings& now);
    // Gives the connection back what its record says it held (direct without a record) and
    // removes the record.
    void GiveBack(const std::string& connectionName);
    // Gives every recorded connection back and removes every record; false when a record could
    // not be removed.
    bool GiveBackAll();
    bool HasRecords() const;

private:
    void KeepRepairsWhileRecorded();

    Cover cover_;
    std::string programPath_;
    RestoreGuard guard_;
};
