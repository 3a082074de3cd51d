#include "cli/verb_csv.h"

#include <ostream>

#include "cli/cli.h"
#include "cli/one_line.h"
#include "cli/terminal_job.h"
#include "core/exchange/online_csv.h"
#include "core/exchange/reporting_package.h"
#include "core/session/session.h"
#include "core/survey/machine_stamp.h"

namespace velmora::cli {

namespace {

int Export(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
           std::ostream& err) {
  VerbArgs a;
  if (!ParseVerbArgs(args, {"--out"}, a, err) || !a.positional.empty() || !a.options.count("--out")) {
    err << kCsvUsage;
    return kUsage;
  }
  try {
    if (!exchange::OnlineCsvGate(session, prompts)) return kFailed;  // the gate's message is on standard error
    TerminalJob job(err, "导出上报数据");
    const exchange::CsvWritten written =
        exchange::WriteOnlineCsv(session, exchange::WithExtension(a.options.at("--out"), ".csv"), job);
    job.finish();
    out << "records: " << written.records << "\n";
    out << "csv: " << OneLine(written.path) << "\n";
    return kOk;
  } catch (const std::exception& e) {
    err << OneLine(e.what()) << "\n";
    return kFailed;
  }
}

int Import(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
           std::ostream& err) {
  VerbArgs a;
  if (!ParseVerbArgs(args, {"--report"}, a, err) || a.positional.size() != 1) {
    err << kCsvUsage;
    return kUsage;
  }
  const std::string report = a.options.count("--report") ? a.options.at("--report") : std::string();
  TerminalJob job(err, "导入网络版数据");
  const exchange::CsvImportResult r =
      exchange::ImportOnlineCsv(session, prompts, a.positional[0], survey::GetMachineStamp(), job, report);
  switch (r.status) {
    case exchange::CsvImportStatus::Imported:
      out << "imported: " << r.imported << "\n";
      return kOk;
    case exchange::CsvImportStatus::Conflicts:
      for (const exchange::ConflictRow& c : r.conflicts)
        out << "conflict: " << OneLine(c.c901) << "," << OneLine(c.c902) << "\n";
      out << "conflicts: " << r.conflicts.size() << "\n";
      return kFailed;
    default:
      return kFailed;  // the message is on standard error
  }
}

}  // namespace

int RunCsv(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kCsvUsage;
    return kUsage;
  }
  if (session.PersonalFolder().empty()) session.setPersonalFolder(DocumentsFolder());
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "export") return Export(session, prompts, rest, out, err);
  if (args[0] == "import") return Import(session, prompts, rest, out, err);
  err << kCsvUsage;
  return kUsage;
}

}  // namespace velmora::cli
