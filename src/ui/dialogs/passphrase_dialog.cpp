// The passphrase dialog: the field read once, on OK, and checked for what ssh can take.
#include "ui/dialogs/passphrase_dialog.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "help_ids.h"
#include "resource.h"

#include <utility>

namespace {

// ssh reads what its askpass program prints into a buffer of 1,024 bytes and cuts the rest
// off, so a longer passphrase would never be the one the key was encrypted with.
constexpr int kLongestPassphrase = 1000;

void Wipe(std::string& secret) {
    if (!secret.empty())
        ::SecureZeroMemory(&secret[0], secret.size());
    secret.clear();
}

} // namespace

PassphraseDialog::PassphraseDialog(HWND parent, std::string account, std::string keyFile)
    : fw::Dialog(IDD_PASSPHRASE, parent), account_(std::move(account)),
      keyFile_(std::move(keyFile)) {
    SetHelpTopic(IDH_ACCOUNTS);
}

PassphraseDialog::~PassphraseDialog() {
    Wipe(passphrase_);
}

void PassphraseDialog::DoDataExchange() {
    keyText_.Bind(Handle(), IDC_PASSPHRASE_KEY);
    passphraseEdit_.Bind(Handle(), IDC_PASSPHRASE);
}

bool PassphraseDialog::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    keyText_.SetText("The account " + account_ + " signs in with the key file '" + keyFile_ +
                     "', which is protected by a passphrase. Marrowin keeps it until it quits.");
    ::SendMessageA(passphraseEdit_, EM_LIMITTEXT, kLongestPassphrase + 1, 0);
    ::SetFocus(passphraseEdit_);
    return false;
}

// Read straight into the one buffer that is wiped, not through a copy.
void PassphraseDialog::OnOK() {
    int length = ::GetWindowTextLengthA(passphraseEdit_);
    if (length > kLongestPassphrase) {
        fw::ShowMessageBox(Handle(), "The passphrase may be at most 1,000 characters long!",
                           kProgramName, MB_OK | MB_ICONSTOP);
        ::SetFocus(passphraseEdit_);
        return;
    }
    Wipe(passphrase_);
    passphrase_.resize(static_cast<size_t>(length) + 1);
    int read = ::GetWindowTextA(passphraseEdit_, &passphrase_[0], length + 1);
    passphrase_.resize(read > 0 ? static_cast<size_t>(read) : 0);
    EndDialog(IDOK);
}
