// Stored passwords are scrambled with a fixed key so that the settings file does not show
// them at a glance. This is obfuscation, not encryption; the key is part of the file format.
#pragma once

#include <string>

std::string ScramblePassword(const std::string& clearText);
std::string UnscramblePassword(const std::string& scrambledText);

// Whether the settings file gives the password back unchanged: false when the password holds a
// zero byte, or its scrambled form would hold a zero byte, a carriage return or a line feed,
// begin or end with a character the file's reader drops there (a blank, a tab ...), or be
// wrapped in a pair of quotes, which the reader takes off.
bool CanStorePassword(const std::string& clearText);
