// SignInDialog: how an account signs in to its server, opened by the button beside the
// account's fields: with its password, with a key file (chosen by name or through Browse), or
// with the keys of the SSH agent. It only chooses; the accounts editor stores the choice.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"
#include "logic/sign_in.h"

#include <string>

class SignInDialog : public fw::Dialog {
public:
    SignInDialog(HWND parent, SignIn signIn, std::string keyFile);

    SignIn Chosen() const { return signIn_; }
    const std::string& KeyFile() const { return keyFile_; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override;

private:
    void ShowChoice();
    void Browse();

    SignIn signIn_;
    std::string keyFile_;
    fw::CheckBox passwordRadio_;
    fw::CheckBox keyRadio_;
    fw::CheckBox agentRadio_;
    fw::Edit keyFileEdit_;
    fw::Button browseButton_;
};
