// Fuzzes password scrambling: a password the settings file can keep comes back unchanged, and
// any stored text, however broken, unscrambles without harm. Input: the password, or the
// stored text.
#include "fuzz_support.h"

#include "logic/password_scrambling.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::string clear = UnscramblePassword(text);
    FUZZ_CHECK(clear.size() <= text.size());

    if (CanStorePassword(text)) {
        std::string stored = ScramblePassword(text);
        FUZZ_CHECK(stored.size() == text.size());
        FUZZ_CHECK(stored.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
        FUZZ_CHECK(UnscramblePassword(stored) == text);
    }
    return 0;
}
