// The reports plink.exe owes Marrowin: the registered window messages "WM_QV_CON_START",
// "WM_QV_CON_ESTH" and "WM_QV_STOP", posted to its main window.
#pragma once

// Marrowin's main window: the top-level dialog titled "Dravenlok" while a start is in progress,
// else the one titled "Marrowin". Looked up anew for each report, since the title changes.
// False when there is no such window or the post fails.
bool PostReport(const char* messageName);
