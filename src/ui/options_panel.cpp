// The settings panel's options: each box writes its setting and applies it.
#include "ui/options_panel.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "resource.h"
#include "system/browser_settings.h"
#include "ui/accounts_editor.h"
#include "ui/dialogs/proxy_dialog.h"
#include "ui/dialogs/startup_failure_box.h"
#include "ui/dialogs/tor_warning_dialog.h"
#include "ui/dialogs/write_failure_box.h"

#include <cstdlib>

OptionsPanel::OptionsPanel(fw::Dialog& dialog, AccountStore& accounts, PrivacySession& session,
                           ProxySavedHandler onProxySaved)
    : fw::DialogPart(dialog), accounts_(accounts), session_(session),
      onProxySaved_(std::move(onProxySaved)), startupEntry_(accounts.Settings()) {
    OnCommand(IDC_AUTOSTART, [this] { OnAutostartOption(); });
    OnCommand(IDC_MINIMIZE, [this] { OnMinimizeOption(); });
    OnCommand(IDC_RECONNECT, [this] { OnReconnectOption(); });
    OnCommand(IDC_TOR, [this] { OnTorOption(); });
    OnCommand(IDC_USE_IE_PROXY, [this] { OnUseBrowserProxyOption(); });
    OnCommand(IDC_NO_ACTIVEX, [this] { OnNoActiveXOption(); });
    OnCommand(IDC_NO_JAVA, [this] { OnNoJavaOption(); });
    OnCommand(IDC_CONFIGURE_PROXY, [this] { ConfigureProxy(); });
    OnCommand(IDC_START_WITH_WINDOWS, [this] { OnStartWithWindowsOption(); });
    OnCommand(IDC_STARTUP_TYPE, CBN_SELCHANGE, [this] { OnStartupTypeChosen(); });
}

void OptionsPanel::DoDataExchange(HWND dialog) {
    useBrowserProxyBox_.Bind(dialog, IDC_USE_IE_PROXY);
    noActiveXBox_.Bind(dialog, IDC_NO_ACTIVEX);
    noJavaBox_.Bind(dialog, IDC_NO_JAVA);
    startWithWindowsBox_.Bind(dialog, IDC_START_WITH_WINDOWS);
    startupTypeCombo_.Bind(dialog, IDC_STARTUP_TYPE);
    autostartBox_.Bind(dialog, IDC_AUTOSTART);
    minimizeBox_.Bind(dialog, IDC_MINIMIZE);
    reconnectBox_.Bind(dialog, IDC_RECONNECT);
    torBox_.Bind(dialog, IDC_TOR);
}

void OptionsPanel::OnInitDialog() {
    // The start-with-Windows choices, in this order: index 0 current user, 1 all users.
    startupTypeCombo_.AddString("current user");
    startupTypeCombo_.AddString("all users");
}

void OptionsPanel::ShowStoredOptions() {
    const CInternetOptions& settings = accounts_.Settings();
    autostartBox_.SetCheck(settings.ReadFlag(setting::kAutostart, false));
    reconnectBox_.SetCheck(settings.ReadFlag(setting::kReconnect, false));
    torEnabled_ = settings.ReadFlag(setting::kTorRelay, false);
    torBox_.SetCheck(torEnabled_);

    session_.ApplyStoredBrowserOption();
    useBrowserProxyBox_.SetCheck(session_.UsesBrowserProxy());
    noActiveXBox_.SetCheck(settings.ReadFlag(setting::kNoActiveContent, false));
    if (noActiveXBox_.IsChecked())
        BrowserRegistry().DisableActiveX();
    noJavaBox_.SetCheck(settings.ReadFlag(setting::kNoJavascript, false));
    if (noJavaBox_.IsChecked())
        BrowserRegistry().SetJavaDisabled(1);
}

void OptionsPanel::ShowStartupType() {
    // Decimal conversion: empty or letters read as 0.
    int startupType = std::atoi(accounts_.Settings().ReadString(setting::kStartupType).c_str());
    switch (startupType) {
    case 0:
        startWithWindowsBox_.SetCheck(false);
        startupTypeCombo_.Enable(false);
        break;
    case 1:
    case 2:
        startWithWindowsBox_.SetCheck(true);
        startupTypeCombo_.Enable(true);
        startupTypeCombo_.SetCurSel(startupType - 1);
        break;
    default:
        break; // the template's state: unchecked, enabled, nothing selected
    }
}

bool OptionsPanel::ShowMinimizeOption() {
    // The check box itself always writes 1 or 0.
    bool minimize = accounts_.Settings().ReadString(setting::kMinimize) == "1";
    minimizeBox_.SetCheck(minimize);
    return minimize;
}

void OptionsPanel::GiveUpBrowserProxy() {
    if (!useBrowserProxyBox_.IsChecked())
        return;
    session_.DropBrowserProxyOption();
    useBrowserProxyBox_.SetCheck(false);
}

void OptionsPanel::OnAutostartOption() {
    StoreOption(setting::kAutostart, autostartBox_);
}

void OptionsPanel::OnMinimizeOption() {
    StoreOption(setting::kMinimize, minimizeBox_);
}

void OptionsPanel::OnReconnectOption() {
    StoreOption(setting::kReconnect, reconnectBox_);
}

// The running client is not restarted: the change takes effect at its next start.
void OptionsPanel::OnTorOption() {
    if (!StoreOption(setting::kTorRelay, torBox_))
        return;
    bool on = torBox_.IsChecked();
    if (on) {
        CTorWarning warning(DialogHandle());
        warning.SetConnectionOpen(session_.IsRunning());
        warning.DoModal();
    }
    torEnabled_ = on;
    accounts_.SetTorRelay(on);
}

void OptionsPanel::OnUseBrowserProxyOption() {
    bool on = useBrowserProxyBox_.IsChecked();
    if (!session_.ApplyBrowserProxyOption(on)) {
        ShowWriteFailure(DialogHandle(), accounts_.Settings());
        useBrowserProxyBox_.SetCheck(!on);
    }
}

void OptionsPanel::OnNoActiveXOption() {
    StoreZoneOption(setting::kNoActiveContent, noActiveXBox_, [](bool off) {
        return off ? BrowserRegistry().DisableActiveX() : BrowserRegistry().RestoreActiveX();
    });
}

void OptionsPanel::OnNoJavaOption() {
    StoreZoneOption(setting::kNoJavascript, noJavaBox_,
                    [](bool off) { return BrowserRegistry().SetJavaDisabled(off ? 1 : 0); });
}

// The zones are written before the setting. A zone that refuses is told; the zones go back to
// what the box said before, the box too, and the setting stays as it was.
void OptionsPanel::StoreZoneOption(const Setting& setting, fw::CheckBox& box,
                                   bool (*writeZones)(bool off)) {
    const bool off = box.IsChecked();
    if (!writeZones(off)) {
        writeZones(!off);
        fw::ShowMessageBox(DialogHandle(),
                           "Could not change the browser's security zones!\nMake sure you have "
                           "the permission to access the registry!",
                           kProgramName, MB_OK | MB_ICONERROR);
        box.SetCheck(!off);
        return;
    }
    if (!StoreOption(setting, box))
        writeZones(!off);
}

void OptionsPanel::ConfigureProxy() {
    IExplorerDlg dialog(DialogHandle(), accounts_, session_.Browser(), session_.UsesBrowserProxy(),
                        onProxySaved_);
    dialog.DoModal();
    // The proxy may now apply to another connection, at the next Start or Stop as well.
    session_.ReadBrowserConnection();
}

void OptionsPanel::OnStartWithWindowsOption() {
    // A choice that was not stored is set back after the boxes of what failed; the combo box
    // and the setting stay as they were.
    if (startWithWindowsBox_.IsChecked()) {
        if (!ShowStartupChange(startupEntry_.TurnOn())) {
            startWithWindowsBox_.SetCheck(false);
            return;
        }
        startupTypeCombo_.Enable(true);
        startupTypeCombo_.SetCurSel(0);
    } else {
        // Items 0 and 1 are scopes 1 and 2; no selection is no entry.
        if (!ShowStartupChange(startupEntry_.TurnOff(startupTypeCombo_.GetCurSel() + 1))) {
            startWithWindowsBox_.SetCheck(true);
            return;
        }
        startupTypeCombo_.Enable(false);
        startupTypeCombo_.SetCurSel(-1);
    }
}

// The combo box keeps the chosen item, also when a step failed and the setting stayed.
void OptionsPanel::OnStartupTypeChosen() {
    ShowStartupChange(startupEntry_.ChangeScope(startupTypeCombo_.GetCurSel() + 1));
}

bool OptionsPanel::ShowStartupChange(const StartupChange& change) const {
    ShowStartupFailures(change, accounts_.Settings());
    return change.stored;
}

bool OptionsPanel::StoreOption(const Setting& setting, fw::CheckBox& box) {
    if (accounts_.Settings().WriteFlag(setting, box.IsChecked()))
        return true;
    ShowWriteFailure(DialogHandle(), accounts_.Settings());
    box.SetCheck(!box.IsChecked());
    return false;
}
