#pragma once
// velmora-cli import-records, migrate and tidy: the record-by-record import and the whole-table
// operations of an upper-level office.

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

inline constexpr const char* kImportRecordsUsage =
    "usage: velmora-cli [--db FILE] import-records FILE.mdb [--skip-failing]\n";

// import-records: every record of the file's dt_data by a statement of its own, in one transaction;
// prints "imported: N" and "skipped: S". Without --skip-failing a failing record ends the run with
// nothing imported (exit 1); with it every failing record is skipped and named on standard error.
int RunImportRecords(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err);
// migrate: the previous year's records into dt_data; prints "migrated: N".
int RunMigrate(session::DatabaseSession& session, UserPrompts& prompts, std::ostream& out, std::ostream& err);
// tidy: every reporting state 0 becomes 1; prints "tidied: N".
int RunTidy(session::DatabaseSession& session, UserPrompts& prompts, std::ostream& out);

}  // namespace velmora::cli
