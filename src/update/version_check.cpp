// The version check on a thread of its own.
#include "update/version_check.h"

#include "update/http_exchange.h"

#include <mutex>
#include <thread>
#include <utility>

// Shared by the check's thread and the VersionCheck that started it, so that either may end
// first.
struct VersionCheck::State {
    explicit State(HWND window) : window(window) {}

    const HWND window;
    HttpComunicationCenter exchange;
    std::mutex mutex;
    bool abandoned = false;
    std::optional<VersionAnswer> answer;
};

VersionCheck::~VersionCheck() {
    Abandon();
}

bool VersionCheck::Start(HWND window, const std::string& requestPath) {
    if (state_)
        return false;
    try {
        auto state = std::make_shared<State>(window);
        // Not joined: an abandoned request that waits for the server goes on waiting, and Quit
        // must not wait for it. The thread holds the state itself and posts nothing once the
        // check is abandoned.
        std::thread([state, requestPath] { Run(state, requestPath); }).detach();
        state_ = std::move(state);
        return true;
    } catch (...) {
        return false;
    }
}

std::optional<VersionAnswer> VersionCheck::TakeAnswer() {
    std::optional<VersionAnswer> answer;
    if (!state_)
        return answer;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        answer.swap(state_->answer);
    }
    if (answer)
        state_.reset();
    return answer;
}

void VersionCheck::Abandon() {
    if (!state_)
        return;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->abandoned = true;
    }
    state_->exchange.Abort();
    state_.reset();
}

void VersionCheck::Run(const std::shared_ptr<State>& state,
                       const std::string& requestPath) noexcept {
    try {
        VersionAnswer answer = ConnectFailedAnswer();
        if (state->exchange.Connect())
            answer = InterpretAnswerBody(state->exchange.Exchange(requestPath));
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->abandoned)
            return;
        state->answer = std::move(answer);
        ::PostMessageA(state->window, kAnswerMessage, 0, 0);
    } catch (...) {
        // Only a failed allocation throws here; the check then never answers, like a server
        // that never replies, and nothing thrown leaves the thread.
    }
}
