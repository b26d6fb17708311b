// The program's name as its windows, message boxes and tray icon show it, and the colours of
// its windows and labels.
#pragma once

#include <windows.h>

inline constexpr char kProgramName[] = "Marrowin";

// Behind every window of the program.
inline constexpr COLORREF kWindowGrey = RGB(214, 211, 206);
// Behind the input fields of the dialogs.
inline constexpr COLORREF kFieldWhite = RGB(255, 255, 255);
inline constexpr COLORREF kTextBlack = RGB(0, 0, 0);
// Behind the fields the user types into or chooses from, and the text of the headers.
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
// Privacy off, a setting that is missing, the heading of a notice.
inline constexpr COLORREF kAlertRed = RGB(255, 0, 0);
// Privacy on: after a Start, and after the start of the default tunnel at program start.
inline constexpr COLORREF kPrivacyOnGreen = RGB(0, 120, 0);
inline constexpr COLORREF kAutostartGreen = RGB(0, 200, 0);
