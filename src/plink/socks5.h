// The SOCKS5 messages (RFC 1928) the browser front exchanges with ssh's dynamic forwarding:
// no authentication, and CONNECT by host name (address type 3), so that the name is looked up
// on the server's side of the tunnel and never on this computer. Plain bytes, no sockets.
#pragma once

#include <cstddef>
#include <string>

enum class Socks5Reply { Incomplete, Accepted, Refused };

// Version 5, one method offered: no authentication.
std::string Socks5Greeting();
// The server's choice of method, two bytes: accepted only when it is "no authentication".
Socks5Reply ReadSocks5Choice(const std::string& received);
// CONNECT to the host by name and the port. The host is at most 255 bytes (logic/proxy_request
// allows no longer one).
std::string Socks5Connect(const std::string& host, int port);
// The server's reply to CONNECT. Once accepted, `length` is how many of the received bytes the
// reply took; any after it come from the target.
Socks5Reply ReadSocks5ConnectReply(const std::string& received, size_t& length);
