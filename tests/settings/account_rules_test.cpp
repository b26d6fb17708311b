// What the accounts editor and the forwarding fields accept, as plain rules: each refusal's
// message, the field it points at and whether that field is emptied.
#include "settings/account_rules.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* what;
    Verdict verdict;
    const char* message; // nullptr: accepted
    InputField field;
    bool cleared;
};

void Check(const Case& c) {
    SCOPED_TRACE(c.what);
    if (!c.message) {
        EXPECT_FALSE(c.verdict) << c.verdict->message;
        return;
    }
    ASSERT_TRUE(c.verdict);
    EXPECT_EQ(c.verdict->message, c.message);
    EXPECT_EQ(c.verdict->field, c.field);
    EXPECT_EQ(c.verdict->clearField, c.cleared);
}

AccountFields Fields(const char* name, const char* user, const char* password, const char* port) {
    return {name, user, password, port};
}

Forwarding Fwd(const char* local, const char* server, const char* port, const char* text) {
    return {local, server, port, text};
}

TEST(AccountRules, AccountFields) {
    const Case cases[] = {
        {"complete", CheckAccountFields(Fields("a", "joe", "pw", "65535")), nullptr,
         InputField::None, false},
        {"no name", CheckAccountFields(Fields("", "", "", "")), "Please provide the server name!",
         InputField::ServerName, false},
        {"user on two lines", CheckAccountFields(Fields("a", "jo\ne", "pw", "1")),
         "The user name may not contain line breaks!", InputField::UserName, false},
        {"no password", CheckAccountFields(Fields("a", "joe", "", "1")),
         "Please provide the password!", InputField::Password, false},
        {"no port", CheckAccountFields(Fields("a", "joe", "pw", "")),
         "Please provide the server port!", InputField::ServerPort, false},
        {"port too large", CheckAccountFields(Fields("a", "joe", "pw", "65536")),
         "The server port number must be between 1 and 65535 !", InputField::ServerPort, true},
    };
    for (const Case& c : cases)
        Check(c);
}

// One reading of a port field for the editor and for plink.exe.
TEST(AccountRules, PortNumbers) {
    const std::pair<const char*, int> cases[] = {
        {"80", 80}, {"000080", 80}, {"65535", 65535}, {"0", 0},  {"65536", 0},
        {"", 0},    {"8o", 0},      {" 80", 0},       {"-1", 0}, {"99999999999999999999", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortNumber(c.first), c.second) << c.first;
}

TEST(AccountRules, ServerNames) {
    const std::vector<std::string> names = {"alpha", "beta"};
    Check({"blank inside", CheckNewServerName("a b", "", names),
           "The server name may contain only letters, digits, dots, hyphens and underscores!",
           InputField::ServerName, false});
    Check({"own name in another case", CheckNewServerName("Alpha", "alpha", names), nullptr,
           InputField::None, false});
    Verdict duplicate = CheckNewServerName("ALPHA", "beta", names);
    ASSERT_TRUE(duplicate);
    EXPECT_TRUE(duplicate->information);
}

TEST(AccountRules, Forwardings) {
    const char* kSeparators =
        "The target server and port may not contain commas, colons, equals signs or blanks!";
    const std::vector<std::string> names = {"alpha"};
    const Case cases[] = {
        {"complete", CheckForwarding(Fwd("25", "mail", "25", "SMTP: out")), nullptr,
         InputField::None, false},
        {"no local port", CheckForwarding(Fwd("", "mail", "25", "")),
         "Please provide a local port number !", InputField::LocalPort, false},
        {"local port too large", CheckForwarding(Fwd("65536", "mail", "25", "")),
         "The local port number must be between 1 and 65535 !", InputField::LocalPort, true},
        {"target server with a colon", CheckForwarding(Fwd("25", "a:b", "25", "")), kSeparators,
         InputField::TargetServer, false},
        {"target port too large", CheckForwarding(Fwd("25", "mail", "70000", "")),
         "The target port number must be between 1 and 65535 !", InputField::TargetPort, true},
        {"target port with an equals sign", CheckForwarding(Fwd("25", "mail", "2=5", "")),
         kSeparators, InputField::TargetPort, false},
        {"description with a comma", CheckForwarding(Fwd("25", "mail", "25", "a,b")),
         "The port description may not contain commas!", InputField::Description, false},
        {"an account", CheckForwardingAccount("alpha", names), nullptr, InputField::None, false},
        {"no such account", CheckForwardingAccount("Alpha", names),
         "Please choose a server from the server list !", InputField::None, false},
    };
    for (const Case& c : cases)
        Check(c);
}

TEST(AccountRules, ProxyPort) {
    const char* kRange = "Local port value must be between 1 and 65535 !";
    const Case cases[] = {
        {"zero", CheckProxyPort("0"), kRange, InputField::LocalPort, true},
        {"largest", CheckProxyPort("65535"), nullptr, InputField::None, false},
        {"empty", CheckProxyPort(""), "Please provide the local port number !",
         InputField::LocalPort, false},
        {"too large", CheckProxyPort("65536"), kRange, InputField::LocalPort, true},
        {"far too large", CheckProxyPort("99999999999999999999999"), kRange, InputField::LocalPort,
         true},
        {"pasted text", CheckProxyPort("80,x"), kRange, InputField::LocalPort, true},
    };
    for (const Case& c : cases)
        Check(c);
}

} // namespace
