#include "cli/verb_records.h"

#include <ostream>

#include "cli/cli.h"
#include "cli/terminal_job.h"
#include "core/exchange/record_import.h"
#include "core/exchange/year_migration.h"
#include "core/session/session.h"

namespace velmora::cli {

int RunImportRecords(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err) {
  std::string file;
  exchange::RecordImportOptions options;
  options.askPerRecord = false;
  for (const std::string& a : args) {
    if (a == "--skip-failing") {
      options.skipFailing = true;
    } else if (a.rfind("--", 0) == 0 || !file.empty()) {
      err << kImportRecordsUsage;
      return kUsage;
    } else {
      file = a;
    }
  }
  if (file.empty()) {
    err << kImportRecordsUsage;
    return kUsage;
  }
  TerminalJob job(err, "逐条导入");
  const exchange::RecordImportResult r = exchange::ImportRecordsFrom(session, prompts, file, "dt_data", options, job);
  out << "imported: " << r.imported << "\n";
  out << "skipped: " << r.skipped << "\n";
  return r.status == exchange::RecordImportStatus::Imported ? kOk : kFailed;
}

int RunMigrate(session::DatabaseSession& session, UserPrompts& prompts, std::ostream& out, std::ostream& err) {
  TerminalJob job(err, "转换");
  const exchange::OperationResult r = exchange::MigratePreviousYear(session, prompts, job, false);  // the command is the consent
  if (!r.ok) return kFailed;
  out << "migrated: " << r.rows << "\n";
  return kOk;
}

int RunTidy(session::DatabaseSession& session, UserPrompts& prompts, std::ostream& out) {
  const exchange::OperationResult r = exchange::TidyRecords(session, prompts);
  if (!r.ok) return kFailed;
  out << "tidied: " << r.rows << "\n";
  return kOk;
}

}  // namespace velmora::cli
