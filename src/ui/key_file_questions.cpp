#include "ui/key_file_questions.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "logic/key_file_access.h"
#include "ui/dialogs/passphrase_dialog.h"

namespace {

bool Restricted(HWND owner, PrivacySession& session, const KeyFileQuestions& questions) {
    if (fw::ShowMessageBox(owner, RestrictKeyFileQuestion(questions.account, questions.keyFile),
                           kProgramName, MB_YESNO | MB_ICONWARNING) != IDYES)
        return false;
    std::optional<std::string> failure = session.RestrictKeyFile(questions);
    if (failure)
        fw::ShowMessageBox(owner, *failure, kProgramName, MB_OK | MB_ICONSTOP);
    return !failure;
}

} // namespace

bool SettleKeyFileQuestions(HWND owner, PrivacySession& session, const std::string& account) {
    KeyFileQuestions questions = session.QuestionsBeforeStart(account);
    if (questions.failure) {
        fw::ShowMessageBox(owner, *questions.failure, kProgramName, MB_OK | MB_ICONSTOP);
        return false;
    }
    if (questions.openToOthers && !Restricted(owner, session, questions))
        return false;
    if (!questions.askPassphrase)
        return true;
    PassphraseDialog dialog(owner, questions.account, questions.keyFile);
    if (dialog.DoModal() != IDOK)
        return false;
    session.KeepPassphrase(questions, dialog.Passphrase());
    return true;
}
