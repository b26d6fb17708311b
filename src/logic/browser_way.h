// How an account carries the browser's traffic: through the proxy on its server, reached by
// the account's proxy forwarding (what every account did before it could choose), or through
// ssh itself, whose dynamic forwarding needs nothing on the server but TCP forwarding. The
// settings file keeps the second as "ssh" and the first as no value at all. Plain text work.
#pragma once

#include <string>

enum class BrowserWay { ServerProxy, Ssh };

inline std::string BrowserWayText(BrowserWay way) {
    return way == BrowserWay::Ssh ? "ssh" : std::string();
}

// Any other text, an empty one included, is the server's proxy.
inline BrowserWay BrowserWayFromText(const std::string& text) {
    return text == "ssh" ? BrowserWay::Ssh : BrowserWay::ServerProxy;
}
