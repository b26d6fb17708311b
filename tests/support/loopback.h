// Sockets on 127.0.0.1 for the tests and their servers: Winsock started once for the program,
// and the loopback address of a port.
#pragma once

#include <winsock2.h>

inline void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

// 127.0.0.1 at the port, Winsock started for it.
inline sockaddr_in Loopback(int port) {
    StartWinsock();
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    return address;
}
