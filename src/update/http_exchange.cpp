// The version check's HTTP exchange over WinINet.
#include "update/http_exchange.h"

#include "framework/application.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <mbstring.h>

namespace {

const char kPlaceholderHost[] = "www.marrowin.example";
const char kServerVariable[] = "MARROWIN_VERSION_SERVER";
const DWORD_PTR kContext = 1;
// Always a fresh answer from the server itself, never one from a cache.
const DWORD kFreshAnswerFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE;
static_assert(kFreshAnswerFlags == 0x84000000, "the request flags the server has always seen");
// A redirect is an answer other than 200 like any other: a server that sends the check from
// address to address cannot keep it asking.
const DWORD kRequestFlags = kFreshAnswerFlags | INTERNET_FLAG_NO_AUTO_REDIRECT;
const DWORD kChunkSize = 1999;
// A broken or hostile server cannot make the program hold more than this.
const DWORD kBodyLimit = 64 * 1024;

std::string EnvironmentValue(const char* name) {
    std::vector<char> value(256);
    for (;;) {
        DWORD length =
            ::GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
        if (length < value.size())
            return std::string(value.data(), length);
        value.resize(length);
    }
}

// The executable's file name without its folder and extension, which the server sees as the
// user agent, as it always has.
std::string ApplicationName() {
    std::string path = fw::ExecutablePath();
    // Multibyte-aware, so that a trail byte equal to a backslash does not cut the name.
    std::vector<unsigned char> name(path.begin(), path.end());
    name.push_back('\0');
    unsigned char* start = name.data();
    if (unsigned char* slash = _mbsrchr(start, '\\'))
        start = slash + 1;
    if (unsigned char* dot = _mbsrchr(start, '.'))
        *dot = '\0';
    return reinterpret_cast<const char*>(start);
}

void SetNumberOption(HINTERNET session, DWORD option, DWORD value) {
    ::InternetSetOptionA(session, option, &value, sizeof(value));
}

DWORD StatusCode(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr))
        return 0;
    return status;
}

// Each chunk is cut at its first zero byte: the server's text ends there. An abandoned
// exchange stops reading.
void ReadBody(HINTERNET request, const std::atomic<bool>& aborted, std::string& body) {
    char buffer[kChunkSize + 1];
    DWORD total = 0;
    while (total < kBodyLimit && !aborted) {
        DWORD read = 0;
        if (!::InternetReadFile(request, buffer, std::min(kChunkSize, kBodyLimit - total), &read) ||
            read == 0)
            return;
        total += read;
        buffer[read] = '\0';
        body.append(buffer, std::strlen(buffer));
    }
}

} // namespace

VersionServer VersionServerAddress() {
    VersionServer server = {kPlaceholderHost, INTERNET_DEFAULT_HTTP_PORT};
    std::string value = EnvironmentValue(kServerVariable);
    if (value.empty())
        return server;
    size_t colon = value.find(':');
    server.host = value.substr(0, colon);
    if (colon != std::string::npos) {
        char* end = nullptr;
        unsigned long port = std::strtoul(value.c_str() + colon + 1, &end, 10);
        if (*end == '\0' && port > 0 && port <= 65535)
            server.port = static_cast<INTERNET_PORT>(port);
    }
    return server;
}

HttpComunicationCenter::HttpComunicationCenter(DWORD answerTimeoutMs)
    : answerTimeoutMs_(answerTimeoutMs) {
    session_.Reset(::InternetOpenA(ApplicationName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                   nullptr, 0));
}

HttpComunicationCenter::~HttpComunicationCenter() {
    CloseAll();
}

bool HttpComunicationCenter::Connect() {
    if (!aborted_ && session_) {
        // Only tuning: a library that lacks one of them (Wine has no connect back-off) still
        // reaches the server, so their failure does not fail the connect.
        SetNumberOption(session_.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, 3000);
        SetNumberOption(session_.Get(), INTERNET_OPTION_CONNECT_BACKOFF, 1000);
        SetNumberOption(session_.Get(), INTERNET_OPTION_CONNECT_RETRIES, 1);
        VersionServer server = VersionServerAddress();
        connection_.Reset(::InternetConnectA(session_.Get(), server.host.c_str(), server.port,
                                             nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, kContext));
        if (connection_) {
            // A server that takes the request and never answers would otherwise keep the check
            // waiting for ever under Wine, which has no receive time-out of its own and takes
            // one only on the connection or the request, not on the session.
            SetNumberOption(connection_.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, answerTimeoutMs_);
            return true;
        }
    }
    session_.Reset();
    return false;
}

std::string HttpComunicationCenter::Exchange(const std::string& requestPath) {
    std::string body;
    if (!aborted_ && connection_) {
        request_.Reset(::HttpOpenRequestA(connection_.Get(), "GET", requestPath.c_str(), "HTTP/1.0",
                                          nullptr, nullptr, kRequestFlags, kContext));
        if (request_ && ::HttpSendRequestA(request_.Get(), nullptr, 0, nullptr, 0) &&
            StatusCode(request_.Get()) == HTTP_STATUS_OK)
            ReadBody(request_.Get(), aborted_, body);
    }
    CloseAll();
    return body;
}

void HttpComunicationCenter::CloseAll() {
    request_.Reset();
    connection_.Reset();
    session_.Reset();
}
