// The accounts editor and the port forwardings of the main window: the account store writes
// every change at once to the settings file and the account's saved SSH session; the editor
// shows it in the combo box, the fields and the list.
#include "ui/accounts_editor.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "resource.h"
#include "ui/dialogs/server_remove_dialog.h"
#include "ui/dialogs/account_options_dialog.h"
#include "ui/dialogs/write_failure_box.h"

#include <utility>

namespace {

// The saved session of a removed or renamed account is still in the registry, or was not there.
void ShowSessionNotDeleted() {
    fw::ShowMessageBox(nullptr, "Can't delete the registry key!", kProgramName, MB_OK);
}

} // namespace

AccountsEditor::AccountsEditor(fw::Dialog& dialog, AccountStore& accounts, Events events)
    : fw::DialogPart(dialog), accounts_(accounts), events_(std::move(events)) {
    OnCommand(IDC_SERVER_NAME, CBN_SELCHANGE, [this] { ShowAccount(); });
    OnCommand(IDC_NEW_ACCOUNT, [this] { BeginNewAccount(); });
    OnCommand(IDC_EDIT_SAVE, [this] { EditOrSave(); });
    OnCommand(IDC_CANCEL_EDIT, [this] { CancelEdit(); });
    OnCommand(IDC_DELETE_ACCOUNT, [this] { DeleteAccount(); });
    OnCommand(IDC_SET_DEFAULT, [this] { SetDefaultAccount(); });
    OnCommand(IDC_ACCOUNT_OPTIONS, [this] { ChooseOptions(); });
    OnCommand(IDC_ADD_FORWARDING, [this] { AddForwarding(); });
    OnCommand(IDC_DELETE_FORWARDING, [this] { DeleteForwarding(); });
    OnNotify(IDC_FORWARDING_LIST, NM_CLICK, [this](NMHDR*) { return SelectForwarding(); });
    OnNotify(IDC_FORWARDING_LIST, LVN_GETDISPINFOA, [this](NMHDR* header) -> LRESULT {
        forwardingList_.AnswerCellRequest(*reinterpret_cast<NMLVDISPINFOA*>(header));
        return 0;
    });
}

void AccountsEditor::DoDataExchange(HWND dialog) {
    accountsCombo_.Bind(dialog, IDC_SERVER_NAME);
    userNameEdit_.Bind(dialog, IDC_USER_NAME);
    passwordEdit_.Bind(dialog, IDC_PASSWORD);
    serverPortEdit_.Bind(dialog, IDC_SERVER_PORT);
    newAccountButton_.Bind(dialog, IDC_NEW_ACCOUNT);
    deleteAccountButton_.Bind(dialog, IDC_DELETE_ACCOUNT);
    setDefaultButton_.Bind(dialog, IDC_SET_DEFAULT);
    optionsButton_.Bind(dialog, IDC_ACCOUNT_OPTIONS);
    editSaveButton_.Bind(dialog, IDC_EDIT_SAVE);
    cancelEditButton_.Bind(dialog, IDC_CANCEL_EDIT);
    addForwardingButton_.Bind(dialog, IDC_ADD_FORWARDING);
    deleteForwardingButton_.Bind(dialog, IDC_DELETE_FORWARDING);
    forwardingList_.Bind(dialog, IDC_FORWARDING_LIST);
    localPortEdit_.Bind(dialog, IDC_LOCAL_PORT);
    targetServerEdit_.Bind(dialog, IDC_TARGET_SERVER);
    targetPortEdit_.Bind(dialog, IDC_TARGET_PORT);
    portDescriptionEdit_.Bind(dialog, IDC_PORT_DESCRIPTION);
}

void AccountsEditor::OnInitDialog() {
    forwardingList_.SetUp();
}

void AccountsEditor::ShowAccounts() {
    defaultAccountName_ = accounts_.DefaultName();
    FillAccountsCombo();
    FillForwardingList();
    SelectStartAccount();
}

void AccountsEditor::FillAccountsCombo() {
    accountsCombo_.AddStrings(accounts_.Names());
}

void AccountsEditor::SelectStartAccount() {
    if (!defaultAccountName_.empty()) {
        accountsCombo_.SetCurSel(accountsCombo_.FindStringExact(-1, defaultAccountName_));
        ShowAccount();
        forwardingList_.MarkDefault(defaultAccountName_);
    } else if (accountsCombo_.GetCount() > 0) {
        accountsCombo_.SetCurSel(0);
        ShowAccount();
    }
}

// --- Accounts editor

void AccountsEditor::ShowAccount() {
    int selected = accountsCombo_.GetCurSel();
    if (selected < 0)
        return;
    // The password field shows the stored, scrambled text: an untouched field is recognised
    // when the account is saved.
    Account account = accounts_.Load(accountsCombo_.GetItemText(selected));
    userNameEdit_.SetText(account.userName);
    passwordEdit_.SetText(account.password);
    serverPortEdit_.SetText(account.serverPort);
}

AccountFields AccountsEditor::ReadAccountFields() const {
    return AccountFields{accountsCombo_.GetText(), userNameEdit_.GetText(), passwordEdit_.GetText(),
                         serverPortEdit_.GetText()};
}

void AccountsEditor::ShowAccountFields(const Account& account) {
    accountsCombo_.SetText(account.name);
    userNameEdit_.SetText(account.userName);
    passwordEdit_.SetText(account.password);
    serverPortEdit_.SetText(account.serverPort);
}

void AccountsEditor::SaveFieldValues() {
    AccountFields fields = ReadAccountFields();
    savedFields_ = Account{fields.serverName, fields.userName, fields.password, fields.serverPort,
                           SignIn::Password, std::string()};
}

// The controls of each mode: the account fields are editable only in New and Edit, which
// lock the buttons that would change other accounts or forwardings meanwhile.
void AccountsEditor::EnableAccountEditing(EditorMode mode) {
    editorMode_ = mode;
    bool editing = mode != EditorMode::Idle;
    userNameEdit_.Enable(editing);
    passwordEdit_.Enable(editing);
    serverPortEdit_.Enable(editing);
    newAccountButton_.Enable(mode != EditorMode::EditAccount);
    deleteAccountButton_.Enable(!editing);
    setDefaultButton_.Enable(!editing);
    optionsButton_.Enable(!editing);
    EnableForwardingButtons(!editing);
    cancelEditButton_.Enable(editing);
    editSaveButton_.SetText(editing ? "Save" : "Edit");
    events_.editingChanged(editing);
}

void AccountsEditor::BeginNewAccount() {
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

void AccountsEditor::EditOrSave() {
    switch (editorMode_) {
    case EditorMode::Idle:
        localPortEdit_.SetText("");
        targetServerEdit_.SetText("");
        portDescriptionEdit_.SetText("");
        SaveFieldValues();
        EnableAccountEditing(EditorMode::EditAccount);
        break;
    case EditorMode::NewAccount:
        if (SaveNewAccount())
            EnableAccountEditing(EditorMode::Idle);
        break;
    case EditorMode::EditAccount:
        if (SaveEditedAccount())
            EnableAccountEditing(EditorMode::Idle);
        break;
    }
}

fw::Control* AccountsEditor::FieldControl(InputField field) {
    switch (field) {
    case InputField::ServerName:
        return &accountsCombo_;
    case InputField::UserName:
        return &userNameEdit_;
    case InputField::Password:
        return &passwordEdit_;
    case InputField::ServerPort:
        return &serverPortEdit_;
    case InputField::LocalPort:
        return &localPortEdit_;
    case InputField::TargetServer:
        return &targetServerEdit_;
    case InputField::TargetPort:
        return &targetPortEdit_;
    case InputField::Description:
        return &portDescriptionEdit_;
    case InputField::None:
        break;
    }
    return nullptr;
}

bool AccountsEditor::SaveNewAccount() {
    AccountFields fields = ReadAccountFields();
    if (!Accept(CheckAccountFields(fields), DialogHandle(), fieldOf_) ||
        !Accept(CheckNewServerName(fields.serverName, std::string(), accounts_.Names()),
                DialogHandle(), fieldOf_) ||
        !Accept(CheckPasswordCanBeStored(fields.password), DialogHandle(), fieldOf_))
        return false;

    AccountCreation creation = accounts_.Create(fields);
    if (ShowStoredAfterWriteFailure(creation, savedFields_.name))
        return false;
    accountsCombo_.AddString(fields.serverName);
    AddDefaultForwardings(fields.serverName, fields.serverPort);
    // The first account becomes the default and carries the browser's traffic.
    if (creation.first) {
        defaultAccountName_ = fields.serverName;
        forwardingList_.MarkDefault(fields.serverName);
        events_.proxySettingsChanged(true);
    }
    return true;
}

// Whether the edit was saved; an edit of no account shown saves a new one instead, and the
// editor then stays in that mode.
bool AccountsEditor::SaveEditedAccount() {
    AccountFields fields = ReadAccountFields();
    // An account that signs in with a key or the agent needs no password.
    fields.signIn = accounts_.Load(savedFields_.name).signIn;
    if (!Accept(CheckAccountFields(fields), DialogHandle(), fieldOf_))
        return false;
    const Account& saved = savedFields_;
    if (saved.name.empty() && saved.userName.empty() && saved.password.empty() &&
        saved.serverPort.empty()) {
        // Edit was pressed with no account shown: the fields make a new account.
        editorMode_ = EditorMode::NewAccount;
        EditOrSave();
        return false;
    }
    bool renamed = fields.serverName != saved.name;
    // Every check before the first write, so that a refused save changes nothing.
    if (renamed && !Accept(CheckNewServerName(fields.serverName, saved.name, accounts_.Names()),
                           DialogHandle(), fieldOf_))
        return false;
    if (fields.password != saved.password &&
        !Accept(CheckPasswordCanBeStored(fields.password), DialogHandle(), fieldOf_))
        return false;

    AccountUpdate update = accounts_.Update(saved, fields);
    if (update.oldSessionNotDeleted)
        ShowSessionNotDeleted();
    if (ShowStoredAfterWriteFailure(update, update.renamed ? fields.serverName : saved.name))
        return false;
    if (renamed) {
        RemoveAccountItem(saved.name);
        accountsCombo_.SetCurSel(accountsCombo_.AddString(fields.serverName));
    }
    if (update.renamed) {
        forwardingList_.RenameAccount(saved.name, fields.serverName);
        if (defaultAccountName_ == saved.name)
            defaultAccountName_ = fields.serverName;
    }
    if (update.serverPortChanged)
        forwardingList_.ChangeTargetPort(fields.serverName, saved.serverPort, fields.serverPort);
    if (update.serverKeysNotMoved)
        fw::ShowMessageBox(DialogHandle(),
                           "The server's key could not be moved to the account's new name in the "
                           "file '" +
                               accounts_.KnownHosts().Path() +
                               "'. The next Start asks about the server's key again.",
                           kProgramName, MB_OK | MB_ICONSTOP);
    savedFields_.name = fields.serverName;
    savedFields_.userName = fields.userName;
    savedFields_.password = update.storedPassword;
    return 1;
}

void AccountsEditor::CancelEdit() {
    SelectAccountItem(savedFields_.name);
    ShowAccountFields(savedFields_);
    EnableAccountEditing(EditorMode::Idle);
}

// The combo's item whose text equals the name exactly; -1 when there is none.
int AccountsEditor::AccountItem(const std::string& name) const {
    for (int i = 0; i < accountsCombo_.GetCount(); ++i) {
        if (accountsCombo_.GetItemText(i) == name)
            return i;
    }
    return -1;
}

void AccountsEditor::SelectAccountItem(const std::string& name) {
    int item = AccountItem(name);
    if (item >= 0)
        accountsCombo_.SetCurSel(item);
}

void AccountsEditor::RemoveAccountItem(const std::string& name) {
    int item = AccountItem(name);
    if (item >= 0)
        ::SendMessageA(accountsCombo_, CB_DELETESTRING, item, 0);
}

void AccountsEditor::DeleteAccount() {
    std::string name = accountsCombo_.GetText();
    if (name.empty())
        return;
    // A name typed in another letter case means the account it names.
    int item = accountsCombo_.FindStringExact(-1, name);
    if (item >= 0)
        name = accountsCombo_.GetItemText(item);
    CServerRemove confirmation(DialogHandle(), name);
    if (confirmation.DoModal() != IDOK)
        return;
    RemoveAccount(name);
}

void AccountsEditor::RemoveAccount(const std::string& name) {
    AccountRemoval removal = accounts_.Remove(name);
    if (removal.sessionNotDeleted)
        ShowSessionNotDeleted();
    if (ShowStoredAfterWriteFailure(removal, name))
        return;
    RemoveAccountItem(name);
    if (defaultAccountName_ == name)
        defaultAccountName_.clear();
    if (accountsCombo_.GetCount() > 0) {
        accountsCombo_.SetCurSel(0);
        ShowAccount();
    } else {
        ShowAccountFields(Account());
        targetServerEdit_.SetText("");
        targetPortEdit_.SetText("");
    }
    if (removal.wasProxyAccount)
        events_.proxySettingsChanged(false);
    localPortEdit_.SetText("");
    targetServerEdit_.SetText("");
    portDescriptionEdit_.SetText("");
    forwardingList_.RemoveAccount(name);
}

// The options of the account shown; only a stored account has options to keep.
void AccountsEditor::ChooseOptions() {
    std::string name = accounts_.Settings().StoredAccountName(accountsCombo_.GetText());
    if (name.empty()) {
        fw::ShowMessageBox(DialogHandle(), "Please save the account first!", kProgramName,
                           MB_OK | MB_ICONINFORMATION);
        return;
    }
    const Account account = accounts_.Load(name);
    AccountOptionsDialog dialog(DialogHandle(),
                                AccountOptions{account.signIn, account.keyFile, account.browserWay});
    if (dialog.DoModal() != IDOK)
        return;
    const AccountOptions& chosen = dialog.Chosen();
    if (accounts_.SetSignIn(name, chosen.signIn, chosen.keyFile).refused ||
        accounts_.SetBrowserWay(name, chosen.browserWay).refused)
        ShowWriteFailure(DialogHandle(), accounts_.Settings());
}

void AccountsEditor::SetDefaultAccount() {
    std::string name = accountsCombo_.GetText();
    if (name.empty() || name == defaultAccountName_)
        return;
    if (ShowStoredAfterWriteFailure(accounts_.SetDefault(name), name))
        return;
    defaultAccountName_ = name;
    forwardingList_.MarkDefault(name);
}

// After a write the settings file refused: the box, and what is stored with the name selected;
// whether there was such a failure.
bool AccountsEditor::ShowStoredAfterWriteFailure(const StoreAnswer& answer,
                                                 const std::string& select) {
    if (!answer.refused)
        return false;
    ShowWriteFailure(DialogHandle(), accounts_.Settings());
    ShowStoredAccounts(select);
    return true;
}

// After a change that could not be written whole, the window shows what is stored, not what was
// typed: the accounts, their forwardings and the proxy account as the file has them.
void AccountsEditor::ShowStoredAccounts(const std::string& select) {
    accounts_.ReloadNames();
    ::SendMessageA(accountsCombo_, CB_RESETCONTENT, 0, 0);
    FillAccountsCombo();
    FillForwardingList();
    defaultAccountName_ = accounts_.DefaultName();
    forwardingList_.MarkDefault(defaultAccountName_);
    int item = accountsCombo_.FindStringExact(-1, select);
    accountsCombo_.SetCurSel(item >= 0 ? item : 0);
    if (accountsCombo_.GetCurSel() >= 0) {
        ShowAccount();
    } else {
        accountsCombo_.SetText("");
        ShowAccountFields(Account());
    }
    events_.proxySettingsChanged(!accounts_.Settings().ReadString(setting::kProxyAccount).empty());
    EnableAccountEditing(EditorMode::Idle);
}

// --- Port forwardings: the list of all accounts' forwardings

void AccountsEditor::FillForwardingList() {
    forwardingList_.Fill(accounts_.AllForwardings());
}

// The rows of the three forwardings a new account starts with; the account store has written
// them.
void AccountsEditor::AddDefaultForwardings(const std::string& account,
                                           const std::string& serverPort) {
    for (const Forwarding& forwarding : DefaultForwardings(serverPort))
        forwardingList_.Append({account, forwarding}, false);
}

void AccountsEditor::AddForwarding() {
    Forwarding forwarding{localPortEdit_.GetText(), targetServerEdit_.GetText(),
                          targetPortEdit_.GetText(), portDescriptionEdit_.GetText()};
    // The forwarding belongs to the account named in the server field.
    std::string account = accountsCombo_.GetText();
    if (!Accept(CheckForwarding(forwarding), DialogHandle(), fieldOf_) ||
        !Accept(CheckForwardingAccount(account, accounts_.Names()), DialogHandle(), fieldOf_))
        return;
    AccountStore::ForwardingAddition addition = accounts_.AddForwarding(account, forwarding);
    switch (addition.result) {
    case AccountStore::AddResult::AlreadyForwarded:
        return;
    case AccountStore::AddResult::TooMany:
        fw::ShowMessageBox(DialogHandle(), kTooManyForwardings, kProgramName, MB_OK | MB_ICONSTOP);
        return;
    case AccountStore::AddResult::Added:
        break;
    }
    if (addition.refused) {
        ShowWriteFailure(DialogHandle(), accounts_.Settings());
        return;
    }
    ClearForwardingFields();
    forwardingList_.Append({account, forwarding}, account == defaultAccountName_);
}

void AccountsEditor::DeleteForwarding() {
    int row = forwardingList_.SelectedRow();
    if (row < 0)
        return;
    AccountForwarding selected = forwardingList_.Row(row);
    const Forwarding& forwarding = selected.forwarding;
    std::string question = "Delete this forwarding?\nLocal port: " + forwarding.localPort +
                           "\nServer account: " + selected.account +
                           "\nTargetServer: " + forwarding.targetServer + ":" +
                           forwarding.targetPort + "\nDescription: " + forwarding.description;
    if (fw::ShowMessageBox(DialogHandle(), question, kProgramName, MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;

    AccountStore::ForwardingRemoval removal =
        accounts_.RemoveForwarding(selected.account, forwarding);
    if (ShowStoredAfterWriteFailure(removal, selected.account))
        return;
    if (removal.wasProxyForwarding)
        events_.proxySettingsChanged(false);
    forwardingList_.Remove(row);
    ClearForwardingFields();
}

LRESULT AccountsEditor::SelectForwarding() {
    if (editorMode_ != EditorMode::Idle)
        return 0;
    int row = forwardingList_.SelectedRow();
    if (row < 0)
        return 0;
    const AccountForwarding& selected = forwardingList_.Row(row);
    int item = accountsCombo_.FindStringExact(-1, selected.account);
    if (item >= 0) {
        accountsCombo_.SetCurSel(item);
        ShowAccount();
    }
    localPortEdit_.SetText(selected.forwarding.localPort);
    portDescriptionEdit_.SetText(selected.forwarding.description);
    targetServerEdit_.SetText(selected.forwarding.targetServer);
    targetPortEdit_.SetText(selected.forwarding.targetPort);
    return 0;
}

void AccountsEditor::EnableForwardingButtons(bool enable) {
    addForwardingButton_.Enable(enable);
    deleteForwardingButton_.Enable(enable);
}

void AccountsEditor::ClearForwardingFields() {
    for (fw::Edit* field :
         {&localPortEdit_, &portDescriptionEdit_, &targetServerEdit_, &targetPortEdit_})
        field->SetText("");
}

void AccountsEditor::ShowProxyForwarding(const ProxyForwardingChange& change) {
    if (change.refused) {
        ShowStoredAccounts(SelectedAccount());
        return;
    }
    events_.proxySettingsChanged(true);
    switch (change.kind) {
    case ProxyForwardingChange::Kind::Moved:
        forwardingList_.Replace(
            forwardingList_.FindForwardingRow(change.oldLocalPort, change.account),
            change.forwarding);
        break;
    case ProxyForwardingChange::Kind::Added:
        forwardingList_.Append({change.account, change.forwarding},
                               change.account == defaultAccountName_);
        break;
    case ProxyForwardingChange::Kind::None:
        break;
    }
}
