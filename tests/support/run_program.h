// Runs a program (a path, or a name looked up in PATH) with arguments and collects its exit code,
// stdout and stderr.
#pragma once

#include <string>
#include <vector>

namespace kestrune::testing {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace kestrune::testing
