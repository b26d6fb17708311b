// The user's answer to ssh's question about a new server key; see key_question.h.
#include "plink/key_question.h"

#include "logic/end_reason.h"
#include "logic/host_key_question.h"
#include "owners/owners.h"
#include "plink/error_output.h"
#include "plink/own_files.h"

#include <windows.h>

namespace {

// The one box of the question: whoever answers it, the user or a test driving it from another
// process, presses one of its buttons. A box that could not be shown is no answer of the user's:
// ssh hears No, and Marrowin learns why from the line on the error output.
bool UserTrustsKey(const std::string& text) {
    int answer = ::MessageBoxA(nullptr, text.c_str(), "Marrowin",
                               MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_SETFOREGROUND |
                                   MB_TOPMOST);
    if (answer == 0)
        WriteError(std::string(kKeyQuestionNotShownLine) + " (error " +
                   std::to_string(::GetLastError()) + ").");
    return answer == IDYES;
}

bool Print(const std::string& text) {
    DWORD written = 0;
    return ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(),
                       static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

} // namespace

int AnswerConfirmation(const std::string& prompt) {
    std::optional<HostKeyQuestion> question = ParseHostKeyQuestion(prompt);
    if (!question) {
        WriteError("askpass: a question of ssh that is not about a server's key is answered no.");
        return Print("no\n") ? 0 : 1;
    }

    // The key the user has just trusted in Marrowin's box about a changed key is not asked for
    // again.
    char trusted[128] = {};
    DWORD length = ::GetEnvironmentVariableA("MARROWIN_TRUSTED_KEY", trusted, sizeof(trusted));
    if (length > 0 && length < sizeof(trusted) && KeyText(question->key) == trusted)
        return Print("yes\n") ? 0 : 1;

    // Without the lock the question is still asked: better twice than never.
    fw::KernelHandle lock(
        ::CreateMutexA(nullptr, FALSE, HostKeyQuestionLockName(KnownHostsPath()).c_str()));
    if (lock)
        ::WaitForSingleObject(lock.Get(), INFINITE);
    bool trusts = UserTrustsKey(TrustNewKeyText(*question));
    if (lock)
        ::ReleaseMutex(lock.Get());
    return Print(trusts ? "yes\n" : "no\n") ? 0 : 1;
}
