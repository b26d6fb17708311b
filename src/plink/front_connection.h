// One browser connection of the browser front (http_front.h), from its request's head to the
// end of what it relays: the head read within a time limit, ssh's SOCKS5 port asked for the
// host by name, then bytes passed both ways until both sides have ended. Driven by the front's
// poll loop; it never blocks.
#pragma once

#include "logic/proxy_request.h"
#include "plink/loopback.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct FrontSettings {
    // ssh's dynamic forwarding on 127.0.0.1.
    int socksPort = 0;
    // A browser that has not sent its request's whole head by then is closed, as is a request
    // that ssh's SOCKS5 port has not begun to serve by that time after the head.
    ULONGLONG headTimeMs = 15000;
};

class FrontConnection {
public:
    FrontConnection(Socket client, const FrontSettings& settings, ULONGLONG now);
    FrontConnection(const FrontConnection&) = delete;
    FrontConnection& operator=(const FrontConnection&) = delete;

    // Adds its sockets to the poll list, each with what the connection waits for.
    void Watch(std::vector<WSAPOLLFD>& entries);
    // Acts on what the poll reported for the entries Watch added, and on the time. The buffer
    // is the loop's own, lent for reading.
    void Act(const std::vector<WSAPOLLFD>& entries, ULONGLONG now, std::vector<char>& buffer);
    // Reads what the browser has sent already, right after the connection was taken: a request
    // usually follows its connection at once, and each turn of the loop costs time.
    void Begin(std::vector<char>& buffer) { ReadHead(POLLRDNORM, buffer); }
    bool Finished() const { return stage_ == Stage::Finished; }

private:
    enum class Stage { Head, Connecting, Choosing, Requesting, Relaying, Refusing, Finished };
    // The bytes of one direction.
    struct Flow {
        std::string pending; // read from the source, not yet all written on
        bool ended = false;  // the source has sent all it will
        bool shut = false;   // and the destination has been told so
    };

    void ReadHead(short events, std::vector<char>& buffer);
    void TalkSocks(short events, std::vector<char>& buffer);
    void TakeSocksReply();
    void StartRelay(const std::string& fromTarget);
    void Relay(short clientEvents, short serverEvents, std::vector<char>& buffer);
    bool Pass(Flow& flow, SOCKET from, short fromEvents, SOCKET to, std::vector<char>& buffer);
    void Refuse(ProxyRefusal refusal);
    void Linger(short events, std::vector<char>& buffer);
    void Finish();

    FrontSettings settings_;
    Socket client_;
    Socket server_;
    Stage stage_ = Stage::Head;
    ULONGLONG now_ = 0;
    ULONGLONG deadline_ = 0;
    RequestHead head_;
    ProxyRequest request_;
    std::string socksReceived_;
    Flow up_;   // browser to server
    Flow down_; // server to browser
    std::optional<size_t> clientEntry_;
    std::optional<size_t> serverEntry_;
};
