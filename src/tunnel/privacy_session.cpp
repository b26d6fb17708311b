// Privacy on and off: the one way every start of the tunnel takes, its end, the reconnect
// sequence's attempts and where the browser's proxy points meanwhile.
#include "tunnel/privacy_session.h"

#include "logic/bypass_list.h"
#include "logic/command_line.h"
#include "logic/end_reason.h"
#include "settings/known_hosts_file.h"
#include "system/file_access.h"
#include "system/port_owner.h"
#include "tunnel/client_contract.h"
#include "tunnel/key_file_check.h"

#include <windows.h>

namespace {

// Read by the plink.exe that ssh runs as askpass: ssh's question about exactly this key is
// answered yes without asking the user again.
constexpr char kTrustedKeyVariable[] = "MARROWIN_TRUSTED_KEY";

} // namespace

StartOutcome PrivacySession::Start(const std::string& typedAccount, StartKind kind) {
    StartOutcome outcome;
    if (typedAccount.empty())
        return outcome;
    // Only a stored account has a saved session and a password the client may be given. A name
    // typed or stored in another letter case is the same account, started as the list spells it.
    const std::string account = accounts_.Settings().StoredAccountName(typedAccount);
    if (account.empty()) {
        outcome.notStored = true;
        if (kind == StartKind::Autostart)
            PointBrowserAtNoTunnel();
        return outcome;
    }
    account_ = account;
    // A key file ssh could not use is told before anything starts.
    const Account stored = accounts_.Load(account);
    const std::string* input = nullptr;
    if (stored.signIn == SignIn::KeyFile) {
        if (std::optional<std::string> failure = KeyFileInput(stored, input))
            return Refuse(kind, *failure);
    }
    failureNotice_.OnClientStart();
    // A saved session deleted by hand is made again, so that the client finds the account, and
    // learns whether it serves the browser itself.
    accounts_.EnsureSession(account);
    if (!accounts_.PrepareBrowserFront(account))
        return Refuse(kind, "The saved session of this account could not be written, so no "
                            "connection was made.");
    // An account that signs in with a key gives the client no password.
    std::string password =
        stored.signIn == SignIn::Password ? accounts_.ClearPassword(account) : std::string();
    // The autostart has always passed its arguments without the leading blank.
    std::string arguments = kind == StartKind::Autostart
                                ? AutostartClientArguments(password, account)
                                : ClientArguments(password, account);
    if (kind == StartKind::Manual)
        tunnel_.WriteLaunchLog(account);
    bool wasRunning = tunnel_.IsRunning();
    // The client and its ssh inherit our environment as it is at the launch.
    bool passesTrustedKey =
        !trustedKey_.empty() && ::SetEnvironmentVariableA(kTrustedKeyVariable, trustedKey_.c_str());
    trustedKey_.clear();
    outcome.failure = tunnel_.Launch(arguments, input);
    if (passesTrustedKey)
        ::SetEnvironmentVariableA(kTrustedKeyVariable, nullptr);
    if (!wasRunning)
        established_ = false;
    if (outcome.failure) {
        if (kind == StartKind::Autostart)
            PointBrowserAtNoTunnel();
        return outcome;
    }
    outcome.running = true;
    outcome.launched = !wasRunning;
    if (!wasRunning)
        keyFile_ = input ? stored.keyFile : std::string();
    if (useBrowserProxy_)
        PointBrowser(true);
    return outcome;
}

StartOutcome PrivacySession::Refuse(StartKind kind, const std::string& failure) {
    // The browser is pointed at the tunnel from program start on: it is told there is none.
    if (kind == StartKind::Autostart)
        PointBrowserAtNoTunnel();
    StartOutcome outcome;
    outcome.failure = failure;
    return outcome;
}

std::optional<std::string> PrivacySession::KeyFileInput(const Account& stored,
                                                        const std::string*& input) const {
    static const std::string kNoPassphrase;
    KeyFileCheck check = CheckKeyFile(stored.keyFile);
    if (check.failure)
        return check.failure;
    input = &kNoPassphrase;
    if (!check.encrypted)
        return std::nullopt;
    input = passphrases_.Find(stored.name, stored.keyFile);
    if (!input)
        return "The passphrase of the key file '" + stored.keyFile + "' was not given.";
    return std::nullopt;
}

KeyFileQuestions PrivacySession::QuestionsBeforeStart(const std::string& typedAccount) const {
    KeyFileQuestions questions;
    questions.account = accounts_.Settings().StoredAccountName(typedAccount);
    if (questions.account.empty())
        return questions;
    const Account stored = accounts_.Load(questions.account);
    if (stored.signIn != SignIn::KeyFile)
        return questions;
    KeyFileCheck check = CheckKeyFile(stored.keyFile);
    if (check.failure)
        return questions;
    questions.keyFile = stored.keyFile;
    FileAccess access = ReadFileAccess(stored.keyFile);
    questions.failure = access.failure;
    questions.openToOthers = access.openToOthers;
    questions.askPassphrase =
        check.encrypted && !passphrases_.Find(questions.account, stored.keyFile);
    return questions;
}

std::optional<std::string> PrivacySession::RestrictKeyFile(const KeyFileQuestions& asked) const {
    return RestrictToUser(asked.keyFile);
}

void PrivacySession::Stop() {
    tunnel_.Stop();
    established_ = false;
    PointBrowser(false);
}

void PrivacySession::EndAtOnce() {
    tunnel_.EndAtOnce();
    browserProxy_.SetAllBack();
}

DropOutcome PrivacySession::OnClientEnded() {
    DropOutcome outcome;
    if (tunnel_.IsRunning()) {
        Stop();
        outcome.stoppedClient = true;
    }
    outcome.reason = failureNotice_.TakeOnEnd();
    outcome.changedKey = ParseKeyText(failureNotice_.TakeChangedKey());
    outcome.keyRefused = outcome.reason == kKeyNotAcceptedReason;
    // Typed wrong: the next Start asks again.
    if (outcome.reason == kWrongPassphraseReason)
        passphrases_.Drop(account_, keyFile_);
    outcome.action = reconnect_.OnDrop(ReconnectOption(), !RetryCannotMend(outcome.reason));
    return outcome;
}

void PrivacySession::OnEstablished() {
    established_ = true;
    reconnect_.OnEstablished();
}

ReconnectTick PrivacySession::OnReconnectTick() {
    ReconnectTick tick;
    // An attempt would count for nothing, and the last one would take the question away.
    if (tunnel_.IsRunning() && KnownHostsFile(Folder()).QuestionOpen()) {
        tick.relaunch.running = true;
        return tick;
    }
    if (reconnect_.OnTick() == ReconnectSequence::TickAction::Relaunch) {
        tick.relaunch = Start(account_, StartKind::Relaunch);
        return tick;
    }
    tick.gaveUp = true;
    if (tunnel_.IsRunning()) {
        Stop();
        tick.stoppedClient = true;
    }
    return tick;
}

bool PrivacySession::OnNetworkEvent(NetworkEvent event) {
    bool clientRuns = tunnel_.IsRunning();
    bool sequenceWaits = !clientRuns && reconnect_.IsRunning();
    // A network that comes up helps only an attempt still to come; a lost address may have
    // been the one the tunnel's connection used.
    bool concernsTunnel = event == NetworkEvent::Resumed     ? clientRuns || sequenceWaits
                          : event == NetworkEvent::NetworkUp ? sequenceWaits
                                                             : clientRuns;
    if (!concernsTunnel)
        return false;
    if (event != NetworkEvent::NetworkUp)
        restartAsked_ = true;
    bool startTimer = !settling_;
    settling_ = true;
    return startTimer;
}

SettleOutcome PrivacySession::OnSettled() {
    SettleOutcome outcome;
    bool restart = restartAsked_;
    settling_ = false;
    restartAsked_ = false;
    if (tunnel_.IsRunning()) {
        if (!restart || !established_)
            return outcome;
        // Stopped without Stop, so that the browser stays pointed at the tunnel meanwhile.
        tunnel_.Stop();
        outcome.done = SettleOutcome::Done::Restarted;
        outcome.restart = Start(account_, StartKind::Relaunch);
        // A tunnel that cannot be started again never leaves the browser pointed at it.
        if (!outcome.restart.running)
            PointBrowser(false);
        return outcome;
    }
    if (reconnect_.IsRunning()) {
        outcome.done = SettleOutcome::Done::Attempted;
        outcome.attempt = OnReconnectTick();
    }
    return outcome;
}

bool PrivacySession::TrustChangedKey(const ServerKey& key) {
    // The account's server is the saved session's host, which is the account's name.
    if (!KnownHostsFile(Folder()).Forget(account_))
        return false;
    trustedKey_ = KeyText(key);
    return true;
}

ClientWatch PrivacySession::WatchClient() const {
    if (!tunnel_.IsRunning())
        return ClientWatch::NoClient;
    return tunnel_.HasEnded() ? ClientWatch::EndedUnreported : ClientWatch::Running;
}

bool PrivacySession::ReconnectOption() const {
    return accounts_.Settings().ReadFlag(setting::kReconnect, false);
}

GuardOutcome PrivacySession::GuardBrowser() {
    GuardOutcome outcome;
    const std::string port = accounts_.ProxyPort();
    if (!tunnel_.IsRunning() || !useBrowserProxy_ || port.empty())
        return outcome;
    for (const TakenConnection& taken : browserProxy_.TakenAway(port)) {
        if (proxyTakes_.GaveUp(taken.connectionName))
            continue;
        if (!proxyTakes_.GiveUpAfter(taken.connectionName, ::GetTickCount64())) {
            browserProxy_.PointBack(taken, port);
            continue;
        }
        browserProxy_.LetGo(taken);
        outcome.gaveUp = true;
        outcome.takingProgram = ProgramBehindProxy(taken.now.proxyServer);
    }
    return outcome;
}

void PrivacySession::ApplyStoredBrowserOption() {
    ReadBrowserConnection();
    useBrowserProxy_ = accounts_.Settings().ReadFlag(setting::kUseBrowserProxy, false);
    if (useBrowserProxy_)
        PointBrowser(true);
}

void PrivacySession::ReadBrowserConnection() {
    connectionType_ = accounts_.Settings().ReadInt(setting::kConnectionType);
    std::string ownBypass = accounts_.Settings().ReadString(setting::kBypassList);
    browserProxy_.SetOwnBypass(ownBypass.empty() ? kDefaultBypass : ownBypass);
}

bool PrivacySession::ApplyBrowserProxyOption(bool on) {
    bool stored = accounts_.Settings().WriteFlag(setting::kUseBrowserProxy, on);
    // The port is not checked: with none stored the proxy becomes "127.0.0.1:".
    if (stored || !on)
        browserProxy_.Set(BrowserConnectionName(), accounts_.ProxyPort(), on);
    if (stored)
        useBrowserProxy_ = on;
    return stored;
}

void PrivacySession::DropBrowserProxyOption() {
    ApplyBrowserProxyOption(false);
    useBrowserProxy_ = false;
}

std::string PrivacySession::BrowserConnectionName() const {
    return connectionType_ == 2 ? accounts_.Settings().ReadString(setting::kConnectionName)
                                : std::string();
}

// Pointed at start-up with the option on: never left at a tunnel that does not run.
void PrivacySession::PointBrowserAtNoTunnel() {
    if (useBrowserProxy_ && !accounts_.ProxyPort().empty())
        PointBrowser(false);
}

// Without a stored proxy port there is nothing to point the browser at.
void PrivacySession::PointBrowser(bool on) {
    std::string port = on ? accounts_.ProxyPort() : std::string();
    if (on && port.empty())
        return;
    browserProxy_.Set(BrowserConnectionName(), port, on);
}
