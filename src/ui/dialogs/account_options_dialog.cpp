// The account's options: the choices and the key file, checked before the dialog closes.
#include "ui/dialogs/account_options_dialog.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "help_ids.h"
#include "resource.h"

#include <commdlg.h>

#include <utility>

AccountOptionsDialog::AccountOptionsDialog(HWND parent, AccountOptions options)
    : fw::Dialog(IDD_ACCOUNT_OPTIONS, parent), options_(std::move(options)) {
    SetHelpTopic(IDH_ACCOUNTS);
    for (int radio : {IDC_SIGN_IN_PASSWORD, IDC_SIGN_IN_KEY, IDC_SIGN_IN_AGENT})
        OnCommand(radio, [this] { ShowChoice(); });
    OnCommand(IDC_KEY_FILE_BROWSE, [this] { Browse(); });
}

void AccountOptionsDialog::DoDataExchange() {
    HWND dialog = Handle();
    passwordRadio_.Bind(dialog, IDC_SIGN_IN_PASSWORD);
    keyRadio_.Bind(dialog, IDC_SIGN_IN_KEY);
    agentRadio_.Bind(dialog, IDC_SIGN_IN_AGENT);
    keyFileEdit_.Bind(dialog, IDC_KEY_FILE);
    browseButton_.Bind(dialog, IDC_KEY_FILE_BROWSE);
    serverProxyRadio_.Bind(dialog, IDC_BROWSER_SERVER_PROXY);
    sshRadio_.Bind(dialog, IDC_BROWSER_SSH);
}

bool AccountOptionsDialog::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    passwordRadio_.SetCheck(options_.signIn == SignIn::Password);
    keyRadio_.SetCheck(options_.signIn == SignIn::KeyFile);
    agentRadio_.SetCheck(options_.signIn == SignIn::Agent);
    keyFileEdit_.SetText(options_.keyFile);
    serverProxyRadio_.SetCheck(options_.browserWay == BrowserWay::ServerProxy);
    sshRadio_.SetCheck(options_.browserWay == BrowserWay::Ssh);
    ShowChoice();
    return true;
}

// The key file's field and button serve the key file only.
void AccountOptionsDialog::ShowChoice() {
    keyFileEdit_.Enable(keyRadio_.IsChecked());
    browseButton_.Enable(keyRadio_.IsChecked());
}

void AccountOptionsDialog::Browse() {
    char path[MAX_PATH] = {};
    std::string shown = keyFileEdit_.GetText();
    if (shown.size() < sizeof(path))
        shown.copy(path, shown.size());
    OPENFILENAMEA choice = {};
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = Handle();
    choice.lpstrFilter = "All files\0*.*\0";
    choice.lpstrFile = path;
    choice.nMaxFile = sizeof(path);
    choice.lpstrTitle = "The account's private key";
    choice.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (::GetOpenFileNameA(&choice))
        keyFileEdit_.SetText(path);
}

// A key file must be named, by a path the file functions take; whether it is a key the client
// can use is looked at when the tunnel starts.
void AccountOptionsDialog::OnOK() {
    SignIn chosen = keyRadio_.IsChecked()     ? SignIn::KeyFile
                    : agentRadio_.IsChecked() ? SignIn::Agent
                                              : SignIn::Password;
    std::string keyFile = chosen == SignIn::KeyFile ? keyFileEdit_.GetText() : std::string();
    const char* refusal = nullptr;
    if (chosen == SignIn::KeyFile && keyFile.empty())
        refusal = "Please choose the key file!";
    else if (keyFile.size() >= MAX_PATH || keyFile.find_first_of("\r\n\"") != std::string::npos)
        refusal = "The key file's path must be shorter than 260 characters, on one line and "
                  "without quotes!";
    if (refusal) {
        fw::ShowMessageBox(Handle(), refusal, kProgramName, MB_OK | MB_ICONSTOP);
        ::SetFocus(keyFileEdit_);
        return;
    }
    options_.signIn = chosen;
    options_.keyFile = keyFile;
    options_.browserWay = sshRadio_.IsChecked() ? BrowserWay::Ssh : BrowserWay::ServerProxy;
    EndDialog(IDOK);
}
