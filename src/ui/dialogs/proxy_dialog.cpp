// The browser proxy dialog: server and port with the account's proxy forwarding, the
// connection the proxy applies to, and the browser following both while the option is on.
#include "ui/dialogs/proxy_dialog.h"

#include "controls/colors.h"
#include "help_ids.h"
#include "logic/bypass_list.h"
#include "resource.h"
#include "system/browser_settings.h"
#include "ui/dialogs/refusal_box.h"
#include "ui/dialogs/write_failure_box.h"

#include <utility>

namespace {

const char kLanType[] = "1";
const char kOtherType[] = "2";

// The item whose text is exactly `text` (the combo's own search ignores letter case), or -1.
int FindExactItem(const fw::ComboBox& combo, const std::string& text) {
    for (int i = 0; i < combo.GetCount(); ++i) {
        if (combo.GetItemText(i) == text)
            return i;
    }
    return -1;
}

} // namespace

IExplorerDlg::IExplorerDlg(HWND parent, AccountStore& accounts, BrowserProxy& browserProxy,
                           bool useBrowserProxy, SavedHandler onSaved,
                           EnumEntriesFunction phoneBook)
    : fw::Dialog(IDD_IE_PROXY, parent), accounts_(accounts), browserProxy_(browserProxy),
      useBrowserProxy_(useBrowserProxy), onSaved_(std::move(onSaved)), phoneBook_(phoneBook) {
    SetHelpTopic(IDH_PROXY_DIALOG);
    OnCommand(IDC_PROXY_EDIT_SAVE, [this] { EditOrSaveProxy(); });
    OnCommand(IDC_CONNECTION_LAN, [this] { ChooseLan(); });
    OnCommand(IDC_CONNECTION_OTHER, [this] { ChooseOther(); });
    OnCommand(IDC_CONNECTION_EDIT_SAVE, [this] { EditOrSaveConnectionName(); });
    OnCommand(IDC_BYPASS_EDIT_SAVE, [this] { EditOrSaveBypass(); });
    for (UINT message :
         {WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX}) {
        OnMessage(message, [this, message](WPARAM w, LPARAM l) {
            return OnCtlColor(message, reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
        });
    }
}

void IExplorerDlg::DoDataExchange() {
    HWND dialog = Handle();
    serverCombo_.Bind(dialog, IDC_PROXY_SERVER);
    portEdit_.Bind(dialog, IDC_PROXY_PORT);
    proxyEditButton_.Bind(dialog, IDC_PROXY_EDIT_SAVE);
    lanRadio_.Bind(dialog, IDC_CONNECTION_LAN);
    otherRadio_.Bind(dialog, IDC_CONNECTION_OTHER);
    connectionCombo_.Bind(dialog, IDC_CONNECTION_NAME);
    connectionEditButton_.Bind(dialog, IDC_CONNECTION_EDIT_SAVE);
    bypassEdit_.Bind(dialog, IDC_PROXY_BYPASS);
    localNamesBox_.Bind(dialog, IDC_PROXY_BYPASS_LOCAL);
    bypassEditButton_.Bind(dialog, IDC_BYPASS_EDIT_SAVE);
}

bool IExplorerDlg::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    FillConnectionNames();
    ShowConnectionType();
    FillServers();
    ShowBypass();
    return true;
}

// A stored connection that has gone from the phone book is forgotten, and the proxy goes back
// to the LAN.
void IExplorerDlg::FillConnectionNames() {
    connectionCombo_.AddString("");
    for (const std::string& name : EnumerateDialUpConnections(phoneBook_))
        connectionCombo_.AddString(name);
    int item = FindExactItem(connectionCombo_, Settings().ReadString(setting::kConnectionName));
    if (item < 0) {
        item = FindExactItem(connectionCombo_, "");
        Store(setting::kConnectionName, "");
        Store(setting::kConnectionType, kLanType);
    }
    connectionCombo_.SetCurSel(item);
}

void IExplorerDlg::ShowConnectionType() {
    if (Settings().ReadString(setting::kConnectionType) == kLanType) {
        lanRadio_.SetCheck(true);
    } else {
        otherRadio_.SetCheck(true);
        connectionEditButton_.Enable(true);
    }
}

void IExplorerDlg::FillServers() {
    if (accounts_.Names().empty())
        return;
    for (const std::string& name : accounts_.Names())
        serverCombo_.AddString(name);
    std::string server = Settings().ReadString(setting::kProxyAccount);
    if (server.empty()) {
        serverCombo_.SetCurSel(0);
        return;
    }
    serverCombo_.SetCurSel(serverCombo_.FindStringExact(-1, server));
    portEdit_.SetText(Settings().ReadString(setting::kProxyPort));
}

void IExplorerDlg::EditOrSaveProxy() {
    if (!editingProxy_) {
        EnableProxyEditing(true);
        return;
    }
    std::string server = serverCombo_.GetText();
    if (server.empty())
        return;
    std::string port = portEdit_.GetText();
    // Every refusal here is about the port.
    auto portField = [this](InputField) -> fw::Control* { return &portEdit_; };
    if (!Accept(CheckProxyPort(port), Handle(), portField))
        return;
    ProxyForwardingChange change = accounts_.SetProxyForwarding(server, port);
    if (!Accept(change.refusal, Handle(), portField))
        return;
    if (change.refused) {
        ShowWriteFailure(Handle(), Settings());
        // The forwarding may be stored without the proxy account.
        if (onSaved_)
            onSaved_(change);
        return;
    }
    // The chosen connection goes to the port as stored; the other one is set direct.
    std::string chosen = ChosenConnection();
    std::string other = chosen.empty() ? Settings().ReadString(setting::kConnectionName) : "";
    SwitchConnection(other, chosen, accounts_.ProxyPort());
    if (onSaved_)
        onSaved_(change);
    EnableProxyEditing(false);
}

// Our own entries of the bypass list, "<local>" shown by its box.
void IExplorerDlg::ShowBypass() {
    std::string stored = Settings().ReadString(setting::kBypassList);
    shownBypass_ = stored.empty() ? kDefaultBypass : stored;
    bypassEdit_.SetText(WithLocalNames(shownBypass_, false));
    localNamesBox_.SetCheck(HasLocalNames(shownBypass_));
}

// Stored only when changed, so that a file that never had the list stays as it was; an empty
// list goes back to the default. It applies from the next start of the tunnel.
void IExplorerDlg::EditOrSaveBypass() {
    if (!editingBypass_) {
        EnableBypassEditing(true);
        return;
    }
    std::string list = WithLocalNames(bypassEdit_.GetText(), localNamesBox_.IsChecked());
    if (!Accept(CheckBypassList(list), Handle(),
                [this](InputField) -> fw::Control* { return &bypassEdit_; }))
        return;
    if (list.empty())
        list = kDefaultBypass;
    if (list != shownBypass_ &&
        !Settings().WriteString(setting::kBypassList, list == kDefaultBypass ? "" : list)) {
        ShowWriteFailure(Handle(), Settings());
        return;
    }
    EnableBypassEditing(false);
    ShowBypass();
}

void IExplorerDlg::EnableBypassEditing(bool editing) {
    editingBypass_ = editing;
    bypassEditButton_.SetText(editing ? "Save" : "Edit");
    bypassEdit_.Enable(editing);
    localNamesBox_.Enable(editing);
}

void IExplorerDlg::EnableProxyEditing(bool editing) {
    editingProxy_ = editing;
    proxyEditButton_.SetText(editing ? "Save" : "Edit");
    serverCombo_.Enable(editing);
    portEdit_.Enable(editing);
}

// Each choice is stored at once; one the settings file refuses is reported, and the browser
// follows what is stored.
void IExplorerDlg::Store(const Setting& setting, const std::string& value) {
    if (!Settings().WriteString(setting, value))
        ShowWriteFailure(Handle(), Settings());
}

void IExplorerDlg::ChooseLan() {
    std::string before = ChosenConnection();
    SelectLan();
    SwitchConnection(before, std::string(), accounts_.ProxyPort());
}

void IExplorerDlg::ChooseOther() {
    std::string before = ChosenConnection();
    Store(setting::kConnectionType, kOtherType);
    connectionEditButton_.Enable(true);
    SwitchConnection(before, ChosenConnection(), accounts_.ProxyPort());
}

void IExplorerDlg::EditOrSaveConnectionName() {
    if (!editingConnection_) {
        editingConnection_ = true;
        connectionEditButton_.SetText("Save");
        connectionCombo_.Enable(true);
        return;
    }
    std::string before = ChosenConnection();
    std::string name = connectionCombo_.GetText();
    if (name != Settings().ReadString(setting::kConnectionName))
        Store(setting::kConnectionName, name);
    if (name.empty()) {
        lanRadio_.SetCheck(true);
        otherRadio_.SetCheck(false);
        SelectLan();
    } else {
        // Saved under "Other": stored as such, so that the main window applies the proxy to
        // this connection too.
        Store(setting::kConnectionType, kOtherType);
        editingConnection_ = false;
        connectionEditButton_.SetText("Edit");
        connectionCombo_.Enable(false);
    }
    SwitchConnection(before, ChosenConnection(), accounts_.ProxyPort());
}

void IExplorerDlg::SelectLan() {
    Store(setting::kConnectionType, kLanType);
    editingConnection_ = false;
    connectionEditButton_.SetText("Edit");
    connectionEditButton_.Enable(false);
    connectionCombo_.Enable(false);
    // A name chosen but not saved is dropped.
    SelectStoredConnectionName();
}

void IExplorerDlg::SelectStoredConnectionName() {
    connectionCombo_.SetCurSel(
        FindExactItem(connectionCombo_, Settings().ReadString(setting::kConnectionName)));
}

// As the main window applies the proxy: the named connection for type 2, else the LAN.
std::string IExplorerDlg::ChosenConnection() const {
    if (Settings().ReadInt(setting::kConnectionType) != 2)
        return std::string();
    return Settings().ReadString(setting::kConnectionName);
}

// While the option is on: the connection no longer chosen goes direct, so that none is left
// pointing at a port that nothing serves once the tunnel stops, and then the chosen one is
// pointed at the tunnel. In this order the chosen one wins where both names reach the same
// settings, as every name reaches the LAN settings under Wine.
void IExplorerDlg::SwitchConnection(const std::string& from, const std::string& to,
                                    const std::string& port) {
    if (!useBrowserProxy_)
        return;
    if (from != to)
        browserProxy_.Set(from, port, false);
    if (!port.empty())
        browserProxy_.Set(to, port, true);
}

// The input fields and the lists of their combo boxes on white, everything else on grey; under
// high contrast in the system's colours.
LRESULT IExplorerDlg::OnCtlColor(UINT message, HDC dc, HWND control) const {
    int id = ::GetDlgCtrlID(control);
    bool field = message == WM_CTLCOLORLISTBOX || id == IDC_PROXY_PORT || id == IDC_PROXY_SERVER ||
                 id == IDC_CONNECTION_NAME;
    ::SetTextColor(dc, ColorOf(field ? Part::kFieldText : Part::kText, highContrast_));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(BrushOf(field ? Part::kField : Part::kWindow, highContrast_));
}
