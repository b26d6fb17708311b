// The stand-ins' script, read and followed; see stand_in_script.h.
#include "support/stand_in_script.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>

namespace {

// The steps of a script file, one a line, blank lines left out.
std::vector<std::string> ReadScript(const std::string& path) {
    std::vector<std::string> steps;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty())
            steps.push_back(line);
    }
    return steps;
}

} // namespace

int RunStandInScript(const std::string& path, const std::vector<std::string>& otherwise,
                     const StandInStep& ownStep, RecordFile& record) {
    bool scripted = ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    for (const std::string& step : scripted ? ReadScript(path) : otherwise) {
        record.Line("step " + step);
        size_t blank = step.find(' ');
        std::string verb = step.substr(0, blank);
        std::string argument = blank == std::string::npos ? "" : step.substr(blank + 1);
        std::optional<int> exitCode;
        if (verb == "sleep")
            ::Sleep(std::strtoul(argument.c_str(), nullptr, 10));
        else if (verb == "exit")
            exitCode = std::atoi(argument.c_str());
        else if (!ownStep(verb, argument, exitCode))
            record.Line("unknown step: " + step);
        if (exitCode) {
            record.Line("exit " + std::to_string(*exitCode));
            return *exitCode;
        }
    }
    record.Line("exit 0");
    return 0;
}
