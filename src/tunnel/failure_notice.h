// Why the SSH client's run failed, as the client tells the main window: beside its registered
// reports it may send a WM_COPYDATA whose dwData is kFailureReasonTag and whose data is one
// sentence for the user, just before "WM_QV_STOP". A client that sends none (another plink, the
// tests' stand-in) needs nothing of this, and the main window then behaves as it always did.
// FailureNotice keeps the main window's side of it: plain rules, no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// "MRFR" in a WM_COPYDATA's dwData: the data is a failure reason, ANSI text.
inline constexpr std::uintptr_t kFailureReasonTag = 0x4D524652;
// "MRHK": the data is the new key of a server whose key has changed, "ED25519 SHA256:...". It
// comes just before the reason.
inline constexpr std::uintptr_t kChangedKeyTag = 0x4D52484B;

// The reason of the current client run: shown once when the run ends, forgotten when a new run
// starts, so that a balloon never tells of an earlier run.
class FailureNotice {
public:
    // A client is being started.
    void OnClientStart() {
        reason_.clear();
        changedKey_.clear();
    }
    // The data of a WM_COPYDATA. False when it carries no reason (another tag), so that the
    // sender learns it was not understood. The text ends at its first zero byte, if any.
    bool OnCopyData(std::uintptr_t tag, const void* data, size_t size);
    // The run has ended: its reason, or empty when the client gave none. Given only once.
    std::string TakeOnEnd();
    // The run has ended: the server's new key when its key had changed, else empty.
    std::string TakeChangedKey();

private:
    std::string reason_;
    std::string changedKey_;
};
