// The rules of account and forwarding input as plain functions, a table for each: the input and
// the refusal the user meets, or "accepted". The windows' tests show how a refusal reaches them.
#include "logic/account_rules.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// The message and the field it points at, "emptied" when the field is cleared first and "info"
// for the information icon.
std::string Describe(const Verdict& verdict) {
    const char* const fields[] = {"-",          "name",   "user", "password",   "server port",
                                  "local port", "target", "port", "description"};
    if (!verdict)
        return "accepted";
    return verdict->message + " @" + fields[static_cast<int>(verdict->field)] +
           (verdict->clearField ? " emptied" : "") + (verdict->information ? " info" : "");
}

TEST(AccountRules, PortNumbers) {
    const std::pair<const char*, int> cases[] = {
        {"80", 80}, {"000080", 80}, {"65535", 65535}, {"0", 0},  {"65536", 0},
        {"", 0},    {"8o", 0},      {" 80", 0},       {"-1", 0}, {"99999999999999999999", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortNumber(c.first), c.second) << c.first;
}

// Each table in the order the checks run.
TEST(AccountRules, AccountFieldsAndPasswords) {
    const char kZero[] = "The server port number may not be 0 ! @server port emptied";
    const std::pair<AccountFields, std::string> cases[] = {
        {{"", "", "", ""}, "Please provide the server name! @name"},
        {{"b", "", "", ""}, "Please provide the user name! @user"},
        {{"b", "ann\r\n[a]", "", ""}, "The user name may not contain line breaks! @user"},
        {{"b", "ann", "", ""}, "Please provide the password! @password"},
        {{"b", "ann", "", "", SignIn::KeyFile}, "Please provide the server port! @server port"},
        {{"b", "ann", "", "22", SignIn::Agent}, "accepted"},
        {{"b", "ann", "pw", ""}, "Please provide the server port! @server port"},
        {{"b", "ann", "pw", "65536"},
         "The server port number must be between 0 and 65535 ! @server port emptied"},
        {{"b", "ann", "pw", "0"}, kZero},
        {{"b", "ann", "pw", "000"}, kZero}};
    for (const auto& [fields, expected] : cases)
        EXPECT_EQ(Describe(CheckAccountFields(fields)), expected) << fields.serverPort;
    const std::pair<std::string, const char*> passwords[] = {
        {"\x93pw", "The password contains characters that cannot be stored! @password"},
        {std::string(257, 'p'), "The password may be at most 256 characters long! @password"}};
    for (const auto& [password, expected] : passwords)
        EXPECT_EQ(Describe(CheckPasswordCanBeStored(password)), expected) << password.size();
}

TEST(AccountRules, NewServerNames) {
    const char kChars[] =
        "The server name may contain only letters, digits, dots, hyphens and underscores! @name";
    const char kExists[] = "The specified server allready exists in the list! @- info";
    const std::pair<std::string, const char*> cases[] = {
        {"bad name", kChars},
        {"comma,name", kChars},
        {"[x]", kChars},
        // ssh would take it for one of its options.
        {"-oProxyCommand", "The server name may not begin with a hyphen! @name"},
        {std::string(254, 'n'), "The server name may be at most 253 characters long! @name"},
        {"ALPHA", kExists},
        {"alpha", kExists}};
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(Describe(CheckNewServerName(name, "", {"alpha"})), expected) << name.size();
}

TEST(AccountRules, Forwardings) {
    const char kLocalRange[] =
        "The local port number must be between 0 and 65535 ! @local port emptied";
    const char kTargetRange[] =
        "The target port number must be between 0 and 65535 ! @port emptied";
    const char kHost[] = "The target server may contain only letters, digits, dots, hyphens and "
                         "underscores, and may not begin with a hyphen! @target";
    const std::pair<Forwarding, std::string> cases[] = {
        {{"", "", "", ""}, "Please provide a local port number ! @local port"},
        {{"65536", "", "", ""}, kLocalRange},
        // Pasted past the digits-only field.
        {{"2,5", "web", "80", ""}, kLocalRange},
        {{"0", "web", "80", ""}, "The local port number may not be 0 ! @local port emptied"},
        {{"65535", "", "", ""}, "Please provide the target server name ! @target"},
        {{"1", "-oProxyCommand", "80", ""}, kHost},
        {{"1", "we/b", "80", ""}, kHost},
        {{"65535", "web", "", ""}, "Please provide the target port for the target server! @port"},
        {{"1", "web", "65536", ""}, kTargetRange},
        {{"1", "web", "nntp", ""}, kTargetRange},
        {{"1", "web", "00", ""}, "The target port number may not be 0 ! @port emptied"},
        {{"1", "web", "80", "mail, web"},
         "The port description may not contain commas! @description"},
        {{"1", "web", "80", "a\r\n[tunnel]"},
         "The port description may not contain line breaks! @description"}};
    for (const auto& [forwarding, expected] : cases)
        EXPECT_EQ(Describe(CheckForwarding(forwarding)), expected) << SettingsEntry(forwarding);
    // What would end a field or an entry of either form: in the target server it is refused
    // before the target port is looked at, in the target port before its range.
    const std::string kSeparators =
        "The target server and port may not contain commas, colons, equals signs or blanks! @";
    for (std::string bad : {" ", ",", ":", "=", "\r\n", "\t"}) {
        EXPECT_EQ(Describe(CheckForwarding({"1", "a" + bad + "b", "", ""})),
                  kSeparators + "target");
        EXPECT_EQ(Describe(CheckForwarding({"1", "web", "8" + bad + "0", ""})),
                  kSeparators + "port");
    }
}

TEST(AccountRules, ProxyPortsAndForwardingAccounts) {
    const char kRange[] = "Local port value must be between 0 and 65535 ! @local port emptied";
    const char kZero[] = "Local port value may not be 0 ! @local port emptied";
    const char kChoose[] = "Please choose a server from the server list ! @- info";
    const std::pair<const char*, const char*> ports[] = {
        {"", "Please provide the local port number ! @local port"},
        {"65536", kRange},
        {"80 ", kRange},
        {"0", kZero},
        {"000", kZero}};
    for (const auto& [port, expected] : ports)
        EXPECT_EQ(Describe(CheckProxyPort(port)), expected) << port;
    for (const char* account : {"", "nobody"})
        EXPECT_EQ(Describe(CheckForwardingAccount(account, {"alpha"})), kChoose) << account;
}

} // namespace
