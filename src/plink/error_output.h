// Messages for whoever started plink.exe. It is a windowless program, so they go to the
// standard error handle it was given: a parent's redirection shows them, and without one they
// go nowhere, which is right for a program Marrowin starts hidden.
#pragma once

#include <string>

// "plink: " + the text, and a line end.
void WriteError(const std::string& text);
// A line of ssh's own output, passed on as it is, so that someone running plink.exe by hand
// sees why a connection fails.
void PassOnLine(const std::string& line);
