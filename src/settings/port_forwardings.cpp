// The port forwardings area of the main window: one list with the forwardings of every
// account, and Add and Delete, which keep the list, the settings file's "forwardings" and the
// SSH session's "PortForwardings" in step.
#include "framework/user_seam.h"
#include "settings/forwarding_text.h"
#include "system/registry_reader.h"
#include "ui/main_window.h"

namespace {

const unsigned long kLargestPort = 65535;

enum Column { kPortColumn, kAccountColumn, kDescriptionColumn, kDefaultColumn, kTargetColumn };

const char kDefaultMark[] = "[*]";

void AppendForwardingRow(const fw::ListView& list, const std::string& account,
                         const Forwarding& forwarding) {
    int row = list.AppendRow(forwarding.localPort);
    list.SetCell(row, kAccountColumn, account);
    list.SetCell(row, kDescriptionColumn, forwarding.description);
    list.SetCell(row, kTargetColumn, forwarding.targetServer + ":" + forwarding.targetPort);
}

// The target column "server:port", cut at its first colon.
void SplitTarget(const std::string& target, std::string& server, std::string& port) {
    size_t colon = target.find(':');
    server = target.substr(0, colon);
    port = colon == std::string::npos ? target : target.substr(colon + 1);
}

// Characters that would end a field or an entry in one of the two stored forms. Blanks and
// line breaks count too: the SSH client would not find such a host or port.
bool HasSeparator(const std::string& text) {
    for (char c : text) {
        if (c == ',' || c == ':' || c == '=' || static_cast<unsigned char>(c) <= ' ')
            return true;
    }
    return false;
}

void Refuse(HWND owner, const char* text, UINT icon) {
    fw::ShowMessageBox(owner, text, "Marrowin", MB_OK | icon);
}

} // namespace

void CDravenlokDlg::SetUpForwardingList() {
    forwardingList_.AddExtendedStyle(LVS_EX_FULLROWSELECT);
    forwardingList_.InsertColumn(kPortColumn, "Port", 40);
    forwardingList_.InsertColumn(kAccountColumn, "Account server", 100);
    forwardingList_.InsertColumn(kDescriptionColumn, "Description", 65);
    forwardingList_.InsertColumn(kDefaultColumn, "D", 25);
    forwardingList_.InsertColumn(kTargetColumn, "Target server:port", 115);
    const int order[] = {kDefaultColumn, kPortColumn, kAccountColumn, kTargetColumn,
                         kDescriptionColumn};
    forwardingList_.SetColumnOrder(order, 5);
}

void CDravenlokDlg::FillForwardingList() {
    // Without this the visible list repaints after every row, which makes filling thousands
    // of rows take seconds.
    ::SendMessageA(forwardingList_, WM_SETREDRAW, FALSE, 0);
    ValuesBySection forwardings = settings_->ReadKeyOfEverySection("forwardings");
    for (const std::string& account : settings_->AccountNames()) {
        auto found = forwardings.find(account);
        if (found == forwardings.end())
            continue;
        for (const Forwarding& forwarding : ParseSettingsForwardings(found->second))
            AppendForwardingRow(forwardingList_, account, forwarding);
    }
    ::SendMessageA(forwardingList_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(forwardingList_, nullptr, TRUE);
}

void CDravenlokDlg::MarkDefaultForwardings(const std::string& name) {
    for (int row = 0; row < forwardingList_.RowCount(); ++row) {
        std::string account = forwardingList_.Cell(row, kAccountColumn);
        account = account.substr(0, account.find(':'));
        bool marked = !forwardingList_.Cell(row, kDefaultColumn).empty();
        if (marked && account != name)
            forwardingList_.SetCell(row, kDefaultColumn, "");
        else if (!marked && account == name)
            forwardingList_.SetCell(row, kDefaultColumn, kDefaultMark);
    }
}

void CDravenlokDlg::AddDefaultForwardings(const std::string& account,
                                          const std::string& serverPort) {
    AppendForwardingRow(forwardingList_, account, {"25", "localhost", "25", "SMTP"});
    AppendForwardingRow(forwardingList_, account, {"110", "localhost", "110", "POP3"});
    AppendForwardingRow(forwardingList_, account, {"50000", "localhost", serverPort, "IE Proxy"});
    settings_->WriteString(account, "forwardings", DefaultSettingsForwardings(serverPort));
    RegistryReader().WritePortForwardings(account, DefaultSessionForwardings(serverPort));
}

void CDravenlokDlg::AddForwarding() {
    Forwarding forwarding;
    forwarding.localPort = localPortEdit_.GetText();
    forwarding.targetServer = targetServerEdit_.GetText();
    forwarding.targetPort = targetPortEdit_.GetText();
    forwarding.description = portDescriptionEdit_.GetText();

    if (forwarding.localPort.empty()) {
        Refuse(Handle(), "Please provide a local port number !", MB_ICONSTOP);
        ::SetFocus(localPortEdit_);
        return;
    }
    // The field takes digits only when typed; anything else that reaches it (pasted text)
    // would break both stored forms, so it counts as out of range.
    if (!IsAllDigits(forwarding.localPort) || ReadDecimal(forwarding.localPort) > kLargestPort) {
        Refuse(Handle(), "The local port number must be between 0 and 65535 !", MB_ICONSTOP);
        localPortEdit_.SetText("");
        ::SetFocus(localPortEdit_);
        return;
    }
    if (forwarding.targetServer.empty()) {
        Refuse(Handle(), "Please provide the target server name !", MB_ICONSTOP);
        ::SetFocus(targetServerEdit_);
        return;
    }
    const char kSeparatorMessage[] =
        "The target server and port may not contain commas, colons, equals signs or blanks!";
    if (HasSeparator(forwarding.targetServer)) {
        Refuse(Handle(), kSeparatorMessage, MB_ICONSTOP);
        ::SetFocus(targetServerEdit_);
        return;
    }
    if (forwarding.targetPort.empty()) {
        Refuse(Handle(), "Please provide the target port for the target server!", MB_ICONSTOP);
        ::SetFocus(targetPortEdit_);
        return;
    }
    if (ReadDecimal(forwarding.targetPort) > kLargestPort) {
        Refuse(Handle(), "The target port number must be between 0 and 65535 !", MB_ICONSTOP);
        targetPortEdit_.SetText("");
        ::SetFocus(targetPortEdit_);
        return;
    }
    if (HasSeparator(forwarding.targetPort)) {
        Refuse(Handle(), kSeparatorMessage, MB_ICONSTOP);
        ::SetFocus(targetPortEdit_);
        return;
    }
    if (forwarding.description.find(',') != std::string::npos) {
        Refuse(Handle(), "The port description may not contain commas!", MB_ICONSTOP);
        ::SetFocus(portDescriptionEdit_);
        return;
    }
    // Nobody types a line break into the one-line field, but text put there otherwise can
    // hold one, and in the settings file it would start a line of its own.
    if (forwarding.description.find_first_of("\r\n") != std::string::npos) {
        Refuse(Handle(), "The port description may not contain line breaks!", MB_ICONSTOP);
        ::SetFocus(portDescriptionEdit_);
        return;
    }
    // The forwarding belongs to the account named in the server field, which must be one of
    // the accounts: any other text would make a settings section and rows of no account.
    std::string account = accountsCombo_.GetText();
    if (account.empty() || !settings_->HasAccountName(account)) {
        Refuse(Handle(), "Please choose a server from the server list !", MB_ICONINFORMATION);
        return;
    }
    for (int row = 0; row < forwardingList_.RowCount(); ++row) {
        if (forwardingList_.Cell(row, kPortColumn) == forwarding.localPort &&
            forwardingList_.Cell(row, kAccountColumn) == account)
            return; // the account forwards this port already
    }

    std::string defaultAccount = settings_->ReadString("tunnel", "default");
    ClearForwardingFields();
    AppendForwardingRow(forwardingList_, account, forwarding);
    if (account == defaultAccount)
        forwardingList_.SetCell(forwardingList_.RowCount() - 1, kDefaultColumn, kDefaultMark);

    settings_->WriteString(account, "forwardings",
                           AppendSettingsEntry(settings_->ReadString(account, "forwardings"),
                                               SettingsEntry(forwarding)));
    RegistryReader registry;
    registry.WriteRegistryString(
        HKEY_CURRENT_USER, SessionPath(account), "PortForwardings",
        AppendSessionEntry(registry.ReadPortForwardings(account), SessionEntry(forwarding)));
}

void CDravenlokDlg::DeleteForwarding() {
    int row = forwardingList_.SelectionMark();
    if (row < 0 || row >= forwardingList_.RowCount())
        return;
    std::string localPort = forwardingList_.Cell(row, kPortColumn);
    std::string account = forwardingList_.Cell(row, kAccountColumn);
    std::string description = forwardingList_.Cell(row, kDescriptionColumn);
    std::string target = forwardingList_.Cell(row, kTargetColumn);

    std::string question = "Delete this forwarding?\nLocal port: " + localPort +
                           "\nServer account: " + account + "\nTargetServer: " + target +
                           "\nDescription: " + description;
    if (fw::ShowMessageBox(Handle(), question, "Marrowin", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    RegistryReader registry;
    registry.WritePortForwardings(
        account, RemoveSessionEntry(registry.ReadPortForwardings(account), localPort));
    settings_->WriteString(account, "forwardings",
                           RemoveSettingsEntry(settings_->ReadString(account, "forwardings"),
                                               localPort + ":" + target + ":" + description + ","));

    if (settings_->ReadString("IE", "proxyServer") == account &&
        settings_->ReadString("IE", "proxyPort") == localPort) {
        settings_->WriteString("IE", "proxyServer", "");
        settings_->WriteString("IE", "proxyPort", "");
        ShowProxySettingsSet(false);
    }

    forwardingList_.DeleteRow(row);
    ClearForwardingFields();
}

LRESULT CDravenlokDlg::SelectForwarding() {
    if (editorMode_ != EditorMode::Idle)
        return 0;
    int row = forwardingList_.SelectionMark();
    if (row < 0 || row >= forwardingList_.RowCount())
        return 0;
    std::string localPort = forwardingList_.Cell(row, kPortColumn);
    std::string account = forwardingList_.Cell(row, kAccountColumn);
    std::string description = forwardingList_.Cell(row, kDescriptionColumn);
    std::string server, port;
    SplitTarget(forwardingList_.Cell(row, kTargetColumn), server, port);

    int item = accountsCombo_.FindStringExact(-1, account);
    if (item >= 0) {
        accountsCombo_.SetCurSel(item);
        ShowAccount();
    }
    localPortEdit_.SetText(localPort);
    portDescriptionEdit_.SetText(description);
    targetServerEdit_.SetText(server);
    targetPortEdit_.SetText(port);
    return 0;
}

void CDravenlokDlg::RenameForwardingAccount(const std::string& oldName,
                                            const std::string& newName) {
    for (int row = 0; row < forwardingList_.RowCount(); ++row) {
        if (forwardingList_.Cell(row, kAccountColumn) == oldName)
            forwardingList_.SetCell(row, kAccountColumn, newName);
    }
}

void CDravenlokDlg::RemoveAccountForwardings(const std::string& name) {
    for (int row = forwardingList_.RowCount() - 1; row >= 0; --row) {
        if (forwardingList_.Cell(row, kAccountColumn) == name)
            forwardingList_.DeleteRow(row);
    }
    ::RedrawWindow(forwardingList_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// The session form is changed by the accounts editor; this keeps the settings form and the
// list showing the same target ports.
void CDravenlokDlg::ChangeForwardingTargetPort(const std::string& account,
                                               const std::string& oldPort,
                                               const std::string& newPort) {
    std::string stored = settings_->ReadString(account, "forwardings");
    std::string changed = ChangeSettingsTargetPort(stored, oldPort, newPort);
    if (changed != stored)
        settings_->WriteString(account, "forwardings", changed);

    for (int row = 0; row < forwardingList_.RowCount(); ++row) {
        if (forwardingList_.Cell(row, kAccountColumn) != account)
            continue;
        std::string server, port;
        SplitTarget(forwardingList_.Cell(row, kTargetColumn), server, port);
        if (port == oldPort)
            forwardingList_.SetCell(row, kTargetColumn, server + ":" + newPort);
    }
}

void CDravenlokDlg::EnableForwardingButtons(bool enable) {
    addForwardingButton_.Enable(enable);
    deleteForwardingButton_.Enable(enable);
}
