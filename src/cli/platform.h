#pragma once
// The little the command line asks of the operating system (answered by core/base/platform).

#include <string>

namespace velmora::cli {

// The folder of the running program (where the shipped files lie beside it); `argv0` is the
// fallback where the system cannot name the program file.
std::string ProgramFolder(const char* argv0);

// Whether standard error is a terminal (a progress line is drawn only there).
bool StderrIsTerminal();

}  // namespace velmora::cli
