// Sockets on 127.0.0.1; see loopback.h.
#include "plink/loopback.h"

namespace {

// A TCP socket that no child process inherits: ssh, started once the front listens, must not
// hold the front's port.
Socket NewSocket() {
    return Socket(::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                               WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT));
}

} // namespace

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    return address;
}

std::optional<int> ListenOnLoopback(int port, Socket& listener) {
    Socket socket = NewSocket();
    if (!socket)
        return ::WSAGetLastError();
    // Windows lets a socket that asks to share a port take one already bound unless it is held
    // exclusively. A system without the option still refuses a second plain bind, so its
    // failure is no reason to give up.
    BOOL exclusive = TRUE;
    ::setsockopt(socket.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                 reinterpret_cast<const char*>(&exclusive), sizeof(exclusive));
    sockaddr_in address = LoopbackAddress(port);
    if (::bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(socket.Get(), SOMAXCONN) != 0 || !MakeNonBlocking(socket.Get()))
        return ::WSAGetLastError();
    listener = std::move(socket);
    return std::nullopt;
}

bool MakeNonBlocking(SOCKET socket) {
    u_long nonBlocking = 1;
    return ::ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

void TuneForRelay(SOCKET socket) {
    BOOL noDelay = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                 sizeof(noDelay));
    int size = 1024 * 1024;
    ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof(size));
    ::setsockopt(socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof(size));
}

Socket BeginLoopbackConnection(int port) {
    Socket socket = NewSocket();
    sockaddr_in address = LoopbackAddress(port);
    if (!socket || !MakeNonBlocking(socket.Get()))
        return Socket();
    TuneForRelay(socket.Get());
    if (::connect(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 &&
        ::WSAGetLastError() != WSAEWOULDBLOCK)
        return Socket();
    return socket;
}

bool ConnectedAlready(SOCKET socket) {
    WSAPOLLFD entry = {socket, POLLWRNORM, 0};
    return ::WSAPoll(&entry, 1, 0) == 1 && entry.revents == POLLWRNORM;
}

std::optional<int> FreeLoopbackPort() {
    Socket socket = NewSocket();
    sockaddr_in address = LoopbackAddress(0);
    int size = sizeof(address);
    if (!socket ||
        ::bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return std::nullopt;
    return ntohs(address.sin_port);
}
