#pragma once
// velmora-cli search: the records meeting a code range, an indicator range, a name or a code.

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::cli {

inline constexpr const char* kSearchUsage =
    "usage: velmora-cli [--db FILE] search (--range \"OP N [AND|OR OP N]\" | --indicator FIELD \"OP N\" [\"OP N\"] "
    "| --name TEXT | --code N) [--xlsx FILE | --mdb FILE]\n";

// Prints "count: N" and then the code of every matching record, one a line, in code order.
// Returns 0, 1 when the statement fails (the engine's text), 2 on a usage error or a refused
// condition.
int RunSearch(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err);

}  // namespace velmora::cli
