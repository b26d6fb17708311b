// A rule's refusal (logic/account_rules.h) shown to the user: its box over the dialog, with the
// information icon for a duplicate or a missing choice and the stop icon for bad input, and then
// the focus on the field it names, emptied first when the refusal asks.
#pragma once

#include "framework/controls.h"
#include "logic/account_rules.h"

#include <functional>

// The dialog's control for an input field a refusal names; nullptr for none.
using FieldLookup = std::function<fw::Control*(InputField)>;

// Shows the refusal; true, with nothing shown, when the verdict refuses nothing.
bool Accept(const Verdict& verdict, HWND owner, const FieldLookup& fieldOf);
