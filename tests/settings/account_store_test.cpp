// The account store against a real settings file in a temporary folder and real saved sessions
// in the registry, with no window: every change keeps the name list, the account's section, its
// saved session and both forms of its forwardings in step.
#include "settings/account_store.h"

#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "support/window_reading.h"

#include <gtest/gtest.h>

namespace {

class AccountStoreTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string& name : {alpha, beta, renamed})
            DeleteSavedSession(name);
    }
    std::string Setting(const char* section, const char* key) const {
        return store.Settings().ReadString(section, key);
    }

    TempFolder folder;
    AccountStore store{folder.File("Marrowin.ini")};
    std::string alpha = UniqueSessionName("store-alpha");
    std::string beta = UniqueSessionName("store-beta");
    std::string renamed = UniqueSessionName("store-gamma");
};

TEST_F(AccountStoreTest, ARenameWithANewPortMovesEverythingAndChangesTheProxyTargets) {
    store.Create({alpha, "joe", "pw", "3128"});
    store.AddForwarding(alpha, {"8000", "web", "3128", "other"});
    Account saved = store.Load(alpha);

    AccountUpdate update = store.Update(saved, {renamed, "max", saved.password, "8080"});
    EXPECT_TRUE(update.renamed);
    EXPECT_TRUE(update.serverPortChanged);
    EXPECT_EQ(update.storedPassword, saved.password) << "an untouched password is kept as stored";
    EXPECT_EQ(store.Names(), std::vector<std::string>{renamed});
    EXPECT_EQ(Setting("tunnel", "servers"), renamed + ",");
    EXPECT_EQ(store.DefaultName(), renamed);
    EXPECT_EQ(Setting("IE", "proxyServer"), renamed);
    EXPECT_FALSE(SessionExists(alpha));
    EXPECT_EQ(SessionValue(renamed, "HostName"), renamed);
    EXPECT_EQ(SessionValue(renamed, "UserName"), "max");
    EXPECT_EQ(SessionValue(renamed, "PortForwardings"),
              "L25=localhost:25,L110=localhost:110,L50000=localhost:8080,L8000=web:8080,");
    EXPECT_EQ(Setting(renamed.c_str(), "forwardings"),
              "25:localhost:25:SMTP,110:localhost:110:POP3,50000:localhost:8080:IE Proxy,"
              "8000:web:8080:other,");
    EXPECT_EQ(store.ClearPassword(renamed), "pw");

    update = store.Update(store.Load(renamed), {renamed, "max", "new", "8080"});
    EXPECT_FALSE(update.renamed || update.serverPortChanged);
    EXPECT_EQ(store.ClearPassword(renamed), "new");
}

// The known-hosts file beside the settings file: a renamed account's server keys move with it,
// a removed account's go, and another account's stay.
TEST_F(AccountStoreTest, TheServerKeysFollowTheAccount) {
    store.Create({alpha, "joe", "pw", "3128"});
    store.Create({beta, "ann", "pw", "3128"});
    const std::string others = "# kept\n" + beta + " ssh-ed25519 B\n";
    WriteWholeFile(folder.File("known_hosts"),
                   alpha + " ssh-ed25519 A\n" + others + "[" + alpha + "]:2222 ssh-rsa C\n");

    store.Update(store.Load(alpha), {renamed, "joe", store.Load(alpha).password, "3128"});
    EXPECT_EQ(ReadWholeFile(folder.File("known_hosts")),
              renamed + " ssh-ed25519 A\n" + others + "[" + renamed + "]:2222 ssh-rsa C\n");
    store.Remove(renamed);
    EXPECT_EQ(ReadWholeFile(folder.File("known_hosts")), others);
}

TEST_F(AccountStoreTest, ForwardingsAreAddedOncePerLocalPortAndRemovedFromBothForms) {
    store.Create({alpha, "joe", "pw", "3128"});
    using Add = AccountStore::AddResult;
    EXPECT_EQ(store.AddForwarding(alpha, {"8000", "web", "80", "site"}).result, Add::Added);
    EXPECT_EQ(store.AddForwarding(alpha, {"08000", "other", "81", ""}).result,
              Add::AlreadyForwarded);
    EXPECT_EQ(store.AllForwardings().size(), 4u);
    EXPECT_NE(SessionValue(alpha, "PortForwardings").find("L8000=web:80,"), std::string::npos);

    EXPECT_FALSE(store.RemoveForwarding(alpha, {"8000", "web", "80", "site"}).wasProxyForwarding);
    EXPECT_EQ(SessionValue(alpha, "PortForwardings").find("L8000="), std::string::npos);
    EXPECT_EQ(store.AllForwardings().size(), 3u);
    // Another account's forwarding of the proxy's local port is not the browser's.
    store.Create({beta, "ann", "pw", "8080"});
    EXPECT_FALSE(
        store.RemoveForwarding(beta, {"50000", "localhost", "8080", "IE Proxy"}).wasProxyForwarding);
    EXPECT_EQ(Setting(beta.c_str(), "forwardings"), "25:localhost:25:SMTP,110:localhost:110:POP3,");
    EXPECT_EQ(Setting("IE", "proxyServer"), alpha);
    // The browser's proxy forwarding: the proxy account is then none.
    EXPECT_TRUE(
        store.RemoveForwarding(alpha, {"50000", "localhost", "3128", "IE Proxy"}).wasProxyForwarding);
    EXPECT_EQ(SessionValue(alpha, "PortForwardings"), "L25=localhost:25,L110=localhost:110,");
    EXPECT_EQ(Setting("IE", "proxyServer"), "");
    EXPECT_EQ(Setting("IE", "proxyPort"), "");
}

using Kind = ProxyForwardingChange::Kind;

TEST_F(AccountStoreTest, OnlyTheProxyForwardingMovesWithinItsAccountAndNothingPastTheLimit) {
    store.Create({alpha, "joe", "pw", "3128"});
    // The TOR relay's target in the session stays as it is.
    store.SetTorRelay(true);
    ProxyForwardingChange change = store.SetProxyForwarding(alpha, "50001");
    EXPECT_EQ(change.kind, Kind::Moved);
    EXPECT_EQ(change.oldLocalPort, "50000");
    EXPECT_EQ(SettingsEntry(change.forwarding), "50001:localhost:3128:IE Proxy,");
    EXPECT_EQ(Setting(alpha.c_str(), "forwardings"),
              "25:localhost:25:SMTP,110:localhost:110:POP3,50001:localhost:3128:IE Proxy,");
    EXPECT_EQ(SessionValue(alpha, "PortForwardings"),
              "L25=localhost:25,L110=localhost:110,L50001=localhost:8119,");
    EXPECT_EQ(Setting("IE", "proxyServer"), alpha);
    EXPECT_EQ(Setting("IE", "proxyPort"), "50001");

    // The account forwards 110 already: that forwarding is taken as it is.
    change = store.SetProxyForwarding(alpha, "110");
    EXPECT_EQ(change.kind, Kind::None);
    EXPECT_EQ(store.AllForwardings().size(), 3u);
    EXPECT_EQ(Setting("IE", "proxyPort"), "110");

    // POP3's forwarding is no proxy forwarding: it stays, and the new port gets one of its own.
    // Ports count, and are stored, as the numbers they spell.
    EXPECT_EQ(store.SetProxyForwarding(alpha, "050002").kind, Kind::Added);
    EXPECT_EQ(Setting(alpha.c_str(), "forwardings"),
              "25:localhost:25:SMTP,110:localhost:110:POP3,50001:localhost:3128:IE Proxy,"
              "50002:localhost:3128:IE Proxy,");
    EXPECT_EQ(SessionValue(alpha, "PortForwardings"),
              "L25=localhost:25,L110=localhost:110,L50001=localhost:8119,L50002=localhost:3128,");
    EXPECT_EQ(store.SetProxyForwarding(alpha, "050001").kind, Kind::None);
    store.AddForwarding(alpha, {"08080", "web", "80", ""});
    EXPECT_EQ(store.SetProxyForwarding(alpha, "8080").kind, Kind::None);
    EXPECT_EQ(store.AllForwardings().size(), 5u);
    EXPECT_EQ(Setting("IE", "proxyPort"), "8080");

    // Filled to within 10 characters of what the file keeps whole: a proxy forwarding is refused
    // and nothing is stored.
    const size_t room = 32000 - Setting(alpha.c_str(), "forwardings").size();
    store.AddForwarding(alpha, {"1", "x", "1", std::string(room - 17, 'd')});
    const std::string full = Setting(alpha.c_str(), "forwardings");
    change = store.SetProxyForwarding(alpha, "50003");
    ASSERT_TRUE(change.refusal);
    EXPECT_EQ(change.refusal->message, "The account has too many port forwardings!");
    EXPECT_EQ(Setting(alpha.c_str(), "forwardings"), full);
    EXPECT_EQ(SessionValue(alpha, "PortForwardings").find("L50003"), std::string::npos);
    EXPECT_EQ(Setting("IE", "proxyPort"), "8080");
}

TEST_F(AccountStoreTest, AnotherAccountGetsAProxyForwardingOnlyWhenTheOldOneHasNone) {
    store.Create({alpha, "joe", "pw", "3128"});
    store.Create({beta, "ann", "pw", "8080"});
    // alpha, the proxy account, still forwards 50000: beta gets nothing.
    EXPECT_EQ(store.SetProxyForwarding(beta, "50001").kind, Kind::None);
    EXPECT_EQ(Setting(beta.c_str(), "forwardings"), DefaultSettingsForwardings("8080"));
    EXPECT_EQ(Setting("IE", "proxyServer"), beta);
    EXPECT_EQ(Setting("IE", "proxyPort"), "50001");

    // beta has no forwarding of 50001: alpha gets one at the end of both forms.
    ProxyForwardingChange change = store.SetProxyForwarding(alpha, "50002");
    EXPECT_EQ(change.kind, Kind::Added);
    EXPECT_EQ(change.account, alpha);
    EXPECT_EQ(SettingsEntry(change.forwarding), "50002:localhost:3128:IE Proxy,");
    EXPECT_EQ(Setting(alpha.c_str(), "forwardings"),
              DefaultSettingsForwardings("3128") + "50002:localhost:3128:IE Proxy,");
    EXPECT_EQ(SessionValue(alpha, "PortForwardings"),
              DefaultSessionForwardings("3128") + "L50002=localhost:3128,");
}

// A saved session deleted by hand is made again from the settings file before it is used.
TEST_F(AccountStoreTest, AMissingSessionIsMadeAgainFromTheSettingsFile) {
    store.Create({alpha, "joe", "pw", "3128"});
    DeleteSavedSession(alpha);
    ASSERT_FALSE(SessionExists(alpha));
    store.AddForwarding(alpha, {"8000", "web", "80", "site"});
    EXPECT_EQ(SessionValue(alpha, "UserName"), "joe");
    EXPECT_EQ(SessionValue(alpha, "PortForwardings"),
              "L25=localhost:25,L110=localhost:110,L50000=localhost:3128,L8000=web:80,");
    // With the TOR relay on, the browser's proxy forwarding leads to the relay.
    store.Settings().WriteFlag("Main", "TOR", true);
    DeleteSavedSession(alpha);
    store.EnsureSession(alpha);
    EXPECT_EQ(SessionValue(alpha, "PortForwardings"),
              "L25=localhost:25,L110=localhost:110,L50000=localhost:8119,L8000=web:80,");
}

// How an account signs in is stored only once it is not the password, goes with the account
// through an edit and a rename, reaches its saved session, and leaves no trace when set back.
TEST_F(AccountStoreTest, TheSignInIsStoredOnlyWhenNotThePasswordAndFollowsTheAccount) {
    store.Create({alpha, "joe", "pw", "3128"});
    EXPECT_FALSE(store.SetSignIn(alpha, SignIn::KeyFile, "C:\\keys\\id_ed25519").refused);
    store.Update(store.Load(alpha), {alpha, "max", store.Load(alpha).password, "8080"});
    store.Update(store.Load(alpha), {renamed, "max", store.Load(alpha).password, "8080"});
    Account account = store.Load(renamed);
    EXPECT_EQ(account.signIn, SignIn::KeyFile);
    EXPECT_EQ(account.keyFile, "C:\\keys\\id_ed25519");
    EXPECT_EQ(SessionValue(renamed, "SignIn"), "key");
    EXPECT_EQ(SessionValue(renamed, "PublicKeyFile"), "C:\\keys\\id_ed25519");

    store.SetSignIn(renamed, SignIn::Agent, "");
    EXPECT_EQ(SessionValue(renamed, "SignIn"), "agent");
    store.Update(store.Load(renamed), {alpha, "joe", store.Load(renamed).password, "3128"});
    EXPECT_FALSE(store.SetSignIn(alpha, SignIn::Password, "").refused);
    const std::string file = ReadWholeFile(folder.File("Marrowin.ini"));
    EXPECT_EQ(file.find("signin"), std::string::npos) << file;
    EXPECT_EQ(file.find("keyfile"), std::string::npos) << file;
    EXPECT_EQ(SessionValue(alpha, "SignIn"), "<missing>");
}

// The client is told to serve the browser itself only by the browser proxy account that
// carries the browser through ssh; the choice is stored only while it is not the server's
// proxy.
TEST_F(AccountStoreTest, OnlyTheProxyAccountThroughSshServesTheBrowserItself) {
    store.Create({alpha, "joe", "pw", "3128"});
    store.Create({beta, "joe", "pw", "3128"});
    store.SetProxyForwarding(alpha, "50001");
    const struct { const std::string& account; BrowserWay way; const char* port; } cases[] = {
        {alpha, BrowserWay::ServerProxy, "<missing>"},
        {alpha, BrowserWay::Ssh, "50001"},
        {beta, BrowserWay::Ssh, "<missing>"},
        {alpha, BrowserWay::ServerProxy, "<missing>"},
        {beta, BrowserWay::ServerProxy, "<missing>"},
    };
    for (const auto& row : cases) {
        store.SetBrowserWay(row.account, row.way);
        EXPECT_TRUE(store.PrepareBrowserFront(row.account));
        EXPECT_EQ(SessionValue(row.account, "BrowserFrontPort"), row.port) << row.account;
    }
    EXPECT_EQ(ReadWholeFile(folder.File("Marrowin.ini")).find("browserway"), std::string::npos);
}

// An account named like one of the program's sections shares it: made, edited, renamed and
// removed, it leaves the program's own keys there as they were.
TEST_F(AccountStoreTest, AnAccountNamedLikeAProgramSectionLeavesTheProgramsKeys) {
    store.Create({alpha, "joe", "pw", "3128"});
    store.Settings().WriteFlag("Main", "autostart", true);
    store.Settings().WriteFlag("IE", "setIEproxy", true);
    for (const std::string name : {"Tunnel", "main", "ie"}) {
        SCOPED_TRACE(name);
        store.Create({name, "ann", "pw", "8080"});
        store.Update(store.Load(name), {name, "max", "new", "8081"});
        EXPECT_EQ(store.Load(name).userName, "max");
        EXPECT_EQ(store.ClearPassword(name), "new");
        store.Update(store.Load(name), {renamed, "max", store.Load(name).password, "8081"});
        store.Update(store.Load(renamed), {name, "max", store.Load(renamed).password, "8081"});
        EXPECT_EQ(Setting(name.c_str(), "port"), "8081");
        store.Remove(name);
        EXPECT_EQ(Setting(name.c_str(), "username"), "");
        EXPECT_EQ(store.Names(), std::vector<std::string>{alpha});
        EXPECT_EQ(store.DefaultName(), alpha);
        EXPECT_EQ(Setting("Main", "autostart"), "1");
        EXPECT_EQ(Setting("IE", "setIEproxy"), "1");
        EXPECT_EQ(Setting("IE", "proxyServer"), alpha);
        DeleteSavedSession(name);
    }
}

} // namespace
