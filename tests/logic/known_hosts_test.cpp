// The lines of Marrowin's known-hosts file that belong to one server: forgotten when its
// account goes, moved when the account is renamed; every other line kept as it is.
#include "logic/known_hosts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kOthers = "# a comment\r\n"
                            "\n"
                            "|1|hashed= ssh-ed25519 H\n"
                            "mail.example.org.evil ssh-ed25519 E\n"
                            "[mail.example.org]:x ssh-ed25519 X\n"
                            "other.example.org ssh-rsa O";

TEST(KnownHosts, OnlyTheServersNamesGoOrMove) {
    const struct {
        const char* name;
        std::string text;
        std::string forgotten;
        std::string renamed; // to new.example.org
    } cases[] = {
        {"both forms, any case",
         "mail.example.org ssh-ed25519 A\r\n[MAIL.example.org]:2222 ssh-rsa B\n" + kOthers, kOthers,
         "new.example.org ssh-ed25519 A\r\n[new.example.org]:2222 ssh-rsa B\n" + kOthers},
        {"a line of several names keeps the others",
         "a.example.org,mail.example.org ssh-ed25519 A\n" + kOthers,
         "a.example.org ssh-ed25519 A\n" + kOthers,
         "a.example.org,new.example.org ssh-ed25519 A\n" + kOthers},
        {"a marker line", "@revoked mail.example.org ssh-ed25519 R\n" + kOthers, kOthers,
         "@revoked new.example.org ssh-ed25519 R\n" + kOthers},
        {"the new name's old lines go", "new.example.org ssh-ed25519 N\n" + kOthers,
         "new.example.org ssh-ed25519 N\n" + kOthers, kOthers},
        {"nothing of the server", kOthers, kOthers, kOthers},
        {"a name alone on its line", "mail.example.org", "", "new.example.org"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.forgotten, ForgetHost(c.text, "mail.example.org"));
        EXPECT_EQ(c.renamed, RenameHost(c.text, "mail.example.org", "new.example.org"));
    }
}

} // namespace
