// The TOR relay option: the browser-proxy forwarding of the proxy account is pointed at the
// server's TOR proxy port 8119 instead of the account's own proxy port, and back.
#include "settings/forwarding_text.h"
#include "system/registry_reader.h"
#include "tunnel/tor_warning_dialog.h"
#include "ui/main_window.h"

namespace {
const char kTorPort[] = "8119";
}

void CDravenlokDlg::OnTorOption() {
    bool on = torBox_.IsChecked();
    settings_->WriteFlag("Main", "TOR", on);
    if (on) {
        CTorWarning warning(Handle());
        warning.SetConnectionOpen(tunnelRunning_);
        warning.DoModal();
    }
    torEnabled_ = on;
    ApplyTorRelay(on);
}

// Rewrites the session of the proxy account; the running client is not restarted, so the
// change takes effect at its next start. Only target ports equal to the whole port text
// change, never the same digits in a local port or elsewhere.
int CDravenlokDlg::ApplyTorRelay(bool on) {
    std::string account = settings_->ReadString("IE", "ProxyServer");
    if (account.empty())
        return 0;
    std::string port = settings_->ReadString(account, "port");
    if (port.empty())
        return 0;
    RegistryReader registry;
    std::string forwardings = registry.ReadPortForwardings(account);
    registry.WritePortForwardings(account,
                                  on ? ChangeSessionTargetPort(forwardings, port, kTorPort)
                                     : ChangeSessionTargetPort(forwardings, kTorPort, port));
    return 0;
}
