// Which colour each part of the program's windows has: the program's own grey, white, red and
// greens at normal contrast, and under a high-contrast theme the system's colours of that
// theme, so that what the user chose to read well is what the windows show.
#pragma once

#include <windows.h>

enum class Part {
    kWindow,     // behind every window
    kText,       // plain text on the window
    kField,      // behind the fields the user types into or chooses from
    kFieldText,  // the text in those fields
    kAlert,      // privacy off, a setting that is missing, the heading of a notice
    kPrivacyOn,  // privacy on after a Start
    kAutostart,  // privacy on after the start of the default tunnel at program start
    kHeaderText, // the text of the header bars
};

// Whether the user has a high-contrast theme on now.
bool HighContrastOn();

// The colour of the part: the program's own, or under high contrast the system's.
COLORREF ColorOf(Part part, bool highContrast);
// The system colour (COLOR_...) the part takes under high contrast.
int SystemColorOf(Part part);

// A brush of the part's colour, which the caller does not delete: the system's under high
// contrast, else one of the program's, made at its first use and kept as long as the program.
HBRUSH BrushOf(Part part, bool highContrast);
