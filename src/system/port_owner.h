// Which program another program's proxy setting leads to, when it is a port on this machine:
// the program listening there.
#pragma once

#include <string>

// The file name of the program that listens on the port of a proxy server on this machine
// ("127.0.0.1:8888", "localhost:8888", "http=127.0.0.1:8888;https=..."); empty when the server
// is elsewhere or nobody can be named.
std::string ProgramBehindProxy(const std::string& proxyServer);
