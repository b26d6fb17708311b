// Stored passwords are scrambled with a fixed key so that the settings file does not show
// them at a glance. This is obfuscation, not encryption; the key is part of the file format.
#pragma once

#include <string>

std::string ScramblePassword(const std::string& clearText);
std::string UnscramblePassword(const std::string& scrambledText);

// False when the scrambled form would hold a zero byte, a carriage return or a line feed,
// which the settings file cannot keep, or when the password holds a zero byte, which would cut
// it short when read back.
bool CanStorePassword(const std::string& clearText);
