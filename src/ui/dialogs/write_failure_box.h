// The box that tells why the settings file refused a write: "Could not write the settings file
// '<path>'." and the system's reason, with the stop icon. Every window that writes the file
// shows a refused write with it.
#pragma once

#include "settings/settings_file.h"

#include <windows.h>

void ShowWriteFailure(HWND owner, const CInternetOptions& settings);
