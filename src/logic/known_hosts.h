// The known-hosts file that Marrowin keeps beside its settings, as text: the lines of one
// server forgotten, or moved to a new name. Plain logic, no Win32.
//
// A line is "<names> <key type> <key>" (or "@marker <names> ..."), <names> a comma-separated
// list in which a server stands as "mail.example.org" on port 22 and as
// "[mail.example.org]:2222" on another port. Comments, blank lines, hashed names and anything
// else that is not one of these forms are kept as they are.
#pragma once

#include <string>

// The text without the server's names, in either form, ignoring case; a line left without any
// name goes.
std::string ForgetHost(const std::string& text, const std::string& host);
// The text with the server's names given to the new name; lines the new name had before go, so
// that only the moved keys speak for it.
std::string RenameHost(const std::string& text, const std::string& oldHost,
                       const std::string& newHost);
