// The colours of the program's windows at normal and at high contrast, and whether high
// contrast is on.
#include "controls/colors.h"

#include "owners/owners.h"

#include <cstdlib>
#include <iterator>

namespace {

struct PartColors {
    COLORREF own;
    int system;
};

// In the order of Part. Under high contrast the window and its texts are those of the
// system's dialogs and the fields those of its edit controls; the state shows in the words
// alone ("Privacy OFF", "not set"), and the header bars are drawn as plain buttons.
const PartColors kColors[] = {
    {RGB(214, 211, 206), COLOR_BTNFACE}, // kWindow
    {RGB(0, 0, 0), COLOR_BTNTEXT},       // kText
    {RGB(255, 255, 255), COLOR_WINDOW},  // kField
    {RGB(0, 0, 0), COLOR_WINDOWTEXT},    // kFieldText
    {RGB(255, 0, 0), COLOR_BTNTEXT},     // kAlert
    {RGB(0, 120, 0), COLOR_BTNTEXT},     // kPrivacyOn
    {RGB(0, 200, 0), COLOR_BTNTEXT},     // kAutostart
    {RGB(255, 255, 255), COLOR_BTNTEXT}, // kHeaderText
};

const PartColors& ColorsOf(Part part) {
    return kColors[static_cast<size_t>(part)];
}

// Where Windows keeps the user's high-contrast setting, as the decimal text of its flags.
const char kHighContrastKey[] = "Control Panel\\Accessibility\\HighContrast";

bool HighContrastFlagInRegistry() {
    char flags[16] = {};
    DWORD size = sizeof(flags);
    if (::RegGetValueA(HKEY_CURRENT_USER, kHighContrastKey, "Flags", RRF_RT_REG_SZ, nullptr, flags,
                       &size) != ERROR_SUCCESS)
        return false;
    return (std::strtoul(flags, nullptr, 10) & HCF_HIGHCONTRASTON) != 0;
}

} // namespace

// Wine answers SPI_GETHIGHCONTRAST with "off" whatever the user set and has no high-contrast
// themes: there a theme is the system's colours (SetSysColors) with the flag Windows keeps in
// the registry, which on Windows always says what SPI_GETHIGHCONTRAST says.
bool HighContrastOn() {
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof(contrast);
    if (::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON))
        return true;
    return HighContrastFlagInRegistry();
}

COLORREF ColorOf(Part part, bool highContrast) {
    return highContrast ? ::GetSysColor(SystemColorOf(part)) : ColorsOf(part).own;
}

int SystemColorOf(Part part) {
    return ColorsOf(part).system;
}

HBRUSH BrushOf(Part part, bool highContrast) {
    if (highContrast)
        return ::GetSysColorBrush(SystemColorOf(part));
    static fw::Brush brushes[std::size(kColors)];
    fw::Brush& brush = brushes[static_cast<size_t>(part)];
    if (!brush)
        brush.Reset(::CreateSolidBrush(ColorsOf(part).own));
    return brush.Get();
}
