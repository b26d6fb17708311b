// Writing to the standard error handle; see error_output.h.
#include "plink/error_output.h"

#include <windows.h>

namespace {

void WriteLine(const std::string& text) {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (!error || error == INVALID_HANDLE_VALUE)
        return;
    std::string line = text + "\r\n";
    DWORD written = 0;
    ::WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace

void WriteError(const std::string& text) {
    WriteLine("plink: " + text);
}

void PassOnLine(const std::string& line) {
    WriteLine(line);
}
