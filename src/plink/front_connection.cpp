// One connection of the browser front; see front_connection.h.
#include "plink/front_connection.h"

#include "plink/socks5.h"

#include <climits>

namespace {

// After a refusal the browser's remaining bytes are read and dropped for this long, so that
// closing with unread data does not reset the connection before the browser has the answer.
constexpr ULONGLONG kLingerMs = 2000;
constexpr char kEstablished[] = "HTTP/1.1 200 Connection established\r\n\r\n";
// Reads of one direction in one turn of the loop while all is written on at once.
constexpr int kRoundsPerTurn = 8;

constexpr short kReadable = POLLRDNORM | POLLHUP | POLLERR;

// Whether a failed send or recv only means "not now".
bool WouldBlock() {
    return ::WSAGetLastError() == WSAEWOULDBLOCK;
}

// Writes what the socket takes now; false when the connection is broken.
bool SendPending(SOCKET to, std::string& pending) {
    int size = pending.size() > INT_MAX ? INT_MAX : static_cast<int>(pending.size());
    int sent = ::send(to, pending.data(), size, 0);
    if (sent < 0)
        return WouldBlock();
    pending.erase(0, static_cast<size_t>(sent));
    return true;
}

// Where the socket's entry is, if it is watched at all.
std::optional<size_t> AddEntry(std::vector<WSAPOLLFD>& entries, const Socket& socket,
                               short events) {
    if (!socket || events == 0)
        return std::nullopt;
    entries.push_back(WSAPOLLFD{socket.Get(), events, 0});
    return entries.size() - 1;
}

short Reported(const std::vector<WSAPOLLFD>& entries, std::optional<size_t> entry) {
    return entry && *entry < entries.size() ? entries[*entry].revents : 0;
}

} // namespace

FrontConnection::FrontConnection(Socket client, const FrontSettings& settings, ULONGLONG now)
    : settings_(settings), client_(std::move(client)), now_(now),
      deadline_(now + settings.headTimeMs) {}

void FrontConnection::Watch(std::vector<WSAPOLLFD>& entries) {
    short clientEvents = 0;
    short serverEvents = 0;
    switch (stage_) {
    case Stage::Head:
        clientEvents = POLLRDNORM;
        break;
    case Stage::Connecting:
        serverEvents = POLLWRNORM;
        break;
    case Stage::Choosing:
    case Stage::Requesting:
        serverEvents = up_.pending.empty() ? POLLRDNORM : POLLWRNORM;
        break;
    case Stage::Relaying:
        clientEvents = static_cast<short>((up_.pending.empty() && !up_.ended ? POLLRDNORM : 0) |
                                          (down_.pending.empty() ? 0 : POLLWRNORM));
        serverEvents = static_cast<short>((down_.pending.empty() && !down_.ended ? POLLRDNORM : 0) |
                                          (up_.pending.empty() ? 0 : POLLWRNORM));
        break;
    case Stage::Refusing:
        clientEvents = down_.pending.empty() ? POLLRDNORM : POLLWRNORM;
        break;
    case Stage::Finished:
        break;
    }
    clientEntry_ = AddEntry(entries, client_, clientEvents);
    serverEntry_ = AddEntry(entries, server_, serverEvents);
}

void FrontConnection::Act(const std::vector<WSAPOLLFD>& entries, ULONGLONG now,
                          std::vector<char>& buffer) {
    now_ = now;
    short client = Reported(entries, clientEntry_);
    short server = Reported(entries, serverEntry_);
    switch (stage_) {
    case Stage::Head:
        ReadHead(client, buffer);
        break;
    case Stage::Connecting:
    case Stage::Choosing:
    case Stage::Requesting:
        TalkSocks(server, buffer);
        break;
    case Stage::Relaying:
        Relay(client, server, buffer);
        break;
    case Stage::Refusing:
        Linger(client, buffer);
        break;
    case Stage::Finished:
        break;
    }
}

void FrontConnection::ReadHead(short events, std::vector<char>& buffer) {
    if (now_ >= deadline_)
        return Finish();
    if (!(events & kReadable))
        return;
    int received = ::recv(client_.Get(), buffer.data(), static_cast<int>(buffer.size()), 0);
    if (received < 0 && WouldBlock())
        return;
    if (received <= 0)
        return Finish();
    switch (head_.Add(buffer.data(), static_cast<size_t>(received))) {
    case RequestHead::State::Incomplete:
        return;
    case RequestHead::State::LineTooLong:
        return Refuse(ProxyRefusal::UriTooLong);
    case RequestHead::State::TooLarge:
        return Refuse(ProxyRefusal::HeadTooLarge);
    case RequestHead::State::Complete:
        break;
    }
    if (std::optional<ProxyRefusal> refusal = ReadProxyRequest(head_.Text(), request_))
        return Refuse(*refusal);
    server_ = BeginLoopbackConnection(settings_.socksPort);
    if (!server_)
        return Refuse(ProxyRefusal::BadGateway);
    deadline_ = now_ + settings_.headTimeMs;
    stage_ = Stage::Connecting;
    // A connection on loopback is often up at once; then the request goes now, not a turn later.
    TalkSocks(ConnectedAlready(server_.Get()) ? POLLWRNORM : 0, buffer);
}

// The SOCKS5 exchange: connected, the method chosen, the target asked for by name. ssh may take
// its time to reach the target; up to then only a silent SOCKS port is given up on.
void FrontConnection::TalkSocks(short events, std::vector<char>& buffer) {
    if (stage_ != Stage::Requesting && now_ >= deadline_)
        return Refuse(ProxyRefusal::BadGateway);
    if (stage_ == Stage::Connecting) {
        if (events & POLLWRNORM) {
            // ssh's SOCKS5 side reads on from what it has, so the method, the target and what
            // the browser asked go in one write rather than a round trip each.
            up_.pending = Socks5Greeting() + Socks5Connect(request_.host, request_.port) +
                          (request_.tunnel ? std::string() : request_.serverHead) + head_.Rest();
            stage_ = Stage::Choosing;
        } else if (events) {
            return Refuse(ProxyRefusal::BadGateway); // nothing listens there any more
        }
    }
    if (!up_.pending.empty()) {
        if (!SendPending(server_.Get(), up_.pending))
            Refuse(ProxyRefusal::BadGateway);
        return;
    }
    if (!(events & kReadable))
        return;
    int received = ::recv(server_.Get(), buffer.data(), static_cast<int>(buffer.size()), 0);
    if (received < 0 && WouldBlock())
        return;
    if (received <= 0)
        return Refuse(ProxyRefusal::BadGateway);
    socksReceived_.append(buffer.data(), static_cast<size_t>(received));
    TakeSocksReply();
}

void FrontConnection::TakeSocksReply() {
    if (stage_ == Stage::Choosing) {
        Socks5Reply choice = ReadSocks5Choice(socksReceived_);
        if (choice == Socks5Reply::Refused)
            return Refuse(ProxyRefusal::BadGateway);
        if (choice != Socks5Reply::Accepted)
            return;
        socksReceived_.erase(0, 2);
        stage_ = Stage::Requesting;
    }
    size_t length = 0;
    Socks5Reply reply = ReadSocks5ConnectReply(socksReceived_, length);
    if (reply == Socks5Reply::Refused)
        return Refuse(ProxyRefusal::BadGateway);
    if (reply == Socks5Reply::Accepted)
        StartRelay(socksReceived_.substr(length));
}

// What the target sent already follows the "200" of a tunnel. The browser's request went with
// the SOCKS5 request.
void FrontConnection::StartRelay(const std::string& fromTarget) {
    down_.pending = request_.tunnel ? kEstablished + fromTarget : fromTarget;
    head_ = RequestHead();
    request_ = ProxyRequest();
    socksReceived_ = std::string();
    stage_ = Stage::Relaying;
}

void FrontConnection::Relay(short clientEvents, short serverEvents, std::vector<char>& buffer) {
    if (!Pass(up_, client_.Get(), clientEvents, server_.Get(), buffer) ||
        !Pass(down_, server_.Get(), serverEvents, client_.Get(), buffer))
        return Finish();
    if (up_.shut && down_.shut)
        Finish();
}

// One direction's turn: write what is pending; read and write on while the source has more
// and the destination takes it all, up to a few rounds so that the others get their turn; pass
// the source's end on as the end of sending. False when the connection broke.
bool FrontConnection::Pass(Flow& flow, SOCKET from, short fromEvents, SOCKET to,
                           std::vector<char>& buffer) {
    if (!flow.pending.empty() && !SendPending(to, flow.pending))
        return false;
    bool readable = (fromEvents & kReadable) != 0;
    for (int round = 0; readable && round < kRoundsPerTurn && flow.pending.empty() && !flow.ended;
         ++round) {
        int received = ::recv(from, buffer.data(), static_cast<int>(buffer.size()), 0);
        if (received < 0 && !WouldBlock())
            return false;
        readable = received >= 0;
        if (received < 0)
            break;
        if (received == 0)
            flow.ended = true;
        flow.pending.assign(buffer.data(), static_cast<size_t>(received));
        if (!flow.pending.empty() && !SendPending(to, flow.pending))
            return false;
    }
    if (flow.ended && flow.pending.empty() && !flow.shut) {
        if (::shutdown(to, SD_SEND) != 0)
            return false;
        flow.shut = true;
    }
    return true;
}

void FrontConnection::Refuse(ProxyRefusal refusal) {
    server_.Reset();
    head_ = RequestHead();
    up_ = Flow();
    down_ = Flow();
    down_.pending = RefusalAnswer(refusal);
    deadline_ = now_ + kLingerMs;
    stage_ = Stage::Refusing;
}

// The answer written, the end of sending told, then the browser's bytes dropped until it ends
// too or the time is up.
void FrontConnection::Linger(short events, std::vector<char>& buffer) {
    if (now_ >= deadline_)
        return Finish();
    if (!down_.pending.empty()) {
        if (!SendPending(client_.Get(), down_.pending))
            return Finish();
        if (!down_.pending.empty())
            return;
    }
    if (!down_.shut) {
        if (::shutdown(client_.Get(), SD_SEND) != 0)
            return Finish();
        down_.shut = true;
    }
    if (!(events & kReadable))
        return;
    int received = ::recv(client_.Get(), buffer.data(), static_cast<int>(buffer.size()), 0);
    if (received == 0 || (received < 0 && !WouldBlock()))
        Finish();
}

void FrontConnection::Finish() {
    client_.Reset();
    server_.Reset();
    head_ = RequestHead();
    up_ = Flow();
    down_ = Flow();
    stage_ = Stage::Finished;
}
