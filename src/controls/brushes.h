// The two brushes of the program's look, shared by every dialog that colours its controls:
// the grey behind its windows and the white behind its input fields. Each is made at its first
// use and lives as long as the program.
#pragma once

#include <windows.h>

HBRUSH WindowGreyBrush();
HBRUSH FieldWhiteBrush();
