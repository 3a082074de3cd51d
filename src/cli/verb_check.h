#pragma once
// velmora-cli check: the batch logic check of all records, a range of codes or given codes, with
// the check report and the records' states, as the check dialog runs it.

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::cli {

inline constexpr const char* kCheckUsage =
    "usage: velmora-cli [--db FILE] check (--all | --range LO HI | --codes C1,C2,...) [--report PATH]\n";

// Prints "checked: N", "failed units: U", "error items: E" and "report: PATH". Returns 0 whether
// or not records failed, 1 when the check could not run to its end, 2 on a usage error.
int RunCheck(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err);

}  // namespace velmora::cli
