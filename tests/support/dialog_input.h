// Driving any dialog of the program by control id, as the user's clicks and choices reach it:
// the notification each control sends to its dialog, and reading the controls back.
#pragma once

#include <windows.h>

#include <string>

// A click as the button sends it to its dialog.
void ClickItem(HWND dialog, int id);
// Checks the radio button of the group [first, last], then clicks it.
void ChooseRadio(HWND dialog, int first, int last, int id);
// Selects the combo box's item (-1: none), then tells the dialog as a choice from the list does.
void ChooseItem(HWND dialog, int id, int index);
// Puts the text into the control, as typing or pasting would.
void TypeInto(HWND dialog, int id, const std::string& text);

std::string ItemText(HWND dialog, int id);
bool ItemChecked(HWND dialog, int id);
bool ItemEnabled(HWND dialog, int id);
// The combo box's selected item, or CB_ERR.
int ComboSelection(HWND dialog, int id);
