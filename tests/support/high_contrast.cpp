// The high-contrast theme of the tests and the help's pictures: the registry's flag and a black
// scheme, set and given back.
#include "support/high_contrast.h"

#include <cstdlib>
#include <string>

namespace {

const char kHighContrastKey[] = "Control Panel\\Accessibility\\HighContrast";

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

bool WriteFlags(const std::string& flags) {
    return ::RegSetKeyValueA(HKEY_CURRENT_USER, kHighContrastKey, "Flags", REG_SZ, flags.c_str(),
                             static_cast<DWORD>(flags.size() + 1)) == ERROR_SUCCESS;
}

} // namespace

HighContrastTheme::HighContrastTheme() {
    char flags[16] = {};
    DWORD size = sizeof(flags);
    hadFlags_ = ::RegGetValueA(HKEY_CURRENT_USER, kHighContrastKey, "Flags", RRF_RT_REG_SZ, nullptr,
                               flags, &size) == ERROR_SUCCESS;
    flagsBefore_ = flags;
    // The flag first: the windows read it when the new colours reach them.
    WriteFlags(std::to_string(std::strtoul(flags, nullptr, 10) | HCF_HIGHCONTRASTON));
    std::vector<COLORREF> scheme;
    for (const auto& entry : kScheme) {
        indexes_.push_back(entry.index);
        before_.push_back(::GetSysColor(entry.index));
        scheme.push_back(entry.color);
    }
    ::SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), scheme.data());
}

HighContrastTheme::~HighContrastTheme() {
    if (hadFlags_)
        WriteFlags(flagsBefore_);
    else
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kHighContrastKey, "Flags");
    ::SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), before_.data());
}
