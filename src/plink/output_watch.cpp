// Recognising ssh's progress in its verbose output; see output_watch.h.
#include "plink/output_watch.h"

#include <winsock2.h>

void TunnelProgress::OnLine(const std::string& line) {
    std::string message = WithoutDebugPrefix(line);
    if (message.compare(0, 17, "Authenticated to ") == 0)
        authenticated_ = true;
    else if (message == "Entering interactive session.")
        interactive_ = true;
}

std::string WithoutDebugPrefix(const std::string& line) {
    if (line.compare(0, 5, "debug") != 0)
        return line;
    size_t at = 5;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9')
        ++at;
    if (at == 5 || line.compare(at, 2, ": ") != 0)
        return line;
    return line.substr(at + 2);
}

OutputReader::OutputReader(HANDLE pipe)
    : pipe_(pipe), event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (!event_) {
        finished_ = true;
        return;
    }
    StartRead();
}

OutputReader::~OutputReader() {
    if (!finished_) {
        ::CancelIo(pipe_);
        DWORD ignored = 0;
        ::GetOverlappedResult(pipe_, &overlapped_, &ignored, TRUE);
    }
}

void OutputReader::StartRead() {
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.Get();
    ::ResetEvent(event_.Get());
    // Completed at once or pending, the event is set when the data is there.
    if (!::ReadFile(pipe_, buffer_, sizeof(buffer_), nullptr, &overlapped_) &&
        ::GetLastError() != ERROR_IO_PENDING)
        finished_ = true;
}

std::vector<std::string> OutputReader::Read() {
    std::vector<std::string> lines;
    if (finished_)
        return lines;
    DWORD read = 0;
    if (!::GetOverlappedResult(pipe_, &overlapped_, &read, FALSE)) {
        if (::GetLastError() == ERROR_IO_INCOMPLETE)
            return lines;
        // The writer has gone (broken pipe) or the pipe failed: nothing more will come.
        finished_ = true;
        TakeLines(lines, true);
        return lines;
    }
    partial_.append(buffer_, read);
    TakeLines(lines, false);
    StartRead();
    if (finished_)
        TakeLines(lines, true);
    return lines;
}

void OutputReader::TakeLines(std::vector<std::string>& lines, bool all) {
    size_t start = 0;
    for (;;) {
        size_t end = partial_.find('\n', start);
        if (end == std::string::npos)
            break;
        std::string line = partial_.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    partial_.erase(0, start);
    if (all && !partial_.empty()) {
        if (partial_.back() == '\r')
            partial_.pop_back();
        lines.push_back(partial_);
        partial_.clear();
    }
}

bool PortAcceptsConnections(int port) {
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    bool accepted = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::closesocket(socket);
    return accepted;
}
