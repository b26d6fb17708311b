// What the user settles before an account that signs in with a key file starts: a key file open
// to other users is restricted to them if they agree, and an encrypted key's passphrase is asked
// once a run. Nothing starts after a No, a Cancel or a failure, and nothing stored changes.
#pragma once

#include "tunnel/privacy_session.h"

#include <windows.h>

#include <string>

// True when the start may go on.
bool SettleKeyFileQuestions(HWND owner, PrivacySession& session, const std::string& account);
