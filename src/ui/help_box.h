// The box that says the help file could not be opened, for Help, F1 and the dialogs' F1.
#pragma once

#include <windows.h>

#include <string>

// "The help file '<full path>' could not be opened." with the stop icon.
void ShowHelpNotOpened(HWND owner, const std::string& helpFile);
