// The high-contrast theme of the tests and the help's pictures: the registry's flag and a black
// scheme, set and given back.
#include "support/high_contrast.h"

#include <cstdlib>
#include <string>

namespace {

const char kHighContrastKey[] = "Control Panel\\Accessibility\\HighContrast";
const char kThemeKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

// Much as Windows' "High Contrast Black": white text on black, a cyan selection, green for what
// is disabled, a purple title bar.
const struct {
    int index;
    COLORREF color;
} kScheme[] = {
    {COLOR_WINDOW, RGB(0, 0, 0)},
    {COLOR_WINDOWTEXT, RGB(255, 255, 255)},
    {COLOR_BTNFACE, RGB(0, 0, 0)},
    {COLOR_BTNTEXT, RGB(255, 255, 255)},
    {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)},
    {COLOR_3DLIGHT, RGB(192, 192, 192)},
    {COLOR_BTNSHADOW, RGB(128, 128, 128)},
    {COLOR_3DDKSHADOW, RGB(255, 255, 255)},
    {COLOR_HIGHLIGHT, RGB(26, 235, 255)},
    {COLOR_HIGHLIGHTTEXT, RGB(0, 0, 0)},
    {COLOR_GRAYTEXT, RGB(63, 242, 63)},
    {COLOR_ACTIVECAPTION, RGB(128, 0, 128)},
    {COLOR_GRADIENTACTIVECAPTION, RGB(128, 0, 128)},
    {COLOR_CAPTIONTEXT, RGB(255, 255, 255)},
};

// The text of the value, or "" when there is none.
std::string ReadText(const char* key, const char* name) {
    char text[64] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return std::string();
    return text;
}

// Writes the text, or deletes the value for "".
void WriteText(const char* key, const char* name, const std::string& text) {
    if (text.empty())
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, key, name);
    else
        ::RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                          static_cast<DWORD>(text.size() + 1));
}

} // namespace

HighContrastTheme::HighContrastTheme()
    : flagsBefore_(ReadText(kHighContrastKey, "Flags")),
      stylesBefore_(ReadText(kThemeKey, "ThemeActive")) {
    // The flag first: the windows read it when the new colours reach them.
    WriteText(kHighContrastKey, "Flags",
              std::to_string(std::strtoul(flagsBefore_.c_str(), nullptr, 10) | HCF_HIGHCONTRASTON));
    WriteText(kThemeKey, "ThemeActive", "0");
    std::vector<COLORREF> scheme;
    for (const auto& entry : kScheme) {
        indexes_.push_back(entry.index);
        before_.push_back(::GetSysColor(entry.index));
        scheme.push_back(entry.color);
    }
    ::SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), scheme.data());
}

HighContrastTheme::~HighContrastTheme() {
    WriteText(kHighContrastKey, "Flags", flagsBefore_);
    WriteText(kThemeKey, "ThemeActive", stylesBefore_);
    ::SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), before_.data());
}
