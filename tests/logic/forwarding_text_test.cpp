// The two stored forms of a forwarding list as plain text: parsing the settings form, making
// entries, and the edits that must touch whole entries only.
#include "logic/forwarding_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

std::string Fields(const Forwarding& f) {
    return "[" + f.localPort + "|" + f.targetServer + "|" + f.targetPort + "|" + f.description +
           "]";
}

std::string FieldsOf(const std::string& text) {
    std::string all;
    for (const Forwarding& f : ParseSettingsForwardings(text))
        all += Fields(f);
    return all;
}

TEST(SettingsForm, EntriesAreCutAtCommasAndFieldsAtTheFirstThreeColons) {
    const std::pair<const char*, const char*> cases[] = {
        {"25:localhost:25:SMTP,8080:proxy.lan:3128:Web: via proxy: fast,",
         "[25|localhost|25|SMTP][8080|proxy.lan|3128|Web: via proxy: fast]"},
        {":::,1:::,", "[|||][1|||]"},
        {"", ""},
        // Text after the last comma is no entry.
        {"25:localhost:25:SMTP,110:localhost:110:POP3", "[25|localhost|25|SMTP]"},
        {"110:localhost:110:POP3", ""},
        // Hand-made entries with too few colons and empty entries are skipped.
        {",25:localhost:25:SMTP,,garbage,1:2:3,110:localhost:110:POP3,",
         "[25|localhost|25|SMTP][110|localhost|110|POP3]"}};
    for (const auto& [text, fields] : cases)
        EXPECT_EQ(FieldsOf(text), fields) << text;
}

TEST(Entries, BothForms) {
    Forwarding f{"8080", "web.lan", "80", "Intranet: main"};
    EXPECT_EQ(SettingsEntry(f), "8080:web.lan:80:Intranet: main,");
    EXPECT_EQ(SessionEntry(f), "L8080=web.lan:80,");
    EXPECT_EQ(FieldsOf(SettingsEntry(f)), Fields(f));
}

TEST(AppendingAnEntry, KeepsUnclosedTextAsItWasRead) {
    EXPECT_EQ(AppendSettingsEntry("", "1:h:1:a,"), "1:h:1:a,");
    EXPECT_EQ(AppendSettingsEntry("25:h:25:b,", "1:h:1:a,"), "25:h:25:b,1:h:1:a,");
    // The unclosed text stays out of the list and the new entry stays whole.
    std::string appended = AppendSettingsEntry("25:h:25:b,9:h:9:lost", "1:h:1:a,");
    EXPECT_EQ(appended, "25:h:25:b,1:h:1:a,9:h:9:lost");
    EXPECT_EQ(FieldsOf(appended), "[25|h|25|b][1|h|1|a]");

    EXPECT_EQ(AppendSessionEntry("", "L1=h:1,"), "L1=h:1,");
    EXPECT_EQ(AppendSessionEntry("L25=h:25,", "L1=h:1,"), "L25=h:25,L1=h:1,");
    EXPECT_EQ(AppendSessionEntry("L25=h:25", "L1=h:1,"), "L25=h:25,L1=h:1,");
}

TEST(RemovingASessionEntry, TakesTheWholeEntryOfThatLocalPortOnly) {
    const std::string text = "L125=a:1,L25=b:2,L250=c:3,";
    EXPECT_EQ(RemoveSessionEntry(text, "25"), "L125=a:1,L250=c:3,");
    EXPECT_EQ(RemoveSessionEntry(text, "125"), "L25=b:2,L250=c:3,");
    EXPECT_EQ(RemoveSessionEntry(text, "250"), "L125=a:1,L25=b:2,");
    EXPECT_EQ(RemoveSessionEntry(text, "2"), text);
    // A target that happens to read like an entry is not one.
    EXPECT_EQ(RemoveSessionEntry("L1=xL25=:2,L25=b:2,", "25"), "L1=xL25=:2,");
    // An unclosed last entry is still the entry of its port.
    EXPECT_EQ(RemoveSessionEntry("L1=a:1,L25=b:2", "25"), "L1=a:1,");
    EXPECT_EQ(RemoveSessionEntry("", "25"), "");
}

TEST(RemovingASettingsEntry, TakesOnlyAnEntryThatIsWhollyEqual) {
    const std::string text = "125:h:25:Mail,25:h:25:Mail,25:h:25:Mail old,";
    EXPECT_EQ(RemoveSettingsEntry(text, "25:h:25:Mail,"), "125:h:25:Mail,25:h:25:Mail old,");
    EXPECT_EQ(RemoveSettingsEntry(text, "25:h:25:Mail old,"), "125:h:25:Mail,25:h:25:Mail,");
    // "x:y:25:h:25:Mail," holds the entry as its tail but is another entry.
    EXPECT_EQ(RemoveSettingsEntry("1:x:y:25:h:25:Mail,", "25:h:25:Mail,"), "1:x:y:25:h:25:Mail,");
    EXPECT_EQ(RemoveSettingsEntry(text, "5:h:25:Mail,"), text);
    EXPECT_EQ(RemoveSettingsEntry(text, ""), text);
}

TEST(ChangingTargetPorts, TouchesExactlyTheEntriesWithTheOldPort) {
    // The client takes an unclosed last entry as well.
    EXPECT_EQ(ChangeSessionTargetPort("L25=localhost:25,L50000=localhost:3128,L1=h:31280,"
                                      "x:3128,L2=h:3128",
                                      "3128", "8080"),
              "L25=localhost:25,L50000=localhost:8080,L1=h:31280,x:3128,L2=h:8080");
    EXPECT_EQ(ChangeSettingsTargetPort("25:localhost:25:SMTP,50000:localhost:3128:IE Proxy,"
                                       "1:h:31280:x,2:3128:9:3128,3:h:3128:a:3128,3128:h:1,",
                                       "3128", "8080"),
              "25:localhost:25:SMTP,50000:localhost:8080:IE Proxy,"
              "1:h:31280:x,2:3128:9:3128,3:h:8080:a:3128,3128:h:1,");
    EXPECT_EQ(ChangeSessionTargetPort("", "1", "2"), "");
    EXPECT_EQ(ChangeSettingsTargetPort(",,", "1", "2"), ",,");
}

TEST(ChangingALocalPort, TouchesTheFirstWholeLocalPortOnly) {
    EXPECT_EQ(
        ChangeSessionLocalPort("L150000=a:1,L50000=localhost:8119,L50000=b:2,", "50000", "50001"),
        "L150000=a:1,L50001=localhost:8119,L50000=b:2,");
    EXPECT_EQ(ChangeSessionLocalPort("L1=a:1,L5=b:2", "5", "6"), "L1=a:1,L6=b:2");
    EXPECT_EQ(ChangeSessionLocalPort("L1=a:1,", "", "6"), "L1=a:1,");
    EXPECT_EQ(ChangeSettingsLocalPort("150000:localhost:3128:IE Proxy,1:50000:5:x,"
                                      "50000:localhost:3128:IE Proxy,",
                                      "50000", "8"),
              "150000:localhost:3128:IE Proxy,1:50000:5:x,8:localhost:3128:IE Proxy,");
    // Text after the last comma is no entry, and stays as it was.
    EXPECT_EQ(ChangeSettingsLocalPort("5:h:5:a", "5", "6"), "5:h:5:a");
}

TEST(Decimals, LeadingDigitsCountAndAnythingElseReadsZero) {
    EXPECT_EQ(ReadDecimal("65535"), 65535u);
    EXPECT_EQ(ReadDecimal("65536"), 65536u);
    EXPECT_EQ(ReadDecimal("80abc"), 80u);
    EXPECT_EQ(ReadDecimal("http"), 0u);
    EXPECT_EQ(ReadDecimal(" 80"), 0u);
    EXPECT_EQ(ReadDecimal("-1"), 0u);
    EXPECT_EQ(ReadDecimal(""), 0u);
    EXPECT_EQ(ReadDecimal("00000000000000000000000000000000000000000025"), 25u);
    // Past the largest value, whatever its width (32 bits on Windows), nothing wraps round.
    EXPECT_EQ(ReadDecimal(std::to_string(ULONG_MAX)), ULONG_MAX);
    EXPECT_EQ(ReadDecimal(std::to_string(ULONG_MAX) + "5"), ULONG_MAX);
    EXPECT_EQ(ReadDecimal("18446744073709551641"), ULONG_MAX);
    EXPECT_EQ(ReadDecimal(std::string(40, '9')), ULONG_MAX);

    EXPECT_TRUE(IsAllDigits("0"));
    EXPECT_FALSE(IsAllDigits(""));
    EXPECT_FALSE(IsAllDigits("25,"));
}

} // namespace
