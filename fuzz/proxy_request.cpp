// Fuzzes the browser front's reading of a request head: however the bytes are cut into chunks
// the head reads the same, it never grows past its limits, and a request it carries names a
// host SOCKS5 can take and a port, with a head for the server that ends as a head does.
// Input: the bytes a browser sends; its first byte chooses where they are cut.
#include "fuzz_support.h"

#include "logic/proxy_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t cut = data[0] % 16 + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const size_t length = size - 1;

    RequestHead whole;
    RequestHead chunked;
    whole.Add(bytes, length);
    for (size_t at = 0; at < length; at += cut)
        chunked.Add(bytes + at, length - at < cut ? length - at : cut);
    FUZZ_CHECK(whole.Current() == chunked.Current());
    FUZZ_CHECK(whole.Text().size() <= kMaxRequestHead + 2);
    if (whole.Current() != RequestHead::State::Complete)
        return 0;
    // Bytes of chunks after the one that ended the head are left to the caller.
    FUZZ_CHECK(whole.Text() == chunked.Text() &&
               whole.Rest().compare(0, chunked.Rest().size(), chunked.Rest()) == 0);

    ProxyRequest request;
    if (ReadProxyRequest(whole.Text(), request))
        return 0;
    FUZZ_CHECK(!request.host.empty() && request.host.size() <= kMaxHostName);
    FUZZ_CHECK(request.port >= 1 && request.port <= 65535);
    if (!request.tunnel) {
        const std::string& head = request.serverHead;
        FUZZ_CHECK(head.size() >= 4 && head.compare(head.size() - 4, 4, "\r\n\r\n") == 0);
    }
    return 0;
}
