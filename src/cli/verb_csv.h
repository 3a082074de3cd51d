#pragma once
// velmora-cli csv: the exchange file of the on-line reporting system, written (after the reporting
// gate) and read back through the staging table and the number-conflict report.

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora {
class UserPrompts;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::cli {

inline constexpr const char* kCsvUsage =
    "usage: velmora-cli [--db FILE] csv export --out FILE.csv\n"
    "       velmora-cli [--db FILE] csv import FILE.csv [--report PATH]\n";

// export: prints "records: N", "csv: PATH"; 1 with the gate's message when a record is not in
// RecordState 1, or when the file cannot be written.
// import: prints "imported: N", or the report's path and "conflicts: C"; 0 only when imported.
int RunCsv(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
