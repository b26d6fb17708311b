// The record a stand-in program keeps of what it was given and what it did: one line at a
// time, written straight through, so that a test can read it while the stand-in still runs.
// Threads of the stand-in may write lines at the same time.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

class RecordFile {
public:
    explicit RecordFile(const std::string& path) {
        file_ = ::CreateFileA(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~RecordFile() {
        if (file_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(file_);
    }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // The line is in the file when this returns.
    void Line(const std::string& text) {
        if (file_ == INVALID_HANDLE_VALUE)
            return;
        std::string line = text + "\r\n";
        std::lock_guard<std::mutex> lock(lock_);
        DWORD written = 0;
        ::WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        ::FlushFileBuffers(file_);
    }

private:
    HANDLE file_;
    std::mutex lock_;
};
