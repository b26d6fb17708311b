// VersionCheck: asks the version server in the background, so that the window never waits on
// the network, and hands the answer back to the window as a message; the window shows it
// (ui/dialogs/version_answer_box.h).
//
// How the main window uses it (all on the GUI thread):
//   - Button 1024: Start(Handle(), VersionRequestPath(kVersion, kProductId, kBuildDate)); while
//     IsRunning(), keep 1024 disabled (a second Start would start nothing anyway).
//   - kAnswerMessage: if TakeAnswer() gives an answer, enable 1024 and ShowVersionAnswer(Handle(),
//     answer). A message without an answer, left over from an abandoned check, is ignored.
//   - Quit: Abandon() (the destructor does it too). It does not wait for the server.
#pragma once

#include "logic/version_answer.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

class VersionCheck {
public:
    // Posted to the window given to Start once the answer is in; wParam and lParam are 0.
    static const UINT kAnswerMessage = WM_APP + 0x100;

    VersionCheck() = default;
    ~VersionCheck();
    VersionCheck(const VersionCheck&) = delete;
    VersionCheck& operator=(const VersionCheck&) = delete;

    // Starts one check for the request path. False, with nothing started, while a check runs or
    // when no thread can be started.
    bool Start(HWND window, const std::string& requestPath);
    // From Start until the answer is taken or the check abandoned.
    bool IsRunning() const { return state_ != nullptr; }
    // The answer, once kAnswerMessage has come, which ends the check; empty while none is in.
    std::optional<VersionAnswer> TakeAnswer();
    // Drops the running check without waiting for the server: its answer is never posted, and
    // its thread ends on its own, at the latest at the exchange's answer time-out.
    void Abandon();

private:
    struct State;
    static void Run(const std::shared_ptr<State>& state, const std::string& requestPath) noexcept;

    std::shared_ptr<State> state_;
};
