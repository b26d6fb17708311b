// AccountsEditor: the main window's accounts editor and port forwardings, a part of the window.
// It owns the accounts combo box, the account's fields and buttons, the forwarding entry fields
// and buttons and the list of every account's forwardings, and the editor's mode. Accounts are
// shown, created, edited, renamed, removed and made the default, and forwardings added, deleted
// and selected; the window's AccountStore writes each change at once to the settings file and
// the account's saved SSH session. What a change means elsewhere in the window, the editor
// tells through its events.
#pragma once

#include "framework/controls.h"
#include "framework/dialog_part.h"
#include "logic/account_rules.h"
#include "settings/account_store.h"
#include "ui/dialogs/refusal_box.h"
#include "ui/forwarding_list.h"

#include <functional>
#include <string>

class AccountsEditor : public fw::DialogPart {
public:
    struct Events {
        // The browser proxy's account is set, or no longer set.
        std::function<void(bool set)> proxySettingsChanged;
        // An account is being edited (after New or Edit), or no longer.
        std::function<void(bool editing)> editingChanged;
    };

    AccountsEditor(fw::Dialog& dialog, AccountStore& accounts, Events events);

    // Shows the accounts the store has loaded and their forwardings, with the default account
    // selected, or the first.
    void ShowAccounts();
    // The account named in the server field, which Start starts.
    std::string SelectedAccount() const { return accountsCombo_.GetText(); }
    void ClearForwardingFields();
    // Shows the forwarding the browser proxy dialog moved or added, and the proxy account set;
    // after a write the settings file refused, the accounts and forwardings as stored.
    void ShowProxyForwarding(const ProxyForwardingChange& change);

protected:
    void DoDataExchange(HWND dialog) override;
    void OnInitDialog() override;

private:
    enum class EditorMode { Idle, NewAccount, EditAccount };

    void SelectStartAccount();
    void ShowAccount();
    void BeginNewAccount();
    void EditOrSave();
    // Whether the account was saved; a refusal or a failure has shown its box.
    bool SaveNewAccount();
    bool SaveEditedAccount();
    AccountFields ReadAccountFields() const;
    void ShowAccountFields(const Account& account);
    void SaveFieldValues();
    void EnableAccountEditing(EditorMode mode);
    void CancelEdit();
    void DeleteAccount();
    void RemoveAccount(const std::string& name);
    void SetDefaultAccount();
    void ChooseOptions();
    fw::Control* FieldControl(InputField field);
    int AccountItem(const std::string& name) const;
    void SelectAccountItem(const std::string& name);
    void RemoveAccountItem(const std::string& name);
    void ShowStoredAccounts(const std::string& select);
    bool ShowStoredAfterWriteFailure(const StoreAnswer& answer, const std::string& select);

    void FillAccountsCombo();
    void FillForwardingList();
    void AddDefaultForwardings(const std::string& account, const std::string& serverPort);
    void AddForwarding();
    void DeleteForwarding();
    LRESULT SelectForwarding();
    void EnableForwardingButtons(bool enable);

    AccountStore& accounts_;
    Events events_;
    EditorMode editorMode_ = EditorMode::Idle;
    // The account's fields as they were when New or Edit began, for Cancel and Save.
    Account savedFields_;
    std::string defaultAccountName_;
    // Where a refusal's box sends the focus.
    const FieldLookup fieldOf_ = [this](InputField field) { return FieldControl(field); };

    fw::ComboBox accountsCombo_;
    fw::Edit userNameEdit_;
    fw::Edit passwordEdit_;
    fw::Edit serverPortEdit_;
    fw::Button newAccountButton_;
    fw::Button deleteAccountButton_;
    fw::Button setDefaultButton_;
    fw::Button optionsButton_;
    fw::Button editSaveButton_;
    fw::Button cancelEditButton_;
    fw::Edit localPortEdit_;
    fw::Edit targetServerEdit_;
    fw::Edit targetPortEdit_;
    fw::Edit portDescriptionEdit_;
    fw::Button addForwardingButton_;
    fw::Button deleteForwardingButton_;
    ForwardingList forwardingList_;
};
