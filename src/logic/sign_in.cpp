#include "logic/sign_in.h"

std::string SignInText(SignIn signIn) {
    switch (signIn) {
    case SignIn::KeyFile:
        return "key";
    case SignIn::Agent:
        return "agent";
    case SignIn::Password:
        break;
    }
    return std::string();
}

SignIn SignInFromText(const std::string& text) {
    if (text == "key")
        return SignIn::KeyFile;
    if (text == "agent")
        return SignIn::Agent;
    return SignIn::Password;
}
