// The reports plink.exe owes Marrowin: the registered window messages "WM_QV_CON_START",
// "WM_QV_CON_ESTH" and "WM_QV_STOP", posted to its main window, and beside them why a run
// failed, sent to the same window just before "WM_QV_STOP".
#pragma once

#include <string>

// Marrowin's main window: the top-level dialog titled "Dravenlok" while a start is in progress,
// else the one titled "Marrowin". Looked up anew for each report, since the title changes.
// False when there is no such window or the post fails.
bool PostReport(const char* messageName);
// The sentence, as a WM_COPYDATA tagged kFailureReasonTag (tunnel/failure_notice.h). Sent, not
// posted, as WM_COPYDATA must be, so it is there before a "WM_QV_STOP" posted afterwards; a
// window that does not answer in time is given up. False when it did not arrive.
bool SendReason(const std::string& text);
// The new key of a server whose key has changed, "ED25519 SHA256:...", tagged kChangedKeyTag and
// sent the same way just before the reason, so that Marrowin can offer to trust it.
bool SendChangedKey(const std::string& keyText);
