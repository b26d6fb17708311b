// PrivacySession: privacy on and off. It owns the SSH client (TunnelController), the reconnect
// sequence, the client's reason for a failed run and the decision where the browser's proxy
// points. Every start of the tunnel takes one way: the account's saved session made again if
// it is missing, the client's arguments, the launch log, the launch, the browser pointed at
// the tunnel. It also decides what a resume from sleep or a change of the network asks of the
// tunnel. It knows no window: the privacy view keeps the timers and shows the answers.
#pragma once

#include "logic/host_key_question.h"
#include "logic/proxy_takes.h"
#include "settings/account_store.h"
#include "system/browser_settings.h"
#include "system/network_watch.h"
#include "tunnel/failure_notice.h"
#include "tunnel/passphrase_cache.h"
#include "tunnel/reconnect_sequence.h"
#include "tunnel/tunnel_controller.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Who starts the tunnel. Manual is the user's Start: it writes the launch log. Autostart is the
// default account's start at program start. Relaunch is an attempt of the reconnect sequence.
enum class StartKind { Manual, Autostart, Relaunch };

struct StartOutcome {
    // A client runs for the account now, and privacy is on.
    bool running = false;
    // The account is not in the settings file's list (a name typed but never saved): nothing
    // was started.
    bool notStored = false;
    // The client was started by this call: the window watches it from now on.
    bool launched = false;
    // Why no client could be started, as the user is told; nothing when one runs or no account
    // was given.
    std::optional<std::string> failure;
};

// What the window settles with the user before an account with a key file starts.
struct KeyFileQuestions {
    std::string account;
    std::string keyFile;
    // The file's permissions could not be read: told, and nothing starts.
    std::optional<std::string> failure;
    // Others may use the file, so ssh would refuse it: the user is asked whether to restrict it.
    bool openToOthers = false;
    // The key is encrypted and its passphrase is not kept yet.
    bool askPassphrase = false;
};

// What the end of the client's run did.
struct DropOutcome {
    // Privacy was on: the client is stopped and the browser set direct.
    bool stoppedClient = false;
    // The client's reason for the end, shown once; empty when it gave none.
    std::string reason;
    // What the reconnect sequence does about the drop: starts, goes on, gives up (retrying
    // cannot mend the reason), or leaves it to the user.
    ReconnectSequence::DropAction action = ReconnectSequence::DropAction::AskUser;
    // The server's new key, when its key had changed: the user is asked whether to trust it,
    // and not whether to reconnect.
    std::optional<ServerKey> changedKey;
    // The user refused the key of a new server: there is nothing to ask about reconnecting.
    bool keyRefused = false;
};

// What a tick of the reconnect sequence's timer did.
struct ReconnectTick {
    // The attempts are used up: the sequence has ended.
    bool gaveUp = false;
    // Giving up stopped a client that an attempt had started, and set the browser direct.
    bool stoppedClient = false;
    // The attempt's start, when the sequence goes on.
    StartOutcome relaunch;
};

// What the end of the settle time after network events did.
struct SettleOutcome {
    enum class Done {
        Nothing,   // nothing the events asked of the tunnel is left to do
        Restarted, // the tunnel that was up was started again
        Attempted, // the reconnect sequence made its next attempt at once
    };
    Done done = Done::Nothing;
    // The new client's start, when restarted; the browser was never set direct meanwhile.
    StartOutcome restart;
    // The attempt, when the sequence made one.
    ReconnectTick attempt;
};

// What the guard of the browser's proxy did after another program changed the settings.
struct GuardOutcome {
    // A connection was taken a third time within a minute: the guard lets it go for the rest
    // of the run, and the user hears of it.
    bool gaveUp = false;
    // The program the connection was taken for, where it listens on this machine; else empty.
    std::string takingProgram;
};

// What the watch over the client's process sees.
enum class ClientWatch {
    NoClient,         // privacy is off: nothing to watch
    Running,          // the client runs
    EndedUnreported,  // the client has ended without being stopped
};

class PrivacySession {
public:
    explicit PrivacySession(AccountStore& accounts) : accounts_(accounts) {}

    // The folder of Marrowin.exe, where the client is found, started and logged.
    void SetFolder(const std::string& folder) { tunnel_.SetFolder(folder); }
    const std::string& Folder() const { return tunnel_.Folder(); }

    // Starts the client for the account unless one runs already, and points the browser at
    // the tunnel when the option says so. An empty account starts nothing, and neither does
    // one that is not stored. The account found is the one the session runs from now on: the
    // reconnect sequence and a changed key concern it.
    StartOutcome Start(const std::string& account, StartKind kind);
    // What the window asks before the account starts: nothing for an account without a key
    // file or with one that Start refuses.
    KeyFileQuestions QuestionsBeforeStart(const std::string& account) const;
    // The user's Yes to restricting an open key file; what failed, or nothing.
    std::optional<std::string> RestrictKeyFile(const KeyFileQuestions& asked) const;
    // Kept in memory for the rest of the run, until a run ends because ssh did not accept it.
    void KeepPassphrase(const KeyFileQuestions& asked, const std::string& passphrase) {
        passphrases_.Keep(asked.account, asked.keyFile, passphrase);
    }
    // The user did not give the passphrase the autostart needs: nothing starts, and the
    // browser is not left pointed at the tunnel.
    void AutostartCancelled() { PointBrowserAtNoTunnel(); }
    // The account of the last start that found one, as the list spells it.
    const std::string& AccountName() const { return account_; }
    // How that account carries the browser's traffic, as stored now.
    BrowserWay AccountBrowserWay() const { return accounts_.Load(account_).browserWay; }
    // Stops the client and sets the browser's connection back, whatever the option says.
    void Stop();
    bool IsRunning() const { return tunnel_.IsRunning(); }

    // The client's reports: the tunnel is up; the client's reason for a failed run (false when
    // the data is no reason); the run has ended.
    void OnEstablished();
    bool OnClientReason(std::uintptr_t tag, const void* data, std::size_t size) {
        return failureNotice_.OnCopyData(tag, data, size);
    }
    DropOutcome OnClientEnded();
    // A tick of the reconnect sequence: one more attempt for the session's account, or the
    // end. While the client waits for the user's answer about a new server key, the tick does
    // nothing.
    ReconnectTick OnReconnectTick();
    // The user trusts the changed key of the session account's server: its old key is
    // forgotten, and the next start accepts the new one without asking again. False when the
    // known-hosts file could not be changed.
    bool TrustChangedKey(const ServerKey& key);
    ClientWatch WatchClient() const;

    // Windows resumed or the network changed. True when the window is to start the settle
    // timer: once for events in quick succession, and only while privacy is on or a
    // reconnect sequence runs.
    bool OnNetworkEvent(NetworkEvent event);
    // The settle time after the events is over, so the network is back: a tunnel that was up
    // is started again after a resume or a lost address; a reconnect sequence without a client
    // makes its next attempt; a client still starting is left to finish.
    SettleOutcome OnSettled();

    // The reconnect option, as the settings file has it now.
    bool ReconnectOption() const;
    const ReconnectSequence& Reconnect() const { return reconnect_; }

    // The browser's settings have changed, or the network did. While privacy is on with the
    // browser option, a connection the tunnel pointed at that points elsewhere now is pointed
    // back at once, and what the other program wrote is what Stop gives back. While privacy is
    // off nothing is written.
    GuardOutcome GuardBrowser();

    // The browser's proxy. The option and the connection it applies to are read from the
    // settings file at program start, where the browser is pointed at the tunnel if the
    // option is on; the connection is read again after the proxy dialog may have changed it.
    void ApplyStoredBrowserOption();
    void ReadBrowserConnection();
    bool UsesBrowserProxy() const { return useBrowserProxy_; }
    // Stores the option and points the browser's connection at the tunnel or back to direct.
    // False when the option could not be stored: the browser is then set direct, but pointed
    // at the tunnel only if the option was stored.
    bool ApplyBrowserProxyOption(bool on);
    // The option given up after a dropped tunnel: the browser goes direct and stays so.
    void DropBrowserProxyOption();
    // Sets every connection still pointed at the tunnel back to what it held.
    void SetBrowserAllBack() { browserProxy_.SetAllBack(); }
    // The end of the Windows session: the client ends at once and every connection is set
    // back, without the client's grace of half a second.
    void EndAtOnce();
    BrowserProxy& Browser() { return browserProxy_; }
    const BrowserProxy& Browser() const { return browserProxy_; }

private:
    // The connection the browser's proxy applies to: the named dial-up connection for
    // connection type 2, otherwise the LAN settings (empty).
    std::string BrowserConnectionName() const;
    void PointBrowser(bool on);
    // A start that stopped before the launch, for the reason given.
    StartOutcome Refuse(StartKind kind, const std::string& failure);
    void PointBrowserAtNoTunnel();
    // What a start of an account with a key file gives the client on its input: the kept
    // passphrase of an encrypted key, nothing for a key without one. Fails with the sentence
    // for a file that cannot be used, or an encrypted key whose passphrase is not kept.
    std::optional<std::string> KeyFileInput(const Account& stored, const std::string*& input) const;

    AccountStore& accounts_;
    std::string account_;
    // The key file of the last client started, empty for an account without one.
    std::string keyFile_;
    PassphraseCache passphrases_;
    TunnelController tunnel_;
    ReconnectSequence reconnect_;
    FailureNotice failureNotice_;
    BrowserProxy browserProxy_;
    ProxyTakes proxyTakes_;
    bool useBrowserProxy_ = false;
    int connectionType_ = 0;
    // The client held has reported the tunnel up.
    bool established_ = false;
    // The settle timer runs; a resume or a lost address came while it did.
    bool settling_ = false;
    bool restartAsked_ = false;
    // The key the user has just trusted, for the next start only.
    std::string trustedKey_;
};
