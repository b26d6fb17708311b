// TCP sockets on 127.0.0.1 for plink.exe's browser front: an owner that closes its socket, the
// front's listening socket, connections that do not block, and a free port for ssh's dynamic
// forwarding. Winsock must be started.
#pragma once

// Before windows.h, which owners.h brings.
#include <winsock2.h>

#include "owners/owners.h"

#include <optional>

struct SocketTraits {
    static SOCKET Empty() { return INVALID_SOCKET; }
    static bool IsValid(SOCKET socket) { return socket != INVALID_SOCKET; }
    static void Close(SOCKET socket) { ::closesocket(socket); }
};
using Socket = fw::Owner<SOCKET, SocketTraits>;

sockaddr_in LoopbackAddress(int port);

// A listening socket on 127.0.0.1 at the port, set not to block; the Winsock error code when
// there is none (WSAEADDRINUSE: another program has the port).
std::optional<int> ListenOnLoopback(int port, Socket& listener);
// Sets the socket not to block; false when that failed.
bool MakeNonBlocking(SOCKET socket);
// A connection to 127.0.0.1 at the port under way, not blocking: it is up when the socket
// turns writable. Empty when it could not be begun.
Socket BeginLoopbackConnection(int port);
// Whether such a connection is up already.
bool ConnectedAlready(SOCKET socket);
// Small writes go out at once instead of waiting to be gathered (a relay's answer should not
// wait for an acknowledgement), and the buffers are large, so that each read and write moves
// more. Only a matter of speed, so its failure is ignored.
void TuneForRelay(SOCKET socket);
// A port on 127.0.0.1 that nothing used a moment ago, as the system handed it out; nothing
// when the system gave none.
std::optional<int> FreeLoopbackPort();
