// CServerRemove: asks the user to type OK before an account and all its settings are removed.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"

#include <string>

class CServerRemove : public fw::Dialog {
public:
    CServerRemove(HWND parent, std::string serverName);

protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override;

private:
    std::string serverName_;
    fw::Static message_;
    fw::Edit confirmation_;
};
