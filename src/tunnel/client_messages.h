// The registered window messages by which the SSH client reports the tunnel to the main
// window. Registered by name, so every process that registers them gets the same values.
#pragma once

#include <windows.h>

extern UINT WM_QV_STOP;
extern UINT WM_QV_CON_START;
extern UINT WM_QV_CON_ESTH;

// Registers the three messages; runs first in static initialisation.
bool RegisterClientMessages();
