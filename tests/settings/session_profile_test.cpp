// Saved sessions of the SSH client, written, read, renamed and deleted in the real registry
// under HKEY_CURRENT_USER, each test with session names of its own.
#include "settings/registry_reader.h"

#include "plink/session.h"
#include "support/stand_in.h"
#include "support/window_reading.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace {

// A registry value as stored: its type and its exact bytes.
struct StoredValue {
    DWORD type;
    std::string bytes;
    bool operator==(const StoredValue& other) const {
        return type == other.type && bytes == other.bytes;
    }
};

std::ostream& operator<<(std::ostream& out, const StoredValue& value) {
    out << "type " << value.type << ", " << value.bytes.size() << " bytes \"";
    for (char c : value.bytes)
        out << (c == '\0' ? std::string("\\0") : std::string(1, c));
    return out << "\"";
}

StoredValue Text(const std::string& text) {
    return {REG_SZ, text + '\0'};
}

StoredValue Number(DWORD number) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof(number))};
}

using Values = std::map<std::string, StoredValue>;
using Move = RegistryReader::SessionMove;

std::string SessionPath(const std::string& name) {
    return std::string(kStandInSessionsKey) + "\\" + name;
}

// Every value of the session as stored; empty when the session is missing.
Values StoredValues(const std::string& name) {
    Values values;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, SessionPath(name).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char valueName[256];
        DWORD nameSize = sizeof(valueName);
        DWORD type = 0;
        std::string data(16384, '\0');
        DWORD dataSize = static_cast<DWORD>(data.size());
        if (::RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type,
                            reinterpret_cast<BYTE*>(&data[0]), &dataSize) != ERROR_SUCCESS)
            break;
        data.resize(dataSize);
        values[valueName] = {type, data};
    }
    ::RegCloseKey(key);
    return values;
}

// The session's key name as the registry keeps it, letter case included.
std::string StoredKeyName(const std::string& name) {
    HKEY sessions = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kStandInSessionsKey, 0, KEY_READ, &sessions) !=
        ERROR_SUCCESS)
        return "";
    std::string found;
    char keyName[256];
    for (DWORD index = 0; ::RegEnumKeyA(sessions, index, keyName, sizeof(keyName)) == ERROR_SUCCESS;
         ++index) {
        if (::lstrcmpiA(keyName, name.c_str()) == 0)
            found = keyName;
    }
    ::RegCloseKey(sessions);
    return found;
}

// Stores exactly these bytes. The registry counts a text's terminating zero that the caller left
// out when one follows the data, so a byte other than zero follows them here.
bool StoreRaw(const std::string& name, const char* valueName, DWORD type,
              const std::string& bytes) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, SessionPath(name).c_str(), 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    std::string buffer = bytes + '#';
    LONG result =
        ::RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE*>(buffer.data()),
                         static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// The session holds exactly these values, each stored exactly so; a failure names the value.
void ExpectSession(const std::string& session, const Values& expected) {
    Values stored = StoredValues(session);
    for (const auto& [name, value] : expected)
        EXPECT_EQ(stored[name], value) << name;
    for (const auto& entry : stored)
        EXPECT_EQ(expected.count(entry.first), 1u) << entry.first << " is not expected";
}

class SessionProfileTest : public ::testing::Test {
protected:
    ~SessionProfileTest() override {
        for (const std::string& name : names_)
            DeleteSavedSession(name);
    }

    // A session name of this test; its key goes with the test.
    std::string Owned(const std::string& name) {
        names_.push_back(name);
        return name;
    }
    std::string NewSession() { return Owned(UniqueSessionName("session-profile")); }
    // What the program writes as a new session with these values: what a rewrite or a rename
    // must leave.
    Values Fresh(const std::string& host, const std::string& userName,
                 const std::string& forwardings = "") {
        std::string name = NewSession();
        reader.WriteSessionProfile(name, host, userName);
        reader.WritePortForwardings(name, forwardings);
        return StoredValues(name);
    }

    RegistryReader reader;

private:
    std::vector<std::string> names_;
};

// plink.exe reads the session as the account gave it, and its forwardings once they are written;
// written again, the record is whole once more and the forwardings are cleared, while values the
// record does not name stay.
TEST_F(SessionProfileTest, PlinkReadsWhatWasWrittenAndWritingAgainResetsTheRecord) {
    std::string name = NewSession();
    reader.WriteSessionProfile(name, "host.example", "alice");
    const Values written = StoredValues(name);
    reader.WritePortForwardings(name, "L25=mail.example:25,L50000=proxy.example:8080,");
    Session session;
    std::optional<std::string> error = ReadSession(name, session);
    ASSERT_FALSE(error) << *error;
    EXPECT_EQ(session.host, "host.example");
    EXPECT_EQ(session.port, 22);
    EXPECT_EQ(session.user, "alice");
    EXPECT_EQ(session.forwardings.size(), 2u);
    EXPECT_TRUE(session.skippedForwardings.empty());

    ASSERT_TRUE(StoreRaw(name, "HostName", REG_SZ, std::string("elsewhere") + '\0'));
    ASSERT_TRUE(StoreRaw(name, "Cipher", REG_DWORD, Number(7).bytes));
    ASSERT_TRUE(StoreRaw(name, "BoldFontIsBold", REG_DWORD, Number(0).bytes));
    ASSERT_TRUE(StoreRaw(name, "Extra", REG_SZ, std::string("kept") + '\0'));
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, SessionPath(name).c_str(), "Font");

    reader.WriteSessionProfile(name, "host.example", "alice");
    Values expected = written;
    expected["Extra"] = Text("kept");
    ExpectSession(name, expected);
}

TEST_F(SessionProfileTest, OnlyTheDefaultHostInAnyLetterCaseConnectsOnPort4022) {
    const std::string host = kDefaultSshHost;
    const struct {
        std::string name;
        DWORD port;
    } cases[] = {{host, 4022},
                 {"SSH.Marrowin.EXAMPLE", 4022},
                 {host + ".org", 22},
                 {host + "-1", 22},
                 {"my" + host, 22},
                 {host.substr(0, host.size() - 1), 22},
                 {"ssh.marrowin.example ", 22},
                 {"other.example", 22}};
    for (const auto& c : cases) {
        std::string name = Owned(c.name);
        reader.WriteSessionProfile(name, name, "alice");
        Values stored = StoredValues(name);
        EXPECT_EQ(stored["PortNumber"], Number(c.port)) << c.name;
        // The name goes into the registry as typed, never lower-cased.
        EXPECT_EQ(stored["HostName"], Text(c.name));
        EXPECT_EQ(StoredKeyName(name), c.name);
        DeleteSavedSession(name);
    }
}

// The new session gets the whole record with the old one's forwardings, however long; the old
// one goes, unless the name stays, and then values the record does not name stay with it.
TEST_F(SessionProfileTest, RenamingKeepsTheForwardingsAndResetsEverythingElse) {
    std::string forwardings;
    for (int port = 50000; forwardings.size() < 1500; ++port)
        forwardings += "L" + std::to_string(port) + "=proxy.example:8080,";
    const std::string oldName = NewSession();
    for (const std::string& newName : {NewSession(), oldName}) {
        const bool sameName = newName == oldName;
        SCOPED_TRACE(sameName ? "the same name" : "a new name");
        reader.WriteSessionProfile(oldName, oldName, "alice");
        reader.WritePortForwardings(oldName, forwardings);
        ASSERT_TRUE(StoreRaw(oldName, "Cipher", REG_SZ, std::string("des") + '\0'));
        ASSERT_TRUE(StoreRaw(oldName, "Extra", REG_SZ, std::string("foreign") + '\0'));

        EXPECT_EQ(reader.RecreateSessionProfile(oldName, newName, "bob"), Move::Moved);

        EXPECT_EQ(SessionExists(oldName), sameName);
        Values expected = Fresh(newName, "bob", forwardings);
        if (sameName)
            expected["Extra"] = Text("foreign");
        ExpectSession(newName, expected);
    }
}

// A new name the registry refuses (longer than a key's name may be): the old session stays whole.
TEST_F(SessionProfileTest, ARenameTheRegistryRefusesKeepsTheOldSession) {
    std::string oldName = NewSession();
    reader.WriteSessionProfile(oldName, oldName, "alice");
    reader.WritePortForwardings(oldName, "L25=smtp.example:25,");
    Values before = StoredValues(oldName);
    EXPECT_EQ(reader.RecreateSessionProfile(oldName, oldName + std::string(300, 'x'), "bob"),
              Move::Failed);
    ExpectSession(oldName, before);
}

TEST_F(SessionProfileTest, RenamingAMissingSessionSaysSoAndStillWritesTheNewOne) {
    std::string oldName = NewSession();
    std::string newName = NewSession();
    EXPECT_EQ(reader.RecreateSessionProfile(oldName, newName, "bob"), Move::OldNotDeleted);
    EXPECT_FALSE(SessionExists(oldName));
    ExpectSession(newName, Fresh(newName, "bob"));
}

TEST_F(SessionProfileTest, DeletingRemovesTheSessionAndAMissingOneIsAFailure) {
    std::string name = NewSession();
    reader.WriteSessionProfile(name, name, "alice");
    ASSERT_TRUE(StoreRaw(name, "Extra", REG_SZ, std::string("x") + '\0'));
    EXPECT_TRUE(reader.DeleteSessionProfile(name));
    EXPECT_FALSE(SessionExists(name));

    // The sessions key exists (another session is in it); only the session itself is missing.
    std::string other = NewSession();
    reader.WriteSessionProfile(other, other, "alice");
    EXPECT_FALSE(reader.DeleteSessionProfile(name));
    EXPECT_TRUE(SessionExists(other));
}

TEST_F(SessionProfileTest, WritesIntoExistingKeysOnly) {
    std::string missing = NewSession();
    reader.WritePortForwardings(missing, "L25=smtp.example:25");
    reader.WriteRegistryString(HKEY_CURRENT_USER, SessionPath(missing), "UserName", "dave");
    EXPECT_FALSE(SessionExists(missing));

    SessionKey session(UniqueSessionName("session-profile"));
    ASSERT_TRUE(session.IsOpen());
    ASSERT_TRUE(session.SetDword("UserName", 3));
    reader.WritePortForwardings(session.Name(), "L25=smtp.example:25");
    reader.WriteRegistryString(HKEY_CURRENT_USER, SessionPath(session.Name()), "UserName", "dave");
    Values stored = StoredValues(session.Name());
    EXPECT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored["PortForwardings"], Text("L25=smtp.example:25"));
    EXPECT_EQ(stored["UserName"], Text("dave"));
}

TEST_F(SessionProfileTest, ForwardingsReadWholeFromTerminatedTextOnly) {
    const std::string long999(999, 'a');
    std::string long5000;
    while (long5000.size() < 5000)
        long5000 += "L" + std::to_string(40000 + long5000.size()) + "=far.example:80,";
    long5000.resize(5000);
    const struct {
        const char* what;
        DWORD type;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"999 characters", REG_SZ, long999 + '\0', long999},
        {"5000 characters", REG_SZ, long5000 + '\0', long5000},
        {"no terminating zero", REG_SZ, "L25=smtp.example:25", ""},
        {"zero length", REG_SZ, "", ""},
        {"expandable text, not expanded", REG_EXPAND_SZ, std::string("%SystemRoot%\\x") + '\0',
         "%SystemRoot%\\x"},
        {"list of texts", REG_MULTI_SZ, std::string("first\0second\0\0", 14), "first"},
        {"list without its closing zero", REG_MULTI_SZ, std::string("first\0", 6), ""},
        {"number", REG_DWORD, Number(25).bytes, ""},
        {"binary", REG_BINARY, std::string("L25\0", 4), ""},
    };
    SessionKey session(UniqueSessionName("session-profile"));
    ASSERT_TRUE(session.IsOpen());
    EXPECT_EQ(reader.ReadPortForwardings(session.Name()), "") << "no value";
    for (const auto& c : cases) {
        ASSERT_TRUE(StoreRaw(session.Name(), "PortForwardings", c.type, c.bytes)) << c.what;
        EXPECT_EQ(reader.ReadPortForwardings(session.Name()), c.expected) << c.what;
    }
    EXPECT_EQ(reader.ReadPortForwardings(UniqueSessionName("session-profile")), "") << "no key";
}

} // namespace
