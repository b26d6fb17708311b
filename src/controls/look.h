// The program's name as its windows, message boxes and tray icon show it.
#pragma once

inline constexpr char kProgramName[] = "Marrowin";
