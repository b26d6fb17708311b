// The accounts editor of the main window: accounts are shown, created, edited, renamed,
// removed and made the default. Every change goes at once to the settings file and to the
// account's saved SSH session, and the forwarding list follows.
#include "framework/user_seam.h"
#include "resource.h"
#include "settings/forwarding_text.h"
#include "settings/password_scrambling.h"
#include "settings/server_list.h"
#include "settings/server_remove_dialog.h"
#include "system/registry_reader.h"
#include "ui/main_window.h"

#include <cctype>

namespace {

// Letters, digits, dots, hyphens and underscores: a name that is also a valid section of the
// settings file, entry of the comma-separated name list and registry key name.
bool IsValidServerName(const std::string& name) {
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            return false;
    }
    return true;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Digits only, 0 to 65535.
bool IsPortNumber(const std::string& text) {
    if (text.empty() || text.size() > 5)
        return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return std::stoi(text) <= 65535;
}

// The combo's item whose text equals the name exactly, or -1.
int FindExactItem(const fw::ComboBox& combo, const std::string& name) {
    for (int i = 0; i < combo.GetCount(); ++i) {
        if (combo.GetItemText(i) == name)
            return i;
    }
    return -1;
}

} // namespace

void CDravenlokDlg::ShowAccount() {
    int selected = accountsCombo_.GetCurSel();
    if (selected < 0)
        return;
    std::string name = accountsCombo_.GetItemText(selected);
    userNameEdit_.SetText(settings_->ReadString(name, "username"));
    // The stored, scrambled text: an untouched field is recognised when the account is saved.
    passwordEdit_.SetText(settings_->ReadString(name, "password"));
    serverPortEdit_.SetText(settings_->ReadString(name, "port"));
}

void CDravenlokDlg::SaveFieldValues() {
    savedServerName_ = accountsCombo_.GetText();
    savedUserName_ = userNameEdit_.GetText();
    savedPassword_ = passwordEdit_.GetText();
    savedServerPort_ = serverPortEdit_.GetText();
}

// The controls of each mode: the account fields are editable only in New and Edit, which
// lock the buttons that would change other accounts or forwardings meanwhile.
void CDravenlokDlg::EnableAccountEditing(EditorMode mode) {
    editorMode_ = mode;
    bool editing = mode != EditorMode::Idle;
    userNameEdit_.Enable(editing);
    passwordEdit_.Enable(editing);
    serverPortEdit_.Enable(editing);
    newAccountButton_.Enable(mode != EditorMode::EditAccount);
    deleteAccountButton_.Enable(!editing);
    setDefaultButton_.Enable(!editing);
    EnableForwardingButtons(!editing);
    cancelEditButton_.Enable(editing);
    editSaveButton_.SetText(editing ? "Save" : "Edit");
    SetTooltip(IDC_EDIT_SAVE, editing ? "Save the modifications" : "Edit the current account");
}

void CDravenlokDlg::BeginNewAccount() {
    if (editorMode_ != EditorMode::Idle)
        return;
    SaveFieldValues();
    ::SetFocus(accountsCombo_);
    userNameEdit_.SetText("");
    passwordEdit_.SetText("");
    serverPortEdit_.SetText("");
    accountsCombo_.SetCurSel(-1);
    accountsCombo_.SetText("");
    localPortEdit_.SetText("");
    targetServerEdit_.SetText("");
    portDescriptionEdit_.SetText("");
    EnableAccountEditing(EditorMode::NewAccount);
}

void CDravenlokDlg::EditOrSave() {
    switch (editorMode_) {
    case EditorMode::Idle:
        localPortEdit_.SetText("");
        targetServerEdit_.SetText("");
        portDescriptionEdit_.SetText("");
        SaveFieldValues();
        EnableAccountEditing(EditorMode::EditAccount);
        break;
    case EditorMode::NewAccount:
        if (SaveNewAccount() != -1)
            EnableAccountEditing(EditorMode::Idle);
        break;
    case EditorMode::EditAccount:
        if (SaveEditedAccount() == 1)
            EnableAccountEditing(EditorMode::Idle);
        break;
    }
}

bool CDravenlokDlg::CheckAccountFields() {
    auto refuse = [this](const char* text, HWND focus) {
        fw::ShowMessageBox(Handle(), text, "Marrowin", MB_OK | MB_ICONSTOP);
        ::SetFocus(focus);
        return false;
    };
    if (accountsCombo_.GetText().empty())
        return refuse("Please provide the server name!", accountsCombo_);
    if (userNameEdit_.GetText().empty())
        return refuse("Please provide the user name!", userNameEdit_);
    // A pasted line break would end the value's line in the settings file.
    if (userNameEdit_.GetText().find_first_of("\r\n") != std::string::npos)
        return refuse("The user name may not contain line breaks!", userNameEdit_);
    if (passwordEdit_.GetText().empty())
        return refuse("Please provide the password!", passwordEdit_);
    if (serverPortEdit_.GetText().empty())
        return refuse("Please provide the server port!", serverPortEdit_);
    if (!IsPortNumber(serverPortEdit_.GetText())) {
        serverPortEdit_.SetText("");
        return refuse("The server port number must be between 0 and 65535 !", serverPortEdit_);
    }
    return true;
}

// A name for a new account or a rename: well formed, and no other account's name in any
// letter case (the settings file and the registry do not tell such names apart).
bool CDravenlokDlg::CheckNewServerName(const std::string& name, const std::string& oldName) {
    if (!IsValidServerName(name)) {
        fw::ShowMessageBox(
            Handle(),
            "The server name may contain only letters, digits, dots, hyphens and underscores!",
            "Marrowin", MB_OK | MB_ICONSTOP);
        ::SetFocus(accountsCombo_);
        return false;
    }
    for (const std::string& existing : settings_->AccountNames()) {
        if (existing != oldName && EqualIgnoringCase(existing, name)) {
            fw::ShowMessageBox(Handle(), "The specified server allready exists in the list!",
                               "Marrowin", MB_OK | MB_ICONINFORMATION);
            return false;
        }
    }
    return true;
}

bool CDravenlokDlg::CheckPasswordCanBeStored(const std::string& password) {
    if (CanStorePassword(password))
        return true;
    fw::ShowMessageBox(Handle(), "The password contains characters that cannot be stored!",
                       "Marrowin", MB_OK | MB_ICONSTOP);
    ::SetFocus(passwordEdit_);
    return false;
}

int CDravenlokDlg::SaveNewAccount() {
    if (!CheckAccountFields())
        return -1;
    std::string name = accountsCombo_.GetText();
    std::string userName = userNameEdit_.GetText();
    std::string password = passwordEdit_.GetText();
    std::string serverPort = serverPortEdit_.GetText();
    if (!CheckNewServerName(name, std::string()) || !CheckPasswordCanBeStored(password))
        return -1;

    settings_->WriteString("Tunnel", "servers",
                           AppendServerEntry(settings_->ReadString("Tunnel", "servers"), name));
    accountsCombo_.AddString(name);
    settings_->AppendAccountName(name);
    settings_->WriteString(name, "port", serverPort);
    settings_->WriteString(name, "username", userName);
    settings_->WriteString(name, "password", ScramblePassword(password));
    settings_->WriteString(name, "forwardings", "");
    RegistryReader().WriteSessionProfile(name, name, userName);
    AddDefaultForwardings(name, serverPort);

    // The first account becomes the default and carries the browser's traffic.
    if (accountsCombo_.GetCount() == 1) {
        settings_->WriteString("tunnel", "default", name);
        MarkDefaultForwardings(name);
        settings_->WriteString("IE", "proxyServer", name);
        settings_->WriteString("IE", "proxyPort", "50000");
        ShowProxySettingsSet(true);
    }
    return 1;
}

int CDravenlokDlg::SaveEditedAccount() {
    if (!CheckAccountFields())
        return -1;
    if (savedServerName_.empty() && savedUserName_.empty() && savedPassword_.empty() &&
        savedServerPort_.empty()) {
        // Edit was pressed with no account shown: the fields make a new account.
        editorMode_ = EditorMode::NewAccount;
        EditOrSave();
        return -1;
    }
    std::string name = accountsCombo_.GetText();
    std::string userName = userNameEdit_.GetText();
    std::string password = passwordEdit_.GetText();
    std::string serverPort = serverPortEdit_.GetText();
    bool renamed = name != savedServerName_;
    // Every check before the first write, so that a refused save changes nothing.
    if (renamed && !CheckNewServerName(name, savedServerName_))
        return -1;
    if (password != savedPassword_ && !CheckPasswordCanBeStored(password))
        return -1;

    RegistryReader registry;
    if (renamed) {
        const std::string oldName = savedServerName_;
        int oldItem = FindExactItem(accountsCombo_, oldName);
        if (oldItem >= 0)
            ::SendMessageA(accountsCombo_, CB_DELETESTRING, oldItem, 0);
        accountsCombo_.SetCurSel(accountsCombo_.AddString(name));
        registry.RecreateSessionProfile(oldName, name, savedUserName_);
        settings_->RenameAccountSection(oldName, name);
        settings_->WriteString(
            "tunnel", "servers",
            ReplaceServerEntry(settings_->ReadString("tunnel", "servers"), oldName, name));
        RenameForwardingAccount(oldName, name);
        settings_->RemoveAccountName(oldName);
        settings_->AppendAccountName(name);
        if (settings_->ReadString("tunnel", "default") == oldName)
            settings_->WriteString("tunnel", "default", name);
        if (settings_->ReadString("IE", "proxyserver") == oldName)
            settings_->WriteString("IE", "proxyserver", name);
        savedServerName_ = name;
    }
    if (userName != savedUserName_) {
        registry.WriteRegistryString(HKEY_CURRENT_USER, SessionPath(savedServerName_), "UserName",
                                     userName);
        settings_->WriteString(savedServerName_, "username", userName);
        savedUserName_ = userName;
    }
    // An untouched field still holds the stored scrambled text, which is not scrambled again.
    if (password != savedPassword_) {
        std::string scrambled = ScramblePassword(password);
        settings_->WriteString(savedServerName_, "password", scrambled);
        savedPassword_ = scrambled;
    }
    if (serverPort != savedServerPort_) {
        registry.WritePortForwardings(
            savedServerName_,
            ChangeSessionTargetPort(registry.ReadPortForwardings(savedServerName_),
                                    savedServerPort_, serverPort));
        ChangeForwardingTargetPort(savedServerName_, savedServerPort_, serverPort);
        settings_->WriteString(savedServerName_, "port", serverPort);
    }
    return 1;
}

void CDravenlokDlg::CancelEdit() {
    int item = FindExactItem(accountsCombo_, savedServerName_);
    if (item >= 0)
        accountsCombo_.SetCurSel(item);
    accountsCombo_.SetText(savedServerName_);
    userNameEdit_.SetText(savedUserName_);
    passwordEdit_.SetText(savedPassword_);
    serverPortEdit_.SetText(savedServerPort_);
    EnableAccountEditing(EditorMode::Idle);
}

void CDravenlokDlg::DeleteAccount() {
    std::string name = accountsCombo_.GetText();
    if (name.empty())
        return;
    // A name typed in another letter case means the account it names.
    int item = accountsCombo_.FindStringExact(-1, name);
    if (item >= 0)
        name = accountsCombo_.GetItemText(item);
    CServerRemove confirmation(Handle(), name);
    if (confirmation.DoModal() != IDOK)
        return;
    RemoveAccount(name);
}

void CDravenlokDlg::RemoveAccount(const std::string& name) {
    RegistryReader().DeleteSessionProfile(name);
    settings_->RemoveAccountName(name);
    int item = FindExactItem(accountsCombo_, name);
    if (item >= 0)
        ::SendMessageA(accountsCombo_, CB_DELETESTRING, item, 0);
    settings_->DeleteSection(name);
    settings_->WriteString("tunnel", "servers",
                           RemoveServerEntry(settings_->ReadString("tunnel", "servers"), name));

    if (accountsCombo_.GetCount() > 0) {
        accountsCombo_.SetCurSel(0);
        ShowAccount();
    } else {
        accountsCombo_.SetText("");
        userNameEdit_.SetText("");
        passwordEdit_.SetText("");
        serverPortEdit_.SetText("");
        targetServerEdit_.SetText("");
        targetPortEdit_.SetText("");
    }
    if (settings_->ReadString("tunnel", "default") == name)
        settings_->WriteString("tunnel", "default", "");
    if (settings_->ReadString("IE", "proxyserver") == name) {
        settings_->WriteString("IE", "proxyserver", "");
        settings_->WriteString("IE", "proxyport", "");
        ShowProxySettingsSet(false);
    }
    localPortEdit_.SetText("");
    targetServerEdit_.SetText("");
    portDescriptionEdit_.SetText("");
    RemoveAccountForwardings(name);
}

void CDravenlokDlg::SetDefaultAccount() {
    std::string name = accountsCombo_.GetText();
    if (name.empty() || name == defaultAccountName_)
        return;
    settings_->WriteString("tunnel", "default", name);
    defaultAccountName_ = name;
    settings_->WriteString("IE", "proxyServer", name);
    MarkDefaultForwardings(name);
}
