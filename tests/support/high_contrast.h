// A high-contrast theme for as long as the owner lives, as Wine can have one: Wine refuses
// SPI_SETHIGHCONTRAST, so the theme is the flag Windows keeps for it in the registry and a
// black scheme of system colours (SetSysColors, which tells every window). Both go back as they
// were when the owner goes.
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
    bool hadFlags_ = false;
    std::string flagsBefore_;
};
