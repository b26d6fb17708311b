// The removal confirmation: the account is removed only when the user types OK.
#include "ui/dialogs/server_remove_dialog.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "help_ids.h"
#include "resource.h"

#include <utility>

CServerRemove::CServerRemove(HWND parent, std::string serverName)
    : fw::Dialog(IDD_SERVER_REMOVE, parent), serverName_(std::move(serverName)) {
    SetHelpTopic(IDH_ACCOUNTS);
}

void CServerRemove::DoDataExchange() {
    message_.Bind(Handle(), IDC_REMOVE_MESSAGE);
    confirmation_.Bind(Handle(), IDC_REMOVE_CONFIRMATION);
}

bool CServerRemove::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    message_.SetText("By removing the server " + serverName_ +
                     " all settings related to this server will be erased !");
    return true;
}

void CServerRemove::OnOK() {
    // The edit turns typed letters into capitals, so "ok" typed arrives as "OK".
    if (confirmation_.GetText() == "OK") {
        EndDialog(IDOK);
        return;
    }
    fw::ShowMessageBox(Handle(), "Please type OK for removal !", kProgramName, MB_OK | MB_ICONSTOP);
    confirmation_.SetText("");
    ::SetFocus(confirmation_);
}
