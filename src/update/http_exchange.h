// HttpComunicationCenter: one HTTP request to the version server over WinINet, giving back the
// answer's body. A one-shot object: constructed, connected, one exchange, destroyed. Failures
// are never reported; they give a failed connect or an empty (or partial) body.
#pragma once

#include "update/internet_handle.h"

#include <atomic>
#include <string>

// Where the version server is: our placeholder host on the HTTP port, unless the environment
// variable MARROWIN_VERSION_SERVER names another as "host" or "host:port".
struct VersionServer {
    std::string host;
    INTERNET_PORT port;
};
VersionServer VersionServerAddress();

class HttpComunicationCenter {
public:
    // How long the server may take to answer before the exchange gives up.
    static const DWORD kAnswerTimeoutMs = 10000;

    // Opens the Internet session with the system's own settings, so that the request goes
    // through the browser's proxy (the tunnel's too, while privacy is on).
    explicit HttpComunicationCenter(DWORD answerTimeoutMs = kAnswerTimeoutMs);
    virtual ~HttpComunicationCenter();
    HttpComunicationCenter(const HttpComunicationCenter&) = delete;
    HttpComunicationCenter& operator=(const HttpComunicationCenter&) = delete;

    // Prepares the session and opens the HTTP connection; nothing goes over the network yet.
    bool Connect();
    // Sends one GET for the path (given without a leading slash) and returns the body of a 200
    // answer, read up to 64 KiB; then closes everything, whatever happened.
    std::string Exchange(const std::string& requestPath);

    // Safe from any thread: the exchange reads nothing more and stops at its next step. The
    // handles stay the exchange's own to close: one closed under a running call could be given
    // to another request before the exchange's next call used it. A request that waits for the
    // server goes on waiting, at most for the answer time-out.
    void Abort() { aborted_ = true; }

private:
    void CloseAll();

    const DWORD answerTimeoutMs_;
    std::atomic<bool> aborted_{false};
    InternetHandle session_;
    InternetHandle connection_;
    InternetHandle request_;
};
