// The SOCKS5 messages of the browser front; see socks5.h.
#include "plink/socks5.h"

namespace {

constexpr char kVersion = 5;
constexpr char kNoAuthentication = 0;
constexpr char kConnect = 1;
constexpr char kSucceeded = 0;
constexpr char kIpv4 = 1;
constexpr char kDomainName = 3;
constexpr char kIpv6 = 4;

} // namespace

std::string Socks5Greeting() {
    return std::string{kVersion, 1, kNoAuthentication};
}

Socks5Reply ReadSocks5Choice(const std::string& received) {
    if (received.size() < 2)
        return Socks5Reply::Incomplete;
    return received[0] == kVersion && received[1] == kNoAuthentication ? Socks5Reply::Accepted
                                                                       : Socks5Reply::Refused;
}

std::string Socks5Connect(const std::string& host, int port) {
    std::string request{kVersion, kConnect, 0, kDomainName, static_cast<char>(host.size())};
    request += host;
    request += static_cast<char>((port >> 8) & 0xff);
    request += static_cast<char>(port & 0xff);
    return request;
}

Socks5Reply ReadSocks5ConnectReply(const std::string& received, size_t& length) {
    if (received.size() >= 2 && (received[0] != kVersion || received[1] != kSucceeded))
        return Socks5Reply::Refused;
    if (received.size() < 5)
        return Socks5Reply::Incomplete;
    // Version, reply, reserved, address type, the bound address, its port.
    size_t address = 0;
    if (received[3] == kIpv4)
        address = 4;
    else if (received[3] == kIpv6)
        address = 16;
    else if (received[3] == kDomainName)
        address = 1 + static_cast<unsigned char>(received[4]);
    else
        return Socks5Reply::Refused;
    if (received.size() < 4 + address + 2)
        return Socks5Reply::Incomplete;
    length = 4 + address + 2;
    return Socks5Reply::Accepted;
}
