// The command line Marrowin starts its SSH client with, built here and taken apart here:
// " -pw PASSWORD SESSION <in.txt", or the same without the leading blank when it starts the
// default tunnel at program start.
#pragma once

#include <optional>
#include <string>

// " -pw <password> <session> <in.txt": the Start command's form, with the leading blank.
// Nothing is quoted; "<in.txt" reaches the client as a literal last argument.
std::string ClientArguments(const std::string& password, const std::string& session);
// The same without the leading blank, as the autostart at program start passes it.
std::string AutostartClientArguments(const std::string& password, const std::string& session);

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
