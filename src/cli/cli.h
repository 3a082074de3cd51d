#pragma once
// velmora-cli: the command-line front end over the core, for batch work and scripts.

#include <functional>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {
class UserPrompts;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::cli {

// Exit codes: success, a failure (message on standard error), a usage error.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

struct Invocation {
  std::string programFolder;  // the shipped files' folder (files::ShippedFilesFolder of the program file's)
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

// What a verb's handler is given: the invocation, its arguments as the verb's rule read them, the
// open database (null for a verb that opens none) and the two streams.
struct VerbCall {
  const Invocation& inv;
  const VerbArgs& args;
  session::DatabaseSession* session;
  UserPrompts* prompts;  // what the verb asks and says goes through these
  std::ostream& out;
  std::ostream& err;
};

enum class VerbArgsRule {
  None,        // options of the row only, no positional arguments; the database is opened
  Positional,  // options of the row and positional arguments; the database is opened
  Own,         // the handler reads inv.args itself; the database is opened
  NoDatabase,  // options of the row, nothing opened: the handler works on files itself
};

// One row of the command line's table of verbs.
struct VerbSpec {
  std::string_view name;
  std::string_view usage;    // the arguments after the name, as the usage text shows them
  std::string_view summary;  // what the verb does, one line
  VerbArgsRule rule = VerbArgsRule::None;
  std::vector<std::string> options;  // "--name value" options ParseVerbArgs takes
  std::vector<std::string> flags;    // value-less options
  std::function<int(VerbCall&)> handler;
};

const std::vector<VerbSpec>& Verbs();
// "usage: velmora-cli [--db FILE] VERB ..." and one line per verb of the table.
std::string UsageText();

int Run(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunArgs(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
