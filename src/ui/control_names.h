// What a screen reader reads of the main window's controls: each one's role, from its kind,
// and the names that are not on the screen (the "X" buttons, the fields named by the text
// beside them, the forwarding list and its columns). The privacy state is a status whose
// changes are announced.
#pragma once

#include <windows.h>

// Once, when the window's controls are made.
void NameMainWindowControls(HWND dialog);
