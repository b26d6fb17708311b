// Password scrambling: the stored form is fixed by the key, byte for byte. What the settings
// file gives back is checked against the profile functions in settings_file_test.
#include "logic/password_scrambling.h"

#include <gtest/gtest.h>

namespace {

TEST(PasswordScrambling, AddsTheKeyBytesAndWrapsAfterSeven) {
    // Key "m7x3&#5": 'm' = 109, '7' = 55, 'x' = 120, '3' = 51, '&' = 38, '#' = 35, '5' = 53.
    EXPECT_EQ(ScramblePassword(std::string(8, '\x01')), "n8y4'$6n");
    EXPECT_EQ(ScramblePassword("a"), std::string(1, static_cast<char>('a' + 109)));
    EXPECT_EQ(ScramblePassword(""), "");
    EXPECT_EQ(UnscramblePassword(""), "");
}

TEST(PasswordScrambling, PrintablePasswordsComeBackUnchanged) {
    std::string printable;
    for (char c = ' '; c <= '~'; ++c)
        printable += c;
    std::string scrambled = ScramblePassword(printable);
    EXPECT_EQ(scrambled.size(), printable.size());
    EXPECT_NE(scrambled, printable);
    EXPECT_EQ(UnscramblePassword(scrambled), printable);
    EXPECT_EQ(scrambled.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    EXPECT_TRUE(CanStorePassword(printable));
}

TEST(PasswordScrambling, BytesThatScrambleToZeroOrLineBreaksCannotBeStored) {
    // 256 - 109 = 147 scrambles to zero at the first position, where the text is cut.
    std::string zero = "\x93"
                       "abc";
    EXPECT_EQ(ScramblePassword(zero), "");
    EXPECT_FALSE(CanStorePassword(zero));
    // (10 - 55) mod 256 = 211 scrambles to a line feed at the second position.
    EXPECT_FALSE(CanStorePassword(std::string("a\xD3")));
    // (13 - 120) mod 256 = 149 scrambles to a carriage return at the third position.
    EXPECT_FALSE(CanStorePassword(std::string("ab\x95")));
    EXPECT_TRUE(CanStorePassword(std::string("\xD3")));
    // A zero byte scrambles to a key byte, but would cut the password short when read back.
    EXPECT_FALSE(CanStorePassword(std::string("a\0b", 3)));
}

} // namespace
