// plink.exe's browser front, with the stand-in ssh.exe's SOCKS5 side, which records the names it
// is asked for: pages of the tests' HTTP server fetched by name, then a storm of bad clients at
// a front of the test's own on the same SOCKS port.
#include "plink_fixture.h"

#include "logic/command_line.h"
#include "plink/http_front.h"
#include "support/http_test_server.h"
#include "support/loopback.h"
#include "support/scripted_user.h"
#include "tunnel/client_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// A connection to the port with the data sent on it; it gives up reading after ten seconds.
SOCKET Send(int port, const std::string& data) {
    sockaddr_in address = Loopback(port);
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    DWORD limitMs = 10000;
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&limitMs), sizeof(limitMs));
    ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::send(s, data.data(), static_cast<int>(data.size()), 0);
    return s;
}

// Everything that arrives until the other side ends; nothing when it did not end in time.
std::optional<std::string> ReceiveToEnd(SOCKET s) {
    std::string text;
    char buffer[4096];
    int got = 0;
    while ((got = ::recv(s, buffer, sizeof(buffer), 0)) > 0)
        text.append(buffer, got);
    ::closesocket(s);
    return got == 0 ? std::optional<std::string>(text) : std::nullopt;
}

std::string Exchange(int port, const std::string& request) {
    SOCKET s = Send(port, request);
    ::shutdown(s, SD_SEND);
    return ReceiveToEnd(s).value_or("<no end>");
}

class HttpFrontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(0, server_.Port());
        ASSERT_EQ(3u, ports_.size());
        ASSERT_TRUE(session_.SetString("HostName", "tunnel.example.org"));
        std::string forwardings = "L" + std::to_string(ports_[0]) + "=proxy.example:3128,L" +
                                  std::to_string(ports_[1]) + "=localhost:25,";
        ASSERT_TRUE(session_.SetString("PortForwardings", forwardings));
        ASSERT_TRUE(session_.SetDword("BrowserFrontPort", ports_[0]));
        ssh_.Script({"askpass", "authenticated", "listen", "stay"});
        server_.Answer(200, "the page");
    }

    void StartEstablished() {
        ASSERT_TRUE(plink_.Start(ClientArguments("s3cret", session_.Name())));
        ASSERT_TRUE(PumpMessagesUntil([&] { return window_.arrived.size() >= 2; }, 20000));
        ASSERT_EQ((std::vector<UINT>{WM_QV_CON_START, WM_QV_CON_ESTH}), window_.arrived)
            << plink_.ErrorOutput();
    }

    // ssh's SOCKS port, from its "-D 127.0.0.1:<port>"; 0 without one.
    int SocksPort() const {
        std::vector<std::string> args = ssh_.Values("arg");
        auto d = std::find(args.begin(), args.end(), "-D") + 1;
        return d >= args.end() ? 0 : std::atoi(d->c_str() + 10);
    }

    std::string Site() const { return "www.front.example:" + std::to_string(server_.Port()); }
    // A plain request, answered through the front.
    std::string Fetch(int port) const {
        return Exchange(port, "GET http://" + Site() + "/page HTTP/1.1\r\nHost: " + Site() +
                                  "\r\nProxy-Connection: keep-alive\r\n\r\n");
    }

    HttpTestServer server_;
    ReportWindow window_{"Marrowin"};
    StandInSshFolder ssh_;
    ScopedVariable sshProgram_{"MARROWIN_SSH", StandInSshPath().c_str()};
    SessionKey session_{UniqueSessionName("front.example.org")};
    std::vector<int> ports_ = FreeLocalPorts(3); // the front's, another forwarding's, a spare
    PlinkRun plink_;
};

TEST_F(HttpFrontTest, PagesAreFetchedByNameThroughTheFront) {
    StartEstablished();
    std::vector<std::string> args = ssh_.Values("arg");
    EXPECT_EQ(1, std::count(args.begin(), args.end(), "-L")) << "the front's port is not ssh's";

    // A plain request reaches the server in origin form.
    EXPECT_NE(std::string::npos, Fetch(ports_[0]).find("the page"));
    EXPECT_EQ(0u, server_.LastRequestHead().find("GET /page HTTP/1.1\r\n"));

    // A tunnel passes on what the browser sent right behind its head.
    std::string answer = Exchange(ports_[0], "CONNECT " + Site() + " HTTP/1.1\r\n\r\n" +
                                                 "GET /tunnelled HTTP/1.1\r\n\r\n");
    EXPECT_EQ(0u, answer.find("HTTP/1.1 200 Connection established\r\n\r\nHTTP/1.0 200 "))
        << answer;
    EXPECT_EQ(0u, server_.LastRequestHead().find("GET /tunnelled "));

    // A name the server cannot reach.
    EXPECT_EQ(0u, Exchange(ports_[0], "CONNECT nowhere.example:80 HTTP/1.1\r\n\r\n")
                      .find("HTTP/1.1 502 Bad Gateway\r\n"));
    // The names reached ssh as names; no address was ever asked for.
    EXPECT_EQ((std::vector<std::string>{Site(), Site(), "nowhere.example:80"}),
              ssh_.Values("socks-connect"));
}

// A front port that is no port breaks the session; one that another program holds may be free
// at the next attempt.
TEST_F(HttpFrontTest, WithoutItsFrontPortTheRunEndsWithItsReason) {
    const struct {
        DWORD port;
        DWORD exitCode;
        std::string reason;
    } cases[] = {{0, 3, "The saved session of this account is missing or broken."},
                 {static_cast<DWORD>(ports_[0]), 6,
                  "The local port " + std::to_string(ports_[0]) +
                      ", where the browser is pointed, is in use by another program."}};
    PortHolder other(ports_[0]);
    for (const auto& c : cases) {
        ASSERT_TRUE(session_.SetDword("BrowserFrontPort", c.port));
        PlinkRun run;
        ASSERT_TRUE(run.Start(ClientArguments("s3cret", session_.Name())));
        EXPECT_EQ(c.exitCode, run.WaitForExit());
        EXPECT_EQ((std::vector<UINT>{WM_QV_CON_START, WM_QV_STOP}), window_.arrived);
        EXPECT_EQ(std::vector<std::string>{c.reason}, window_.reasonsAtStop);
        window_.arrived.clear();
        window_.reasonsAtStop.clear();
    }
    EXPECT_FALSE(ssh_.WasStarted());
}

// Each bad client hears a refusal or is closed, the others are served meanwhile, and once
// they are gone the front holds no connection. (Wine gives no process handle count.)
TEST_F(HttpFrontTest, AStormOfBadClientsLeavesTheFrontServing) {
    StartEstablished();
    const size_t limit = 300;
    HttpFront front(limit, 2000);
    ASSERT_FALSE(front.Open(ports_[2]));
    ASSERT_FALSE(front.Start(SocksPort()));
    const int port = ports_[2];

    const struct {
        std::string request;
        const char* answer; // its start; empty: closed without one
    } cases[] = {
        {"GET http://www.front.example/" + std::string(1 << 20, 'a'), "HTTP/1.1 414 "},
        {"GET http://www.front.example/ HTTP/1.1\r\nX: " + std::string(70000, 'h'),
         "HTTP/1.1 431 "},
        {"GET http://www.front.example/ HTTP/1.1\r\nHost: www.front.example\r\n", ""},
        {"CONNECT www.front.example:0 HTTP/1.1\r\n\r\n", "HTTP/1.1 400 "},
        {"CONNECT " + std::string(300, 'n') + ":443 HTTP/1.1\r\n\r\n", "HTTP/1.1 400 "},
        // Ended half-way on the browser's side: the server's answer still comes back.
        {"CONNECT " + Site() + " HTTP/1.1\r\n\r\nGET /half HTTP/1.1\r\n",
         "HTTP/1.1 200 Connection established\r\n\r\nHTTP/1.0 200 "},
    };
    std::vector<SOCKET> clients;
    for (const auto& c : cases)
        clients.push_back(Send(port, c.request));
    ::closesocket(Send(port, "GET http://www.fr")); // gone half-way
    ::shutdown(clients.back(), SD_SEND);
    EXPECT_NE(std::string::npos, Fetch(port).find("the page")) << "served meanwhile";

    std::vector<SOCKET> crowd;
    for (int i = 0; i < 500; ++i)
        crowd.push_back(Send(port, ""));
    for (size_t i = 0; i < clients.size(); ++i) {
        std::optional<std::string> answer = ReceiveToEnd(clients[i]);
        ASSERT_TRUE(answer) << "not closed: " << cases[i].request.substr(0, 60);
        EXPECT_EQ(0u, answer->find(cases[i].answer)) << *answer;
    }
    size_t turnedAway = 0;
    for (SOCKET s : crowd) {
        std::optional<std::string> answer = ReceiveToEnd(s);
        ASSERT_TRUE(answer) << "a crowd's connection was never closed";
        turnedAway += answer->find("HTTP/1.1 503 ") == 0;
    }
    EXPECT_GE(turnedAway, 500 - limit);

    EXPECT_NE(std::string::npos, Fetch(port).find("the page")) << "served after";
    EXPECT_TRUE(PumpMessagesUntil([&] { return front.OpenConnections() == 0; }, 10000));
}

} // namespace
