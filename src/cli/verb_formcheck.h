#pragma once
// velmora-cli formcheck --values "c904=2,z001=1,...": the entry form's rule check on given values.

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::cli {

inline constexpr const char* kFormCheckUsage =
    "usage: velmora-cli [--db FILE] formcheck --values \"FIELD=NUMBER,...\"\n";

// Prints one line per rule that fires: page, focus field, rule and explanation, separated by tabs.
// Returns 0, 1 when the database cannot be read, 2 on a usage error.
int RunFormCheck(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err);

}  // namespace velmora::cli
