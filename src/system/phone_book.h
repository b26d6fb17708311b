// The names of the system phone book's dial-up and other named Internet connections. They are
// read through RasEnumEntriesA; Wine has no phone book, so tests hand in a function of the same
// shape that serves names of their own.
#pragma once

#include <windows.h>
#include <ras.h>

#include <string>
#include <vector>

using EnumEntriesFunction = DWORD(WINAPI*)(LPCSTR reserved, LPCSTR phoneBook,
                                           LPRASENTRYNAMEA entries, LPDWORD size, LPDWORD count);

// The entry names in the order the phone book gives them; none when it is empty or cannot be
// read. The buffer grows as the phone book asks, at most five times.
std::vector<std::string>
EnumerateDialUpConnections(EnumEntriesFunction enumerate = ::RasEnumEntriesA);
