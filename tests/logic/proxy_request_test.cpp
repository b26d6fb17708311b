// The browser front's reading of proxy requests: where a head ends, what it asks for, and what
// the web server is sent.
#include "logic/proxy_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ProxyRequest, HeadsAreReadOrRefused) {
    const std::string longestName = std::string(251, 'n') + ".org";
    const struct {
        std::string head;
        std::string host;
        int port;
        std::string serverHead; // empty for CONNECT
    } cases[] = {
        {"CONNECT www.example.org:443 HTTP/1.1\r\nHost: x\r\n\r\n", "www.example.org", 443, ""},
        {"CONNECT " + longestName + ":0443 HTTP/1.1\r\n\r\n", longestName, 443, ""},
        {"CONNECT [2001:db8::1]:8443 HTTP/1.1\r\n\r\n", "2001:db8::1", 8443, ""},
        {"GET http://www.example.org/a?b HTTP/1.1\r\nHost: elsewhere\r\nProxy-Connection: "
         "keep-alive\r\nAccept: */*\r\nconnection: keep-alive\r\nKeep-Alive: 300\r\n"
         "Proxy-Authorization: Basic eA==\r\n\r\n",
         "www.example.org", 80,
         "GET /a?b HTTP/1.1\r\nHost: www.example.org\r\nAccept: */*\r\nConnection: close\r\n\r\n"},
        // Bare LF, no Host header, no path; a method of any case goes on as written.
        {"propfind HTTP://Web_1.Example:8080?q HTTP/1.0\nDepth: 1\n\n", "Web_1.Example", 8080,
         "propfind /?q HTTP/1.0\r\nHost: Web_1.Example:8080\r\nDepth: 1\r\nConnection: "
         "close\r\n\r\n"},
    };
    for (const auto& c : cases) {
        ProxyRequest request;
        EXPECT_FALSE(ReadProxyRequest(c.head, request)) << c.head;
        EXPECT_EQ(c.host, request.host) << c.head;
        EXPECT_EQ(c.port, request.port) << c.head;
        EXPECT_EQ(c.serverHead.empty(), request.tunnel) << c.head;
        EXPECT_EQ(c.serverHead, request.serverHead) << c.head;
    }
    // The request line, or the whole head where it has headers.
    // clang-format off
    const std::string refused[] = {
        "CONNECT www.example.org:0", "CONNECT www.example.org:65536", "CONNECT www.example.org",
        "CONNECT " + std::string(300, 'n') + ":443", "connect www.example.org:443",
        "GET https://www.example.org/", "GET /index.html", "GET http:///index.html",
        "GET http://user@www.example.org/", "GET http://www.exa%6Dple.org/", "GET http://[::1/",
        "G(T http://www.example.org/", "GET  http://www.example.org/",
        "GET http://www.example.org/ HTTP/2.0\r\n\r\n",
        "GET http://www.example.org/ HTTP/1.1\r\nNo colon\r\n\r\n",
        "GET http://www.example.org/ HTTP/1.1\r\nA: 1\r\n folded\r\n\r\n",
        "GET http://www.example.org/ HTTP/1.1\r\nA: 1\rB: 2\r\n\r\n"};
    // clang-format on
    for (const std::string& text : refused) {
        ProxyRequest request;
        std::string head = text.find('\n') == std::string::npos ? text + " HTTP/1.1\r\n\r\n" : text;
        EXPECT_EQ(ProxyRefusal::BadRequest, ReadProxyRequest(head, request)) << head;
    }
}

TEST(ProxyRequest, TheHeadEndsAtTheFirstEmptyLineWhateverTheChunks) {
    using State = RequestHead::State;
    const std::string line = "GET http://h.example/ HTTP/1.1";
    const struct {
        std::vector<std::string> chunks;
        State state;
        std::string rest;
    } cases[] = {
        {{line + "\r\nHo", "st: h\r", "\n\r", "\nbody", "more"}, State::Complete, "body"},
        {{"\r\n" + line + "\n\nX"}, State::Complete, "X"},
        {{std::string(kMaxRequestLine, 'a'), "b"}, State::LineTooLong, ""},
        {{line + "\r\nX: ", std::string(kMaxRequestHead, 'b'), "\r\n\r\n"}, State::TooLarge, ""},
    };
    for (const auto& c : cases) {
        RequestHead head;
        for (const std::string& chunk : c.chunks)
            head.Add(chunk.data(), chunk.size());
        EXPECT_EQ(c.state, head.Current()) << c.chunks[0].substr(0, 40);
        EXPECT_EQ(c.rest, head.Rest()) << c.chunks[0].substr(0, 40);
    }
}

} // namespace
