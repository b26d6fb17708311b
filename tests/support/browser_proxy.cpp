#include "support/browser_proxy.h"

#include <wininet.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string TakeString(char* text) {
    std::string result = text ? text : "";
    if (text)
        ::GlobalFree(text);
    return result;
}

} // namespace

ConnectionProxy QueryProxy(const std::string& connection) {
    INTERNET_PER_CONN_OPTIONA options[3] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    std::vector<char> name(connection.begin(), connection.end());
    name.push_back('\0');
    INTERNET_PER_CONN_OPTION_LISTA list = {};
    list.dwSize = sizeof(list);
    list.pszConnection = connection.empty() ? nullptr : name.data();
    list.dwOptionCount = 3;
    list.pOptions = options;
    DWORD size = sizeof(list);
    ConnectionProxy proxy;
    EXPECT_TRUE(
        ::InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size));
    proxy.flags = options[0].Value.dwValue;
    proxy.server = TakeString(options[1].Value.pszValue);
    proxy.bypass = TakeString(options[2].Value.pszValue);
    return proxy;
}

std::string LanProxyServer() {
    ConnectionProxy lan = QueryProxy("");
    return (lan.flags & PROXY_TYPE_PROXY) ? lan.server : "direct";
}

std::string RunOnceRepairCommand() {
    char command[1024] = {};
    DWORD size = sizeof(command);
    ::RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                   "MarrowinBrowserRepair", RRF_RT_REG_SZ, nullptr, command, &size);
    return command;
}
