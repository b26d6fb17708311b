// The box for the version server's answer: a failed connect in the standard box owned by the
// window, anything else in the program's own box with its icon and no owner. The server's
// message is cut at about 1,000 characters.
#pragma once

#include "logic/version_answer.h"

#include <windows.h>

void ShowVersionAnswer(HWND window, const VersionAnswer& answer);
