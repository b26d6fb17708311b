// The boxes of start with Windows' failed steps (system/startup_entry.h), one for each, in the
// order they failed and owned by no window: a Run key that refused, and the settings file's
// write-failure box.
#pragma once

#include "settings/settings_file.h"
#include "system/startup_entry.h"

void ShowStartupFailures(const StartupChange& change, const CInternetOptions& settings);
