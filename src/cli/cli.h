#pragma once
// velmora-cli: the command-line front end over the core, for batch work and scripts.

#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace velmora::cli {

// Exit codes: success, a failure (message on standard error), a usage error.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

struct Invocation {
  std::string programFolder;  // the folder of the program file: the default database lives there
  std::string database;       // --db, empty for the default database
  std::string verb;
  std::vector<std::string> args;  // after the verb
};

// Options of a verb: "--name value" pairs and bare arguments.
struct VerbArgs {
  std::map<std::string, std::string> options;
  std::set<std::string> flags;  // options without a value (--force)
  std::vector<std::string> positional;
};

// Splits the verb's arguments; false (with a message) when an option lacks its value or is not
// one of `known` or of the value-less `flags`.
bool ParseVerbArgs(const std::vector<std::string>& args, const std::vector<std::string>& known, VerbArgs& out,
                   std::ostream& err, const std::vector<std::string>& flags = {});

// The documents folder of the user running the command: where reports go unless a verb is told.
std::string DocumentsFolder();

int Run(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunArgs(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
