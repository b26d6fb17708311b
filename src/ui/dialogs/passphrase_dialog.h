// PassphraseDialog: the passphrase of an account's encrypted key file, asked before the tunnel
// starts; the field is masked. It names the account and the key file. The passphrase read on OK
// is wiped when the dialog ends; whoever keeps it copies it before.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"

#include <string>

class PassphraseDialog : public fw::Dialog {
public:
    PassphraseDialog(HWND parent, std::string account, std::string keyFile);
    ~PassphraseDialog() override;

    const std::string& Passphrase() const { return passphrase_; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override;

private:
    std::string account_;
    std::string keyFile_;
    std::string passphrase_;
    fw::Static keyText_;
    fw::Edit passphraseEdit_;
};
