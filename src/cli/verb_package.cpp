#include "cli/verb_package.h"

#include <ostream>

#include "cli/cli.h"
#include "cli/one_line.h"
#include "core/exchange/backup_restore.h"
#include "core/exchange/package_import.h"
#include "core/exchange/reporting_package.h"
#include "core/files/report_folder.h"
#include "core/session/session.h"

namespace velmora::cli {

namespace {

const char* StatusWord(exchange::ImportStatus s) {
  switch (s) {
    case exchange::ImportStatus::Imported: return "imported";
    case exchange::ImportStatus::Conflicts: return "conflicts";
    case exchange::ImportStatus::AlreadyImported: return "already imported";
    case exchange::ImportStatus::Declined: return "declined";
    case exchange::ImportStatus::Refused: return "refused";
    case exchange::ImportStatus::Failed: return "failed";
  }
  return "failed";
}

void PrintFile(const exchange::FileImportResult& r, std::ostream& out) {
  out << "file: " << OneLine(r.file) << "\timported: " << r.imported << "\tconflicts: " << r.conflicts.size() << "\t"
      << StatusWord(r.status) << "\n";
  for (const exchange::ConflictRow& c : r.conflicts)
    out << "conflict: " << OneLine(c.c901) << "," << OneLine(c.c902) << "\n";
}

int Export(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
           std::ostream& err) {
  VerbArgs a;
  if (!ParseVerbArgs(args, {"--out", "--label"}, a, err) || !a.positional.empty() || !a.options.count("--out") ||
      !a.options.count("--label")) {
    err << kPackageUsage;
    return kUsage;
  }
  const std::string label = a.options.at("--label");
  if (label == exchange::kDefaultLabel) {
    err << exchange::kDefaultLabelText << "\n";
    return kFailed;
  }
  try {
    if (!exchange::ReportingGate(session, prompts)) return kFailed;
    const exchange::PackageWritten written =
        exchange::WritePackage(session, exchange::WithExtension(a.options.at("--out"), ".dat"), label);
    out << "records: " << written.records << "\n";
    out << "package: " << OneLine(written.path) << "\n";
    return kOk;
  } catch (const std::exception& e) {
    err << OneLine(e.what()) << "\n";
    return kFailed;
  }
}

int Info(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) {
    err << kPackageUsage;
    return kUsage;
  }
  const exchange::PackageInfo info =
      exchange::ReadPackageInfo(args[0], files::WorkingFolder(session.ProgramFolder()));
  if (!info.ok) {
    err << OneLine(info.message) << "\n";
    return kFailed;
  }
  out << "label: " << OneLine(info.label) << "\n";
  out << "records: " << info.records << "\n";
  out << "manifest: " << exchange::ManifestStatusWord(info.manifest) << "\n";
  if (info.manifest == exchange::ManifestStatus::Damaged) {
    err << OneLine(info.reason) << "\n";
    return kFailed;
  }
  return kOk;
}

int Import(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
           std::ostream& err) {
  exchange::ImportOptions options;
  options.askLabel = false;
  std::string report;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dry-run") {
      options.dryRun = true;
    } else if (args[i] == "--report" && i + 1 < args.size()) {
      report = args[++i];
    } else if (args[i].rfind("--", 0) == 0) {
      err << kPackageUsage;
      return kUsage;
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.empty()) {
    err << kPackageUsage;
    return kUsage;
  }
  std::int64_t imported = 0, conflicts = 0;
  bool all = false;
  if (files.size() == 1) {
    const exchange::SingleImport single = exchange::ImportPackage(session, prompts, files[0], "dt_data", options, jobs::NoJob(), report);
    PrintFile(single.result, out);
    imported = single.result.imported;
    conflicts = static_cast<std::int64_t>(single.result.conflicts.size());
    all = single.result.status == exchange::ImportStatus::Imported;
  } else {
    // The batch asks nothing and shows one closing message; the cause of each file not imported
    // is in the report and on standard error.
    const exchange::BatchImport batch =
        exchange::ImportPackageFiles(session, prompts, files, "dt_data", options, jobs::NoJob(), report);
    for (const exchange::FileImportResult& r : batch.files) {
      PrintFile(r, out);
      if (r.status == exchange::ImportStatus::Refused || r.status == exchange::ImportStatus::Failed)
        err << OneLine("【" + r.file + "】" + r.message) << "\n";
    }
    // A report that was not opened (every file imported) is named all the same.
    if (batch.allImported && batch.reportWritten) out << "report: " << OneLine(batch.reportPath) << "\n";
    imported = batch.imported;
    conflicts = batch.conflicts;
    all = batch.allImported;
  }
  out << "imported: " << imported << "\n";
  out << "conflicts: " << conflicts << "\n";
  return all ? kOk : kFailed;
}

}  // namespace

int RunPackage(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
  if (args.empty()) {
    err << kPackageUsage;
    return kUsage;
  }
  if (session.PersonalFolder().empty()) session.setPersonalFolder(DocumentsFolder());
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "export") return Export(session, prompts, rest, out, err);
  if (args[0] == "info") return Info(session, rest, out, err);
  if (args[0] == "import") return Import(session, prompts, rest, out, err);
  err << kPackageUsage;
  return kUsage;
}

int RunBackup(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err) {
  VerbArgs a;
  if (!ParseVerbArgs(args, {"--out"}, a, err) || !a.positional.empty() || !a.options.count("--out")) {
    err << kBackupUsage;
    return kUsage;
  }
  const std::string path = exchange::WithExtension(a.options.at("--out"), ".mdb");
  try {
    exchange::BackupTo(session, path);
  } catch (const std::exception& e) {
    err << OneLine(e.what()) << "\n";
    return kFailed;
  }
  out << "备份成功\n";
  out << "backup: " << OneLine(path) << "\n";
  return kOk;
}

int RunRestore(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
  std::string from;
  bool yes = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--yes") {
      yes = true;
    } else if (args[i] == "--from" && i + 1 < args.size()) {
      from = args[++i];
    } else {
      err << kRestoreUsage;
      return kUsage;
    }
  }
  if (from.empty() || !yes) {
    err << kRestoreUsage;
    return kUsage;
  }
  (void)out;
  return exchange::RestoreFrom(session, prompts, exchange::WithExtension(from, ".mdb"), "dt_data", false) ? kOk : kFailed;
}

}  // namespace velmora::cli
