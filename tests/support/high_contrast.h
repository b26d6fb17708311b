// A high-contrast theme for as long as the owner lives, as Wine can have one: Wine refuses
// SPI_SETHIGHCONTRAST, so the theme is the flag Windows keeps for it in the registry and a
// black scheme of system colours (SetSysColors, which tells every window), with Wine's visual
// styles off, whose controls would keep their own colours. All goes back as it was when the
// owner goes. Under Wine a program keeps the colours and styles it found when it started: one
// started after the owner shows the whole theme.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class HighContrastTheme {
public:
    HighContrastTheme();
    ~HighContrastTheme();
    HighContrastTheme(const HighContrastTheme&) = delete;
    HighContrastTheme& operator=(const HighContrastTheme&) = delete;

private:
    std::vector<int> indexes_;
    std::vector<COLORREF> before_;
    std::string flagsBefore_;
    std::string stylesBefore_;
};
