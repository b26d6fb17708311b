// The browser front's loop; see http_front.h.
#include "plink/http_front.h"

#include "logic/proxy_request.h"
#include "plink/error_output.h"

#include <algorithm>
#include <memory>
#include <system_error>

namespace {

// The loop's one buffer: what a read takes from a socket is written on at once, so only what a
// destination did not take stays with its connection.
constexpr size_t kReadBufferSize = 256 * 1024;
// The loop wakes at least this often to see the time limits and whether it is to stop.
constexpr INT kPollMs = 1000;
// Connections taken from the queue in one turn of the loop, so that a flood of new ones does
// not keep the others waiting.
constexpr int kAcceptsPerTurn = 64;

// A connection over the limit hears why and is closed. The answer is small enough for any
// new socket's buffer; if it does not go, the close says the same.
void TurnAway(Socket client) {
    std::string answer = RefusalAnswer(ProxyRefusal::Busy);
    ::send(client.Get(), answer.data(), static_cast<int>(answer.size()), 0);
    ::shutdown(client.Get(), SD_SEND);
}

} // namespace

HttpFront::HttpFront(size_t maxConnections, ULONGLONG headTimeMs)
    : maxConnections_(maxConnections) {
    settings_.headTimeMs = headTimeMs;
}

HttpFront::~HttpFront() {
    stopping_ = true;
    if (thread_.joinable()) {
        // A connection of our own wakes the loop at once; without it the loop's next turn
        // sees the stop within a second.
        Socket wake(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in address = LoopbackAddress(port_);
        if (wake)
            ::connect(wake.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address));
        thread_.join();
    }
}

std::optional<int> HttpFront::Open(int port) {
    port_ = port;
    return ListenOnLoopback(port, listener_);
}

std::optional<std::string> HttpFront::Start(int socksPort) {
    settings_.socksPort = socksPort;
    try {
        thread_ = std::thread(&HttpFront::Serve, this);
    } catch (const std::system_error& error) {
        return std::string("The browser front's thread could not be started: ") + error.what();
    }
    return std::nullopt;
}

void HttpFront::Serve() {
    std::vector<std::unique_ptr<FrontConnection>> connections;
    std::vector<WSAPOLLFD> entries;
    buffer_.resize(kReadBufferSize);
    bool pollFailed = false;
    while (!stopping_) {
        entries.assign(1, WSAPOLLFD{listener_.Get(), POLLRDNORM, 0});
        for (const std::unique_ptr<FrontConnection>& connection : connections)
            connection->Watch(entries);
        if (::WSAPoll(entries.data(), static_cast<ULONG>(entries.size()), kPollMs) ==
            SOCKET_ERROR) {
            // Said once; the loop tries again after a pause rather than leave the browser
            // without its proxy.
            if (!pollFailed)
                WriteError("The browser front could not wait for its connections (error " +
                           std::to_string(::WSAGetLastError()) + ").");
            pollFailed = true;
            ::Sleep(kPollMs);
            continue;
        }
        ULONGLONG now = ::GetTickCount64();
        for (const std::unique_ptr<FrontConnection>& connection : connections)
            connection->Act(entries, now, buffer_);
        connections.erase(std::remove_if(connections.begin(), connections.end(),
                                         [](const std::unique_ptr<FrontConnection>& connection) {
                                             return connection->Finished();
                                         }),
                          connections.end());
        if (entries[0].revents)
            Accept(connections, now);
        open_ = connections.size();
    }
}

void HttpFront::Accept(std::vector<std::unique_ptr<FrontConnection>>& connections, ULONGLONG now) {
    for (int i = 0; i < kAcceptsPerTurn && !stopping_; ++i) {
        // None waiting, or one that failed before it was taken: the next turn goes on.
        Socket client(::accept(listener_.Get(), nullptr, nullptr));
        if (!client)
            return;
        if (connections.size() >= maxConnections_ || !MakeNonBlocking(client.Get())) {
            TurnAway(std::move(client));
            continue;
        }
        TuneForRelay(client.Get());
        connections.push_back(std::make_unique<FrontConnection>(std::move(client), settings_, now));
        connections.back()->Begin(buffer_);
    }
}
