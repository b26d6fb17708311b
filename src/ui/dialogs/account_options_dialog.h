// AccountOptionsDialog: an account's options, opened by the button beside the account's fields.
// How it signs in to its server: with its password, with a key file (chosen by name or through
// Browse), or with the keys of the SSH agent. How it carries the browser's traffic: through the
// proxy on its server, or through ssh's own tunnel. It only chooses; the accounts editor stores
// the choice.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"
#include "logic/browser_way.h"
#include "logic/sign_in.h"

#include <string>

// What the dialog shows and what the user chose.
struct AccountOptions {
    SignIn signIn = SignIn::Password;
    std::string keyFile;
    BrowserWay browserWay = BrowserWay::ServerProxy;
};

class AccountOptionsDialog : public fw::Dialog {
public:
    AccountOptionsDialog(HWND parent, AccountOptions options);

    const AccountOptions& Chosen() const { return options_; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override;

private:
    void ShowChoice();
    void Browse();

    AccountOptions options_;
    fw::CheckBox passwordRadio_;
    fw::CheckBox keyRadio_;
    fw::CheckBox agentRadio_;
    fw::Edit keyFileEdit_;
    fw::Button browseButton_;
    fw::CheckBox serverProxyRadio_;
    fw::CheckBox sshRadio_;
};
