// Sockets on 127.0.0.1 for the tests and their servers: Winsock started once for the program,
// the loopback address of a port, and an address given as text.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <string>

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

// The IPv4 address of text such as "127.0.0.1:2299"; false for any other text.
inline bool ReadAddress(const std::string& text, sockaddr_in& address) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(text.c_str() + colon + 1)));
    return ::inet_pton(AF_INET, text.substr(0, colon).c_str(), &address.sin_addr) == 1;
}
