// Browser settings: the connections pointed at the tunnel, the security-zone values that
// switch ActiveX and Java/JavaScript off and on, and the registry proxy values reset at quit.
#include "system/browser_settings.h"

#include "logic/bypass_list.h"
#include "owners/owners.h"

#include <cstring>

namespace {

const char kZonesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\";
const char kInternetSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const int kZoneCount = 5;

struct ZoneValue {
    const char* name;
    DWORD type;
    DWORD number; // REG_DWORD data, or the four bytes of REG_BINARY data in memory order
};

const BYTE kJavaPermissionsOff[4] = {0x00, 0x00, 0x00, 0x00};
const BYTE kJavaPermissionsRestored[4] = {0x00, 0x00, 0x02, 0x00};

bool SetDword(HKEY key, const char* name, DWORD value) {
    return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value)) == ERROR_SUCCESS;
}

// Writes the values into every zone key that exists; a zone whose key does not exist is skipped
// and no key is ever created. False when a zone that exists refused the key or a value.
template <typename WriteValues> bool ForEachZone(WriteValues writeValues) {
    bool written = true;
    for (int zone = 0; zone < kZoneCount; ++zone) {
        std::string path = kZonesKey + std::to_string(zone);
        fw::RegKey key;
        LSTATUS status =
            ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_WRITE, key.Receive());
        if (status == ERROR_FILE_NOT_FOUND)
            continue;
        written = status == ERROR_SUCCESS && writeValues(key.Get()) && written;
    }
    return written;
}

bool WriteActiveX(DWORD run, DWORD script) {
    return ForEachZone(
        [&](HKEY key) { return SetDword(key, "1200", run) && SetDword(key, "1201", script); });
}

// A proxy server other than the tunnel's "127.0.0.1:<port>" in the ProxyServer value.
bool HoldsProxyOfTheUsers(HKEY internetSettings) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(internetSettings, "ProxyServer", nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    std::string server(size + 1, '\0');
    if (::RegQueryValueExA(internetSettings, "ProxyServer", nullptr, &type,
                           reinterpret_cast<BYTE*>(&server[0]), &size) != ERROR_SUCCESS)
        return false;
    server.resize(std::strlen(server.c_str()));
    return !server.empty() && server.compare(0, 10, "127.0.0.1:") != 0;
}

} // namespace

void BrowserProxy::Set(const std::string& connectionName, const std::string& localPort, bool on) {
    if (on) {
        restore_.Remember(connectionName);
        Point(connectionName, localPort);
        pointed_.insert(connectionName);
    } else {
        restore_.GiveBack(connectionName);
        pointed_.erase(connectionName);
    }
}

// Our bypass entries, then those of what the connection is given back.
void BrowserProxy::Point(const std::string& connectionName, const std::string& localPort) {
    std::optional<ConnectionSettings> held = restore_.Recorded(connectionName);
    SetConnectionProxy(connectionName, localPort, true,
                       MergeBypass(ownBypass_, held ? held->proxyBypass : std::string()));
}

std::vector<TakenConnection> BrowserProxy::TakenAway(const std::string& localPort) {
    std::vector<TakenConnection> taken;
    for (auto it = pointed_.begin(); it != pointed_.end();) {
        ConnectionSettings now;
        // A connection that is gone (a dial-up entry removed) is watched no more.
        if (!ReadConnectionSettings(*it, now)) {
            it = pointed_.erase(it);
            continue;
        }
        if (!PointsAtTunnel(now, localPort))
            taken.push_back({*it, now});
        ++it;
    }
    return taken;
}

void BrowserProxy::PointBack(const TakenConnection& taken, const std::string& localPort) {
    restore_.Rerecord(taken.connectionName, taken.now);
    Point(taken.connectionName, localPort);
}

void BrowserProxy::LetGo(const TakenConnection& taken) {
    restore_.Rerecord(taken.connectionName, taken.now);
}

void BrowserProxy::SetAllBack() {
    for (const std::string& connectionName : pointed_)
        restore_.GiveBack(connectionName);
    pointed_.clear();
}

// The fixed values are written whatever was configured before: nothing of the user's own
// browser configuration is saved.
bool BrowserRegistry::DisableActiveX() const {
    return WriteActiveX(3, 3);
}

bool BrowserRegistry::RestoreActiveX() const {
    return WriteActiveX(0, 1);
}

bool BrowserRegistry::SetJavaDisabled(int disabled) const {
    DWORD scripting = disabled ? 3 : 0;
    const BYTE* permissions = disabled ? kJavaPermissionsOff : kJavaPermissionsRestored;
    return ForEachZone([&](HKEY key) {
        return SetDword(key, "1400", scripting) && SetDword(key, "1605", scripting) &&
               SetDword(key, "1402", scripting) &&
               ::RegSetValueExA(key, "1C00", 0, REG_BINARY, permissions, 4) == ERROR_SUCCESS;
    });
}

// Only a proxy of the tunnel's, or none, is reset: a proxy of the user's own, given back just
// before, stays.
void BrowserRegistry::ResetRegistryProxy() const {
    fw::RegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettingsKey, 0, KEY_READ | KEY_WRITE,
                        key.Receive()) != ERROR_SUCCESS)
        return;
    if (HoldsProxyOfTheUsers(key))
        return;
    SetDword(key, "ProxyEnable", 0);
    ::RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
}
