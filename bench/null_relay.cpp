// The least a program under Wine can do between a browser and ssh's SOCKS5 port: pass the
// bytes both ways and nothing else, with blocking sockets and a thread a direction. bench/dynamic
// sets Marrowin's front against it, to tell what the front costs from what any relay costs here.
//   null_relay <listen port> <target port>      (on 127.0.0.1; runs until ended)
#include "plink/loopback.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

void Copy(SOCKET from, SOCKET to) {
    std::vector<char> buffer(256 * 1024);
    int received = 0;
    while ((received = ::recv(from, buffer.data(), static_cast<int>(buffer.size()), 0)) > 0) {
        for (int sent = 0, n = 0; sent < received; sent += n) {
            if ((n = ::send(to, buffer.data() + sent, received - sent, 0)) <= 0)
                return;
        }
    }
    ::shutdown(to, SD_SEND);
}

void Serve(SOCKET client, int target) {
    SOCKET server = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = LoopbackAddress(target);
    if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        std::thread up(Copy, client, server);
        Copy(server, client);
        up.join();
    }
    ::closesocket(server);
    ::closesocket(client);
}

} // namespace

int main(int argc, char** argv) {
    WSADATA data;
    if (argc != 3 || ::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        std::fprintf(stderr, "usage: null_relay <listen port> <target port>\n");
        return 2;
    }
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = LoopbackAddress(std::atoi(argv[1]));
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener, SOMAXCONN) != 0) {
        std::fprintf(stderr, "cannot listen: %d\n", ::WSAGetLastError());
        return 1;
    }
    const int target = std::atoi(argv[2]);
    for (SOCKET client; (client = ::accept(listener, nullptr, nullptr)) != INVALID_SOCKET;)
        std::thread(Serve, client, target).detach();
    return 1;
}
