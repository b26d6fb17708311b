// The command line Marrowin starts its SSH client with: " -pw PASSWORD SESSION <in.txt", or the
// same without the leading blank when it starts the default tunnel at program start.
#pragma once

#include <optional>
#include <string>

struct ClientRequest {
    std::string password;
    std::string session;
};

// Marrowin quotes nothing, so the text is taken apart here rather than by the C runtime's
// argument rules, which would eat quotes and backslashes inside a password. Session names hold
// no blanks, while a password may: the session is the last word before " <in.txt" and the
// password is everything between "-pw " and that word. Anything else gives no request.
std::optional<ClientRequest> ParseClientCommandLine(const std::string& commandLine);

// What a user sees on stderr when the command line is not the expected one.
std::string UsageText();
