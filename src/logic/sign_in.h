// How an account signs in to its server: with its password (what every account did before it
// could choose), with a key file in OpenSSH's format, or with the keys of the system's SSH agent.
// The settings file and the saved session keep the choice as the same words, written only for
// the two that are not the password. Plain text work, no Win32.
#pragma once

#include <string>

enum class SignIn { Password, KeyFile, Agent };

// "key", "agent", or empty for the password.
std::string SignInText(SignIn signIn);
// Any other text, an empty one included, is the password.
SignIn SignInFromText(const std::string& text);
