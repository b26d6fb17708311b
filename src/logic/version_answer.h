// What the version check sends and what the version server's answer means for the user: the
// request path that carries the program's version, and the box the answer body calls for.
// Plain text logic, so that it is tested without a network or a window.
#pragma once

#include <string>

// The boxes the version check can end with.
enum class VersionBox {
    // The connection to the server could not even be prepared: the standard box of the main
    // window.
    ConnectFailed,
    // The server gave no usable message: the program's own box with the failure text.
    NoMessage,
    // The program's own box with the server's message.
    ServerMessage,
};

struct VersionAnswer {
    VersionBox box;
    std::string text;
};

// The text shown whenever the server had nothing usable to say.
extern const char kCouldNotConnectText[];

// The object name of the request, without a leading slash; nothing in it is escaped.
std::string VersionRequestPath(int programVersion, int productId, const std::string& buildDate);

VersionAnswer ConnectFailedAnswer();

// The answer to a body, which is empty when the server could not be reached or did not answer
// with status 200.
VersionAnswer InterpretAnswerBody(const std::string& body);
