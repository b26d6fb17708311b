// The passphrase of an encrypted key file, as Marrowin hands it over: the whole of plink.exe's
// standard input when that is a pipe, read to its end before ssh starts. Marrowin gives every
// run with a key file such a pipe, empty for a key without a passphrase; the text then goes to
// ssh through the askpass pipe in the password's place.
#pragma once

#include <optional>
#include <string>

// Reads the pipe into `passphrase` (left empty when the input is no pipe). Fails, with what went
// wrong, when the pipe cannot be read or holds more than 16 KB.
std::optional<std::string> ReadPassphraseInput(std::string& passphrase);
