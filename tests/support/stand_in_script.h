// The script a stand-in program follows: one step a line, its verb and the rest of the line, in
// the order of the file. "sleep <ms>" and "exit <code>" are every stand-in's; each stand-in
// brings its own verbs besides.
#pragma once

#include "support/record_file.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Does a step of the stand-in's own and answers true, with `exitCode` set when the step ends
// the run; answers false when the verb is not the stand-in's.
using StandInStep = std::function<bool(const std::string& verb, const std::string& argument,
                                       std::optional<int>& exitCode)>;

// Follows the script at `path`, or the `otherwise` steps when there is no such file, and returns
// the exit code: that of an "exit" step or of a step that ended the run, 0 after the last step.
// Each step is recorded as "step <line>" before it is done, the end as "exit <code>", and a verb
// that is neither the stand-in's nor every stand-in's as "unknown step: <line>".
int RunStandInScript(const std::string& path, const std::vector<std::string>& otherwise,
                     const StandInStep& ownStep, RecordFile& record);
