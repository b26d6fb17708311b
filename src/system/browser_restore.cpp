// The records of what the browser's connections held, the RunOnce repair command and the guard
// that stand for them while any record exists.
#include "system/browser_restore.h"

#include "framework/application.h"
#include "owners/owners.h"

#include <wininet.h>

#include <vector>

namespace {

const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kConnectionValue[] = "Connection";
const char kFlagsValue[] = "Flags";
const char kProxyServerValue[] = "ProxyServer";
const char kProxyBypassValue[] = "ProxyBypass";
const char kAutoConfigUrlValue[] = "AutoConfigURL";

bool OpenRecords(fw::RegKey& key) {
    return ::RegOpenKeyExA(HKEY_CURRENT_USER, kBrowserRestoreKey, 0, KEY_READ | KEY_WRITE,
                           key.Receive()) == ERROR_SUCCESS;
}

// A text value of any length; false when it is missing or not a text.
bool ReadText(HKEY key, const char* name, std::string& text) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    std::vector<char> data(size + 1, '\0');
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                           &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    text = data.data();
    return true;
}

bool WriteText(HKEY key, const char* name, const std::string& text) {
    return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

// The names of the records' subkeys.
std::vector<std::string> RecordNames(HKEY records) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        char name[256] = {};
        DWORD length = sizeof(name);
        LONG result =
            ::RegEnumKeyExA(records, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS)
            names.push_back(name);
    }
    return names;
}

// The record's connection name; false for a record that names none.
bool RecordConnection(HKEY records, const std::string& recordName, std::string& connectionName) {
    fw::RegKey record;
    return ::RegOpenKeyExA(records, recordName.c_str(), 0, KEY_READ, record.Receive()) ==
               ERROR_SUCCESS &&
           ReadText(record, kConnectionValue, connectionName);
}

bool FindRecord(HKEY records, const std::string& connectionName, std::string& recordName) {
    for (const std::string& name : RecordNames(records)) {
        std::string connection;
        if (RecordConnection(records, name, connection) && connection == connectionName) {
            recordName = name;
            return true;
        }
    }
    return false;
}

// What the record says the connection held; missing or odd values read as a direct connection.
ConnectionSettings ReadRecord(HKEY records, const std::string& recordName) {
    ConnectionSettings held;
    held.flags = PROXY_TYPE_DIRECT;
    fw::RegKey record;
    if (::RegOpenKeyExA(records, recordName.c_str(), 0, KEY_READ, record.Receive()) !=
        ERROR_SUCCESS)
        return held;
    DWORD type = 0;
    DWORD flags = 0;
    DWORD size = sizeof(flags);
    if (::RegQueryValueExA(record, kFlagsValue, nullptr, &type, reinterpret_cast<BYTE*>(&flags),
                           &size) == ERROR_SUCCESS &&
        type == REG_DWORD)
        held.flags = flags;
    ReadText(record, kProxyServerValue, held.proxyServer);
    ReadText(record, kProxyBypassValue, held.proxyBypass);
    ReadText(record, kAutoConfigUrlValue, held.autoConfigUrl);
    return held;
}

bool WriteRecord(HKEY record, const std::string& connectionName, const ConnectionSettings& held) {
    return WriteText(record, kConnectionValue, connectionName) &&
           ::RegSetValueExA(record, kFlagsValue, 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&held.flags),
                            sizeof(held.flags)) == ERROR_SUCCESS &&
           WriteText(record, kProxyServerValue, held.proxyServer) &&
           WriteText(record, kProxyBypassValue, held.proxyBypass) &&
           WriteText(record, kAutoConfigUrlValue, held.autoConfigUrl);
}

// A new subkey under the first number not taken.
bool CreateRecordKey(HKEY records, std::string& recordName, fw::RegKey& record) {
    for (int number = 0; number < 1000; ++number) {
        recordName = std::to_string(number);
        DWORD disposition = 0;
        if (::RegCreateKeyExA(records, recordName.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              record.Receive(), &disposition) != ERROR_SUCCESS)
            return false;
        if (disposition == REG_CREATED_NEW_KEY)
            return true;
    }
    return false;
}

void GiveBackRecord(HKEY records, const std::string& recordName) {
    std::string connectionName;
    // A record that names no connection cannot be given back; it only goes.
    if (RecordConnection(records, recordName, connectionName))
        ApplyConnectionSettings(connectionName, ReadRecord(records, recordName));
    ::RegDeleteKeyA(records, recordName.c_str());
    ::RegFlushKey(records);
}

} // namespace

BrowserRestore::BrowserRestore(Cover cover)
    : cover_(cover), programPath_(fw::ExecutableFolder() + "\\Marrowin.exe") {}

void BrowserRestore::Remember(const std::string& connectionName) {
    fw::RegKey records;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kBrowserRestoreKey, 0, nullptr, 0,
                          KEY_READ | KEY_WRITE, nullptr, records.Receive(),
                          nullptr) != ERROR_SUCCESS)
        return;
    std::string recordName;
    if (FindRecord(records, connectionName, recordName))
        return;
    ConnectionSettings held;
    held.flags = PROXY_TYPE_DIRECT;
    ReadConnectionSettings(connectionName, held);
    fw::RegKey record;
    if (!CreateRecordKey(records, recordName, record))
        return;
    bool written = WriteRecord(record, connectionName, UserSettings(held));
    record.Reset();
    // Half a record would give back less than the connection held: none is kept then.
    if (!written)
        ::RegDeleteKeyA(records, recordName.c_str());
    // On disk before the connection is pointed, so that a power loss finds it.
    ::RegFlushKey(records);
    KeepRepairsWhileRecorded();
}

std::optional<ConnectionSettings>
BrowserRestore::Recorded(const std::string& connectionName) const {
    fw::RegKey records;
    std::string recordName;
    if (!OpenRecords(records) || !FindRecord(records, connectionName, recordName))
        return std::nullopt;
    return ReadRecord(records, recordName);
}

void BrowserRestore::Rerecord(const std::string& connectionName, const ConnectionSettings& now) {
    fw::RegKey records;
    std::string recordName;
    fw::RegKey record;
    if (!OpenRecords(records) || !FindRecord(records, connectionName, recordName) ||
        ::RegOpenKeyExA(records, recordName.c_str(), 0, KEY_WRITE, record.Receive()) !=
            ERROR_SUCCESS)
        return;
    // As written: another proxy tool's own port on this machine is no tunnel of ours.
    WriteRecord(record, connectionName, now);
    ::RegFlushKey(records);
}

void BrowserRestore::GiveBack(const std::string& connectionName) {
    fw::RegKey records;
    std::string recordName;
    if (OpenRecords(records) && FindRecord(records, connectionName, recordName)) {
        GiveBackRecord(records, recordName);
    } else {
        // Not pointed by Marrowin, or not recorded: only a tunnel's proxy is switched off, and
        // a proxy of the user's own stays as it is.
        ConnectionSettings held;
        if (ReadConnectionSettings(connectionName, held))
            ApplyConnectionSettings(connectionName, UserSettings(held));
        else
            SetConnectionProxy(connectionName, std::string(), false);
    }
    KeepRepairsWhileRecorded();
}

bool BrowserRestore::GiveBackAll() {
    fw::RegKey records;
    if (OpenRecords(records)) {
        for (const std::string& recordName : RecordNames(records))
            GiveBackRecord(records, recordName);
    }
    KeepRepairsWhileRecorded();
    return !HasRecords();
}

bool BrowserRestore::HasRecords() const {
    fw::RegKey records;
    return OpenRecords(records) && !RecordNames(records).empty();
}

// The repair command and the guard exist exactly while a record does, and never for a repair
// or a guard: one that cannot remove a record would otherwise start the next, without end.
void BrowserRestore::KeepRepairsWhileRecorded() {
    fw::RegKey runOnce;
    bool anyRecord = HasRecords();
    bool recorded = anyRecord && cover_ == Cover::RepairsKept;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kRunOnceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          runOnce.Receive(), nullptr) == ERROR_SUCCESS) {
        if (recorded)
            WriteText(runOnce, kBrowserRepairEntry,
                      "\"" + programPath_ + "\" " + kRepairBrowserSwitch);
        else
            ::RegDeleteValueA(runOnce, kBrowserRepairEntry);
        ::RegFlushKey(runOnce);
    }
    if (recorded)
        guard_.Start(programPath_);
    else
        guard_.Stop();
    if (!anyRecord)
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kBrowserRestoreKey);
}
