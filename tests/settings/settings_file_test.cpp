// The settings file against the real profile functions, in a temporary folder.
#include "settings/settings_file.h"

#include "logic/password_scrambling.h"
#include "support/temp_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = folder.File("Marrowin.ini");
    CInternetOptions options{path};
};

TEST_F(SettingsFileTest, MissingFileReadsEmptyAndTheFirstWriteCreatesIt) {
    EXPECT_EQ(options.ReadString("tunnel", "servers"), "");
    EXPECT_EQ(options.ReadInt("IE", "connectionType"), 0);
    EXPECT_TRUE(options.ReadFlag("Main", "autostart", true));
    EXPECT_FALSE(options.ReadFlag("Main", "autostart", false));
    EXPECT_FALSE(FileExists(path));

    EXPECT_TRUE(options.WriteString("IE", "proxyPort", "50000"));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(options.ReadString("IE", "proxyPort"), "50000");
}

TEST_F(SettingsFileTest, SectionAndKeyNamesIgnoreLetterCase) {
    options.WriteString("IE", "proxyPort", "50000");
    options.WriteString("Tunnel", "default", "alpha");
    options.WriteString("main", "minimize", "1");
    EXPECT_EQ(options.ReadString("ie", "proxyport"), "50000");
    EXPECT_EQ(options.ReadString("tunnel", "DEFAULT"), "alpha");
    EXPECT_EQ(options.ReadString("Main", "minimize"), "1");
    // One section, whatever the spelling that wrote it.
    options.WriteString("tunnel", "servers", "alpha,");
    std::string file = ReadWholeFile(path);
    EXPECT_EQ(file.find("[tunnel]"), std::string::npos) << file;
    EXPECT_NE(file.find("[Tunnel]"), std::string::npos) << file;
}

TEST_F(SettingsFileTest, FlagsReadTheFirstCharacter) {
    const struct {
        const char* text;
        bool expected;
    } cases[] = {{"1", true},  {"y", true},   {"Y", true},  {"yes", true},
                 {"o", true},  {"On", true},  {"0", false}, {"no", false},
                 {"2", false}, {"off", true}, {"x", false}, {"\"no\"", false}};
    for (const auto& c : cases) {
        options.WriteString("Main", "reconnect", c.text);
        EXPECT_EQ(options.ReadFlag("Main", "reconnect", !c.expected), c.expected) << c.text;
    }
    options.WriteString("Main", "reconnect", "");
    EXPECT_TRUE(options.ReadFlag("Main", "reconnect", true));
    EXPECT_FALSE(options.ReadFlag("Main", "reconnect", false));

    options.WriteFlag("Main", "TOR", true);
    EXPECT_EQ(options.ReadString("Main", "TOR"), "1");
    options.WriteFlag("Main", "TOR", false);
    EXPECT_EQ(options.ReadString("Main", "TOR"), "0");
}

TEST_F(SettingsFileTest, IntegersAreDecimalAndStopAtTheFirstOtherCharacter) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"2", 2}, {"letters", 0}, {"-12", -12}, {"+7", 7}, {"42abc", 42}, {"", 0}};
    for (const auto& c : cases) {
        options.WriteString("IE", "connectionType", c.text);
        EXPECT_EQ(options.ReadInt("IE", "connectionType"), c.expected) << c.text;
    }
}

TEST_F(SettingsFileTest, AnEmptyValueKeepsItsKey) {
    options.WriteString("IE", "proxyServer", "alpha");
    options.WriteString("IE", "proxyServer", "");
    EXPECT_EQ(options.ReadString("IE", "proxyServer"), "");
    EXPECT_NE(ReadWholeFile(path).find("proxyServer="), std::string::npos);
}

TEST_F(SettingsFileTest, LongValuesAreReadWhole) {
    std::string forwardings;
    while (forwardings.size() < 10000)
        forwardings += "25:mail.example.org:25:SMTP,";
    options.WriteString("alpha", "forwardings", forwardings);
    EXPECT_EQ(options.ReadString("alpha", "forwardings"), forwardings);

    std::string exactly(3999, 'a');
    options.WriteString("alpha", "username", exactly);
    EXPECT_EQ(options.ReadString("alpha", "username"), exactly);
    exactly += 'b';
    options.WriteString("alpha", "username", exactly);
    EXPECT_EQ(options.ReadString("alpha", "username"), exactly);
}

TEST_F(SettingsFileTest, AccountNamesComeFromTheServersList) {
    options.WriteString("Tunnel", "servers", "alpha,beta,");
    options.LoadAccountNames();
    EXPECT_EQ(options.AccountNames(), (std::vector<std::string>{"alpha", "beta"}));

    // Text after the last comma is not a complete entry.
    options.WriteString("tunnel", "servers", "gamma,delta");
    options.LoadAccountNames();
    EXPECT_EQ(options.AccountNames(), (std::vector<std::string>{"gamma"}));

    // An empty list leaves the names in memory as they were.
    options.WriteString("tunnel", "servers", "");
    options.LoadAccountNames();
    EXPECT_EQ(options.AccountNames(), (std::vector<std::string>{"gamma"}));
}

TEST_F(SettingsFileTest, TheNameListFindsANameInAnyLetterCase) {
    options.AppendAccountName("alpha");
    options.AppendAccountName("xalpha");
    EXPECT_TRUE(options.HasAccountName("alpha"));
    EXPECT_TRUE(options.HasAccountName("Alpha"));
    EXPECT_FALSE(options.HasAccountName("alph"));
    options.RemoveAccountName("alpha");
    EXPECT_EQ(options.AccountNames(), (std::vector<std::string>{"xalpha"}));
    options.RemoveAccountName("missing");
    EXPECT_EQ(options.AccountNames(), (std::vector<std::string>{"xalpha"}));
    options.AppendAccountName("alpha");
    EXPECT_EQ(options.AccountNames(), (std::vector<std::string>{"xalpha", "alpha"}));
}

// Names in a list of zero-ended strings, as the profile functions return sections and keys.
std::vector<std::string> ZeroEndedNames(const std::vector<char>& list, DWORD length) {
    std::vector<std::string> names;
    for (DWORD at = 0; at < length && list[at];) {
        names.push_back(list.data() + at);
        at += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

std::vector<std::string> ProfileSectionNames(const std::string& path) {
    std::vector<char> names(1 << 16);
    return ZeroEndedNames(names, ::GetPrivateProfileSectionNamesA(
                                     names.data(), static_cast<DWORD>(names.size()), path.c_str()));
}

// The key names of the section as the profile functions list them ("key=value" each).
std::vector<std::string> ProfileKeyNames(const std::string& path, const std::string& section) {
    std::vector<char> lines(1 << 17);
    std::vector<std::string> keys = ZeroEndedNames(
        lines, ::GetPrivateProfileSectionA(section.c_str(), lines.data(),
                                           static_cast<DWORD>(lines.size()), path.c_str()));
    for (std::string& key : keys)
        key = key.substr(0, key.find('='));
    return keys;
}

std::string Utf16(const std::string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text)
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

// Files the profile functions read, written by hand or by other programs: the whole file read
// at once must find in them exactly what the profile functions find key by key.
TEST_F(SettingsFileTest, TheWholeFileReadAtOnceAgreesWithTheProfileFunctionsOnEveryKindOfFile) {
    const std::string plain =
        "[alpha]\r\nforwardings=25:a:25:x,\r\n[beta]\r\nforwardings=1:b:1:y,\r\n";
    const std::string files[] = {
        plain,
        "[alpha]\nforwardings=25:a:25:x,\n[beta]\nforwardings=1:b:1:y,",
        "[alpha]\rforwardings=25:a:25:x,\r[beta]\rforwardings=1:b:1:y,\r",
        "\xEF\xBB\xBF" + plain,
        Utf16(plain, false),
        Utf16(plain, true),
        "forwardings=before any section\r\n" + plain,
        "\t[ alpha ] trailing\r\n\tforwardings\t=\t 25:a:25:x, \t\r\n",
        "[alpha\r\nforwardings=no closing bracket\r\n[beta]\r\nforwardings=b,\r\n",
        "[alpha]\r\n;forwardings=commented\r\nforwardings\r\nforwardings=x=y,\r\n",
        "[alpha]\r\nforwardings='single',\r\n[beta]\r\nforwardings=\"unbalanced\r\n"
        "[gamma]\r\nforwardings=\"\"\r\n[delta]\r\nforwardings=\"a\" \"b\"\r\n",
        "[alpha]\r\nforwardings=a\x1a\r\n[beta]\x1a\r\nforwardings=\x1a b \x1a\r\n",
        "[]\r\nforwardings=empty name\r\n[alpha]\r\nforward ings=x\r\n",
        "[alpha]\r\nforwardings=" + std::string(70000, 'L') + ",\r\n",
        "[ beta ]\r\n  FORWARDINGS =  110:localhost:110:POP3,  \r\n[BETA]\r\nforwardings=later\r\n",
        "[\xE4x]\r\nforwardings=1:a:1:x,\r\n[\xC4x]\r\nforwardings=2:b:2:y,\r\n",
        "[alpha]\r\nforwardings=\xA0x\xA0\r\n[\xA0"
        "beta]\r\nforwardings=b\r\n",
        "[Tunnel]\r\nServers=a,b,\r\nDEFAULT=b\r\n[IE]\r\nsetIEproxy=1\r\nproxyport = 50000\r\n"
        "[tunnel]\r\ndefault=later section\r\n[b]\r\nport=22\r\nPort=23\r\nusername\r\n",
    };
    for (const std::string& contents : files) {
        SCOPED_TRACE(contents.substr(0, 60));
        WriteWholeFile(path, contents);
        ValuesBySection all = options.ReadKeyOfEverySection("Forwardings");
        ProfileSnapshot snapshot(path);
        std::vector<std::string> sections = ProfileSectionNames(path);
        EXPECT_FALSE(sections.empty());
        for (const std::string& section : sections) {
            auto found = all.find(section);
            EXPECT_EQ(found == all.end() ? "" : found->second,
                      options.ReadString(section, "forwardings"))
                << "[" << section << "]";
            for (const std::string& key : ProfileKeyNames(path, section))
                EXPECT_EQ(snapshot.ReadString(section, key), options.ReadString(section, key))
                    << "[" << section << "] " << key;
        }
        for (const auto& entry : all)
            EXPECT_EQ(entry.second, options.ReadString(entry.first, "forwardings"))
                << "[" << entry.first << "] only in the one-pass read";
    }
    EXPECT_TRUE(CInternetOptions(folder.File("missing.ini")).ReadKeyOfEverySection("x").empty());
}

// While start-up holds the file read at once, every write is seen by the next read.
TEST_F(SettingsFileTest, AHeldSnapshotNeverHidesAWrite) {
    WriteWholeFile(path, "[Main]\r\nautostart=1\r\n[alpha]\r\nport=22\r\n");
    options.HoldSnapshot();
    EXPECT_EQ(options.ReadString("main", "AUTOSTART"), "1");
    ASSERT_TRUE(options.WriteString("Main", "autostart", "0"));
    EXPECT_FALSE(options.ReadFlag("Main", "autostart", true));
    options.HoldSnapshot();
    ASSERT_TRUE(options.WriteSection("alpha", {{"port", "23"}}));
    EXPECT_EQ(options.ReadString("alpha", "port"), "23");
    options.HoldSnapshot();
    ASSERT_TRUE(options.DeleteSection("alpha"));
    EXPECT_EQ(options.ReadString("alpha", "port"), "");
}

// Keys of a section set in one write leave the file exactly as setting them one by one does.
TEST_F(SettingsFileTest, KeysSetInOneWriteLeaveTheFileAsSingleWritesDo) {
    const std::string one = folder.File("one.ini");
    const std::string files[] = {
        "",
        "[tunnel]\r\nservers=alpha,\r\n",
        "[Main]\r\nautostart=1\r\n[IE]\r\nsetIEproxy=1\r\nProxyPort=1\r\n[alpha]\r\nport=22\r\n",
        "[IE]\r\nproxyport\r\nproxyserver=\"quoted\"\r\nproxyPort=second\r\nconnectionType=2\r\n",
    };
    for (const std::string& contents : files) {
        SCOPED_TRACE(contents);
        WriteWholeFile(path, contents);
        WriteWholeFile(one, contents);
        ASSERT_TRUE(options.WriteValues("IE", {{"proxyServer", "alpha"}, {"proxyPort", "50000"}}));
        CInternetOptions single(one);
        ASSERT_TRUE(single.WriteString("IE", "proxyServer", "alpha"));
        ASSERT_TRUE(single.WriteString("IE", "proxyPort", "50000"));
        EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(one));
    }
    // A section longer than a first reading takes stays whole.
    const std::string longValue(40000, 'x');
    WriteWholeFile(path, "[IE]\r\na=" + longValue + "\r\nb=" + longValue + "\r\n");
    ASSERT_TRUE(options.WriteValues("IE", {{"b", "1"}}));
    EXPECT_EQ(options.ReadString("IE", "a"), longValue);
    // A value too long for the file is refused, and nothing is written.
    EXPECT_FALSE(options.WriteValues("IE", {{"a", "2"}, {"b", std::string(32001, 'y')}}));
    EXPECT_EQ(options.ReadString("IE", "a"), longValue);
}

TEST_F(SettingsFileTest, DeletingASectionRemovesAllItsKeys) {
    options.WriteString("alpha", "username", "joe");
    options.WriteString("alpha", "port", "8080");
    options.WriteString("beta", "port", "1");
    EXPECT_TRUE(options.DeleteSection("alpha"));
    EXPECT_EQ(options.ReadString("alpha", "username"), "");
    EXPECT_EQ(options.ReadString("alpha", "port"), "");
    EXPECT_EQ(options.ReadString("beta", "port"), "1");
    EXPECT_EQ(ReadWholeFile(path).find("alpha"), std::string::npos);
}

// A password is stored only if the settings file gives it back unchanged: checked against the
// real profile functions for passwords whose scrambled form begins or ends with every byte
// there is, or comes wrapped in quotes.
TEST_F(SettingsFileTest, APasswordCanBeStoredOnlyIfTheFileGivesItsScrambledFormBack) {
    std::vector<std::string> scrambledForms = {"\"in quotes\"", "'in quotes'"};
    for (int byte = 1; byte < 256; ++byte) {
        scrambledForms.push_back(std::string(1, static_cast<char>(byte)) + "middle");
        scrambledForms.push_back("middle" + std::string(1, static_cast<char>(byte)));
    }
    for (const std::string& scrambled : scrambledForms) {
        std::string password = UnscramblePassword(scrambled);
        if (ScramblePassword(password) != scrambled)
            continue; // the clear text would hold a zero byte, which no field takes
        ::WritePrivateProfileStringA("alpha", "password", scrambled.c_str(), path.c_str());
        char back[64] = {};
        ::GetPrivateProfileStringA("alpha", "password", "", back, sizeof(back), path.c_str());
        if (scrambled != back) {
            EXPECT_FALSE(CanStorePassword(password))
                << "scrambled form " << testing::PrintToString(scrambled);
        }
    }
    // What the settings file keeps is not refused.
    for (const char* password : {"x", "se cret", "\"one quote"})
        EXPECT_TRUE(CanStorePassword(password)) << password;
    // "ñandú" scrambles to a text that ends in a blank.
    EXPECT_FALSE(CanStorePassword("\xF1"
                                  "and\xFA"));
}

} // namespace
