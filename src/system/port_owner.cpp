// The owner of a listening TCP port, through the IP Helper's table of connections.
#include "system/port_owner.h"

#include "logic/account_rules.h"
#include "owners/owners.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <vector>

namespace {

// The port of the first "host:port" of the setting when the host is this machine; 0 otherwise.
int LocalPort(const std::string& proxyServer) {
    std::string first = proxyServer.substr(0, proxyServer.find(';'));
    first = first.substr(first.find('=') + 1);
    size_t colon = first.rfind(':');
    if (colon == std::string::npos)
        return 0;
    std::string host = first.substr(0, colon);
    if (host != "127.0.0.1" && !EqualIgnoringCase(host, "localhost"))
        return 0;
    return PortNumber(first.substr(colon + 1));
}

DWORD ListeningProcess(int port) {
    DWORD size = 0;
    std::vector<BYTE> table;
    DWORD result = ERROR_INSUFFICIENT_BUFFER;
    while (result == ERROR_INSUFFICIENT_BUFFER) {
        table.resize(size ? size : sizeof(MIB_TCPTABLE_OWNER_PID));
        size = static_cast<DWORD>(table.size());
        result = ::GetExtendedTcpTable(table.data(), &size, FALSE, AF_INET,
                                       TCP_TABLE_OWNER_PID_LISTENER, 0);
    }
    if (result != NO_ERROR)
        return 0;
    const auto* rows = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(table.data());
    for (DWORD i = 0; i < rows->dwNumEntries; ++i) {
        // The port is in network order in the low two bytes.
        DWORD stored = rows->table[i].dwLocalPort;
        if ((((stored & 0xFF) << 8) | ((stored >> 8) & 0xFF)) == static_cast<DWORD>(port))
            return rows->table[i].dwOwningPid;
    }
    return 0;
}

} // namespace

std::string ProgramBehindProxy(const std::string& proxyServer) {
    int port = LocalPort(proxyServer);
    DWORD processId = port ? ListeningProcess(port) : 0;
    if (!processId)
        return std::string();
    fw::KernelHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    char path[MAX_PATH] = {};
    DWORD length = sizeof(path);
    if (!process || !::QueryFullProcessImageNameA(process, 0, path, &length))
        return std::string();
    std::string name = path;
    return name.substr(name.find_last_of('\\') + 1);
}
