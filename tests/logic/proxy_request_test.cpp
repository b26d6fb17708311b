// The browser front's reading of proxy requests: where a head ends, what it asks for, and what
// the web server is sent.
#include "logic/proxy_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ProxyRequest, HeadsAreReadOrRefused) {
    const std::string longName(300, 'n');
    const std::string longestName = std::string(251, 'n') + ".org";
    const struct {
        std::string head;
        bool refused;
        std::string host;
        int port;
        bool tunnel;
        std::string serverHead; // of a plain request
    } cases[] = {
        {"CONNECT www.example.org:443 HTTP/1.1\r\nHost: www.example.org:443\r\n\r\n", false,
         "www.example.org", 443, true, ""},
        {"CONNECT " + longestName + ":0443 HTTP/1.1\r\n\r\n", false, longestName, 443, true, ""},
        {"CONNECT [2001:db8::1]:8443 HTTP/1.1\r\n\r\n", false, "2001:db8::1", 8443, true, ""},
        {"GET http://www.example.org/a?b HTTP/1.1\r\nHost: elsewhere\r\nProxy-Connection: "
         "keep-alive\r\nAccept: */*\r\nconnection: keep-alive\r\nKeep-Alive: 300\r\n"
         "Proxy-Authorization: Basic eA==\r\n\r\n",
         false, "www.example.org", 80, false,
         "GET /a?b HTTP/1.1\r\nHost: www.example.org\r\nAccept: */*\r\nConnection: close\r\n\r\n"},
        // Bare LF, no Host header, no path; a method of any case goes on as written.
        {"propfind HTTP://Web_1.Example:8080?q HTTP/1.0\nDepth: 1\n\n", false, "Web_1.Example",
         8080, false,
         "propfind /?q HTTP/1.0\r\nHost: Web_1.Example:8080\r\nDepth: 1\r\nConnection: close\r\n\r\n"},
        {"CONNECT www.example.org:0 HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"CONNECT www.example.org:65536 HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"CONNECT www.example.org HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"CONNECT " + longName + ":443 HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"connect www.example.org:443 HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"GET https://www.example.org/ HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"GET /index.html HTTP/1.1\r\nHost: www.example.org\r\n\r\n", true, "", 0, false, ""},
        {"GET http:///index.html HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"GET http://user@www.example.org/ HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"GET http://www.exa%6Dple.org/ HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"GET http://[::1/ HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"G(T http://www.example.org/ HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"GET http://www.example.org/ HTTP/2.0\r\n\r\n", true, "", 0, false, ""},
        {"GET  http://www.example.org/ HTTP/1.1\r\n\r\n", true, "", 0, false, ""},
        {"GET http://www.example.org/ HTTP/1.1\r\nNo colon\r\n\r\n", true, "", 0, false, ""},
        {"GET http://www.example.org/ HTTP/1.1\r\nA: 1\r\n folded\r\n\r\n", true, "", 0, false, ""},
        {"GET http://www.example.org/ HTTP/1.1\r\nA: 1\rB: 2\r\n\r\n", true, "", 0, false, ""},
    };
    for (const auto& c : cases) {
        ProxyRequest request;
        std::optional<ProxyRefusal> refusal = ReadProxyRequest(c.head, request);
        EXPECT_EQ(c.refused, refusal.has_value()) << c.head;
        if (c.refused)
            continue;
        EXPECT_EQ(c.host, request.host) << c.head;
        EXPECT_EQ(c.port, request.port) << c.head;
        EXPECT_EQ(c.tunnel, request.tunnel) << c.head;
        EXPECT_EQ(c.serverHead, request.serverHead) << c.head;
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
        {{line + "\r\nHost: h\r\n"}, State::Incomplete, ""},
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
