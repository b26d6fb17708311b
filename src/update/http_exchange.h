// HttpComunicationCenter: one HTTP request to the version server over WinINet, giving back the
// answer's body. A one-shot object: constructed, connected, one exchange, destroyed. Failures
// are never reported; they give a failed connect or an empty (or partial) body.
#pragma once

#include "update/internet_handle.h"

#include <mutex>
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
    // Opens the Internet session with the system's own settings, so that the request goes
    // through the browser's proxy (the tunnel's too, while privacy is on).
    HttpComunicationCenter();
    virtual ~HttpComunicationCenter();
    HttpComunicationCenter(const HttpComunicationCenter&) = delete;
    HttpComunicationCenter& operator=(const HttpComunicationCenter&) = delete;

    // Prepares the session and opens the HTTP connection; nothing goes over the network yet.
    bool Connect();
    // Sends one GET for the path (given without a leading slash) and returns the body of a 200
    // answer, read up to 64 KiB; then closes everything, whatever happened.
    std::string Exchange(const std::string& requestPath);

    // Safe from any thread: closes every handle and opens no new one. Windows then ends a
    // request waiting for the server at once; Wine lets it wait on, but its answer is dropped.
    void Abort();

private:
    HINTERNET OpenRequest(const std::string& requestPath);
    void CloseAll();

    // Guards the handles, which Abort closes from another thread while a request runs.
    std::mutex mutex_;
    bool aborted_ = false;
    InternetHandle session_;
    InternetHandle connection_;
    InternetHandle request_;
};
