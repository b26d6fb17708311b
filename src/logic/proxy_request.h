// What plink.exe's browser front reads of a browser's proxy request: where the head ends, what
// it asks for (a tunnel by CONNECT, or a plain request by absolute URI), and the head the web
// server is given in its place. Host names stay names: nothing here, and nothing that uses it,
// looks one up; the server side of the tunnel does. Plain text work, no Win32, no sockets.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The limits of a request's head: a longer request line is answered 414, a longer head 431.
inline constexpr size_t kMaxRequestLine = 8 * 1024;
inline constexpr size_t kMaxRequestHead = 64 * 1024;
// SOCKS5 carries a host name of at most 255 bytes.
inline constexpr size_t kMaxHostName = 255;

// The answers the front gives of its own; each ends the connection.
enum class ProxyRefusal {
    BadRequest = 400,
    UriTooLong = 414,
    HeadTooLarge = 431,
    BadGateway = 502,
    Busy = 503,
};

// The whole answer: status line, a one-line text body, "Connection: close".
std::string RefusalAnswer(ProxyRefusal refusal);

// Collects a request's head as its bytes arrive, in chunks of any size. Lines may end in CR LF
// or in a bare LF; the head ends with an empty line.
class RequestHead {
public:
    enum class State { Incomplete, Complete, LineTooLong, TooLarge };

    // Takes the bytes that arrived. Once Complete, any bytes after the head (the start of a
    // body, or of what goes through a tunnel) are kept apart in Rest(); more bytes are not taken.
    State Add(const char* data, size_t size);
    State Current() const { return state_; }
    const std::string& Text() const { return text_; }
    const std::string& Rest() const { return rest_; }

private:
    std::string text_;
    std::string rest_;
    size_t lineStart_ = 0;
    bool firstLine_ = true;
    State state_ = State::Incomplete;
};

struct ProxyRequest {
    std::string host; // a name or address as the browser wrote it, an IPv6 one without brackets
    int port = 0;
    // CONNECT: once the target is reached the browser hears "200" and bytes pass unchanged.
    bool tunnel = false;
    // A plain request: the head the server is sent, in origin form ("GET /path HTTP/1.1"),
    // with the proxy's and the connection's own headers replaced by "Connection: close".
    std::string serverHead;
};

// Reads a complete head; answers the refusal for a request the front does not carry: a head
// of another form, an origin-form or "https://" target, no host or a host no name can be,
// a port outside 1 to 65535.
std::optional<ProxyRefusal> ReadProxyRequest(const std::string& head, ProxyRequest& request);
