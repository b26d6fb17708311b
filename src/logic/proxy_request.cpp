// Reading a browser's proxy request; see proxy_request.h.
#include "logic/proxy_request.h"

#include <vector>

namespace {

struct Header {
    std::string name;
    std::string line;
};

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

bool StartsIgnoringCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && SameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A method or a header's name: HTTP's token characters.
bool IsToken(const std::string& word) {
    const std::string others = "!#$%&'*+-.^_`|~";
    for (char c : word) {
        if (!IsAsciiLetter(c) && !IsDigit(c) && others.find(c) == std::string::npos)
            return false;
    }
    return !word.empty();
}

// A name as a server resolves it, or an IPv4 address; never a character that would reach the
// server's resolver as something else.
bool IsHostName(const std::string& host) {
    for (char c : host) {
        if (!IsAsciiLetter(c) && !IsDigit(c) && c != '.' && c != '-' && c != '_')
            return false;
    }
    return !host.empty() && host.size() <= kMaxHostName;
}

bool IsIpv6Literal(const std::string& host) {
    for (char c : host) {
        if (!IsDigit(c) && !(Lower(c) >= 'a' && Lower(c) <= 'f') && c != ':' && c != '.')
            return false;
    }
    return host.find(':') != std::string::npos && host.size() <= 45;
}

// "443" or "0080"; nothing for no number or one outside 1 to 65535.
std::optional<int> ReadPort(const std::string& text) {
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int port = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

// "host:port", "[v6]:port", or without the port when there is a default.
bool ReadAuthority(const std::string& text, std::optional<int> defaultPort, ProxyRequest& request) {
    std::string host = text;
    std::string port;
    bool hasPort = false;
    if (!text.empty() && text[0] == '[') {
        size_t close = text.find(']');
        if (close == std::string::npos || (close + 1 < text.size() && text[close + 1] != ':'))
            return false;
        host = text.substr(1, close - 1);
        hasPort = close + 1 < text.size();
        port = hasPort ? text.substr(close + 2) : std::string();
        if (!IsIpv6Literal(host))
            return false;
    } else {
        size_t colon = text.find(':');
        hasPort = colon != std::string::npos;
        host = text.substr(0, colon);
        port = hasPort ? text.substr(colon + 1) : std::string();
        if (!IsHostName(host))
            return false;
    }
    std::optional<int> number = hasPort ? ReadPort(port) : defaultPort;
    if (!number)
        return false;
    request.host = host;
    request.port = *number;
    return true;
}

// The head's lines without their line ends, from the request line to the last header; the
// empty lines a client may send before the request line are passed over.
std::vector<std::string> HeadLines(const std::string& head) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < head.size()) {
        size_t end = head.find('\n', start);
        if (end == std::string::npos)
            end = head.size();
        std::string line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = end + 1;
        if (line.empty() && !lines.empty())
            break;
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

// The header lines after the request line; false for one that is not "name: value", a folded
// line, or a line with a stray CR or NUL (which a server might read as a line of its own).
bool ReadHeaders(const std::vector<std::string>& lines, std::vector<Header>& headers) {
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        size_t colon = line.find(':');
        if (colon == std::string::npos || !IsToken(line.substr(0, colon)) ||
            line.find('\r') != std::string::npos || line.find('\0') != std::string::npos)
            return false;
        headers.push_back({line.substr(0, colon), line});
    }
    return true;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t start = 0;
    for (;;) {
        size_t end = line.find(' ', start);
        words.push_back(line.substr(start, end - start));
        if (end == std::string::npos)
            return words;
        start = end + 1;
    }
}

// Headers of the browser's connection to the proxy, and the Host, which the URI's authority
// replaces.
bool IsDropped(const std::string& name) {
    for (const char* dropped :
         {"Host", "Connection", "Proxy-Connection", "Keep-Alive", "Proxy-Authorization"}) {
        if (SameIgnoringCase(name, dropped))
            return true;
    }
    return false;
}

// "GET http://host[:port]/path HTTP/1.1" becomes "GET /path HTTP/1.1" for the server.
bool ReadAbsoluteRequest(const std::vector<std::string>& words, const std::vector<Header>& headers,
                         ProxyRequest& request) {
    const std::string scheme = "http://";
    if (!StartsIgnoringCase(words[1], scheme))
        return false;
    size_t pathStart = words[1].find_first_of("/?#", scheme.size());
    std::string authority = words[1].substr(scheme.size(), pathStart - scheme.size());
    std::string path = pathStart == std::string::npos ? std::string() : words[1].substr(pathStart);
    path = path.substr(0, path.find('#'));
    if (path.empty() || path[0] != '/')
        path = "/" + path;
    if (!ReadAuthority(authority, 80, request))
        return false;
    std::string head = words[0] + " " + path + " " + words[2] + "\r\nHost: " + authority + "\r\n";
    for (const Header& header : headers) {
        if (!IsDropped(header.name))
            head += header.line + "\r\n";
    }
    request.serverHead = head + "Connection: close\r\n\r\n";
    request.tunnel = false;
    return true;
}

} // namespace

RequestHead::State RequestHead::Add(const char* data, size_t size) {
    for (size_t i = 0; i < size && state_ == State::Incomplete; ++i) {
        text_ += data[i];
        if (firstLine_ && data[i] != '\n' && text_.size() - lineStart_ > kMaxRequestLine) {
            state_ = State::LineTooLong;
        } else if (text_.size() > kMaxRequestHead) {
            state_ = State::TooLarge;
        } else if (data[i] == '\n') {
            size_t length = text_.size() - 1 - lineStart_;
            bool empty = length == 0 || (length == 1 && text_[lineStart_] == '\r');
            if (empty && !firstLine_) {
                state_ = State::Complete;
                rest_.assign(data + i + 1, size - i - 1);
            }
            // Empty lines before the request line are allowed, and passed over.
            firstLine_ = firstLine_ && empty;
            lineStart_ = text_.size();
        }
    }
    return state_;
}

std::string RefusalAnswer(ProxyRefusal refusal) {
    std::string status;
    std::string body;
    switch (refusal) {
    case ProxyRefusal::BadRequest:
        status = "400 Bad Request";
        body = "The proxy request could not be read.";
        break;
    case ProxyRefusal::UriTooLong:
        status = "414 URI Too Long";
        body = "The request line is too long.";
        break;
    case ProxyRefusal::HeadTooLarge:
        status = "431 Request Header Fields Too Large";
        body = "The request's header fields are too large.";
        break;
    case ProxyRefusal::BadGateway:
        status = "502 Bad Gateway";
        body = "The SSH server could not reach the requested host.";
        break;
    case ProxyRefusal::Busy:
        status = "503 Service Unavailable";
        body = "Too many connections are open; try again later.";
        break;
    }
    body += "\r\n";
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

std::optional<ProxyRefusal> ReadProxyRequest(const std::string& head, ProxyRequest& request) {
    std::vector<std::string> lines = HeadLines(head);
    if (lines.empty())
        return ProxyRefusal::BadRequest;
    std::vector<std::string> words = Words(lines[0]);
    std::vector<Header> headers;
    if (words.size() != 3 || !IsToken(words[0]) || words[1].empty() ||
        words[2].compare(0, 7, "HTTP/1.") != 0 || words[2].size() != 8 || !IsDigit(words[2][7]) ||
        !ReadHeaders(lines, headers))
        return ProxyRefusal::BadRequest;
    ProxyRequest read;
    // Methods are case-sensitive: "connect" is some other method, which needs an absolute URI.
    if (words[0] == "CONNECT") {
        if (!ReadAuthority(words[1], std::nullopt, read))
            return ProxyRefusal::BadRequest;
        read.tunnel = true;
    } else if (!ReadAbsoluteRequest(words, headers, read)) {
        return ProxyRefusal::BadRequest;
    }
    request = read;
    return std::nullopt;
}
