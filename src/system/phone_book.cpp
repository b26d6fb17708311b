// Reading the phone book's entry names, with a buffer that grows to what the system asks for.
#include "system/phone_book.h"

#include <raserror.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {
const int kMaximumCalls = 5;
}

std::vector<std::string> EnumerateDialUpConnections(EnumEntriesFunction enumerate) {
    const DWORD entrySize = sizeof(RASENTRYNAMEA);
    DWORD size = entrySize;
    for (int call = 0; call < kMaximumCalls; ++call) {
        std::vector<RASENTRYNAMEA> entries;
        try {
            entries.resize(std::max<DWORD>(1, (size + entrySize - 1) / entrySize));
        } catch (const std::bad_alloc&) {
            return {};
        }
        entries[0].dwSize = entrySize;
        size = static_cast<DWORD>(entries.size() * entrySize);
        DWORD count = 0;
        DWORD result = enumerate(nullptr, nullptr, entries.data(), &size, &count);
        if (result == ERROR_BUFFER_TOO_SMALL)
            continue; // `size` now holds what the phone book needs
        if (result != ERROR_SUCCESS)
            return {};
        std::vector<std::string> names;
        // Never more than the buffer holds, whatever the count says.
        count = std::min<DWORD>(count, static_cast<DWORD>(entries.size()));
        for (DWORD i = 0; i < count; ++i) {
            const char* name = entries[i].szEntryName;
            names.emplace_back(name, strnlen(name, sizeof(entries[i].szEntryName)));
        }
        return names;
    }
    return {};
}
