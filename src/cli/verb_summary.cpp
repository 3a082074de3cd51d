#include "cli/verb_summary.h"

#include <charconv>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_prompts.h"
#include "cli/one_line.h"
#include "cli/terminal_job.h"
#include "core/base/error_text.h"
#include "core/db/error.h"
#include "core/files/output_path.h"
#include "core/office/office_error.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"
#include "core/summary/sum_columns.h"
#include "core/files/report_folder.h"
#include "core/summary/summary.h"
#include "core/summary/summary_compare.h"
#include "core/summary/summary_workbook.h"

namespace velmora::cli {

namespace {

bool ParseNumber(const std::string& text, int& value) {
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && p == text.data() + text.size();
}

// The classification and group of --by; false when it is none of them.
bool ParseBy(const std::string& by, int& classification, int& groupId) {
  static const std::pair<const char*, int> names[] = {{"industry", summary::kByIndustry},
                                                      {"category", summary::kByEconomic},
                                                      {"type", summary::kByLevelCode},
                                                      {"domain", summary::kByUnionDomain},
                                                      {"state", summary::kByState}};
  for (const auto& [name, index] : names) {
    if (by == name) {
      classification = index;
      groupId = 0;
      return true;
    }
  }
  classification = summary::kByGroup;
  return by.rfind("group:", 0) == 0 && ParseNumber(by.substr(6), groupId) && groupId >= 0;
}

bool ParseSheets(const std::string& text, std::vector<int>& sheets) {
  if (text == "all") {
    for (int s = summary::kFirstSummarySheet; s <= summary::kLastSummarySheet; ++s) sheets.push_back(s);
    return true;
  }
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) {
    int sheet = 0;
    if (!ParseNumber(part, sheet) || sheet < 1 || sheet > summary::kLastSummarySheet) return false;
    sheets.push_back(sheet);
  }
  return !sheets.empty();
}

// The summary workbook of the ticked worksheets written to `path`; the cover is kept when the
// list is "all" or names worksheet 1.
int WriteWorkbook(session::DatabaseSession& session, int classification, int groupId, const std::vector<int>& sheets,
                  bool all, const std::string& path, std::ostream& out, std::ostream& err) {
  const files::OutputCheck where =
      files::CheckOutputPath(path, files::OutputKind{"汇总表", "PK", false}, session.DatabasePath(), true);
  if (where.verdict == files::OutputVerdict::Refused) {
    err << OneLine(where.message) << "\n";
    return kFailed;
  }
  summary::SheetTicks ticks(summary::kLastSummarySheet, all);
  for (int s : sheets) ticks[static_cast<std::size_t>(s) - 1] = true;
  CliPrompts prompts(out, err, {CliPrompts::Messages::Console, CliPrompts::Documents::Console});
  TerminalJob job(err, "汇总");
  std::optional<summary::SummaryBook> book = summary::MakeSummaryWorkbook(
      session.SysADOConnection(), summary::SummaryTemplatePath(session.ProgramFolder()), ticks, classification,
      groupId, prompts, job);
  if (!book) {
    if (job.stopRequested()) err << "汇总已停止\n";
    return kFailed;
  }
  book->workbook.save(path);
  out << "workbook: " << OneLine(path) << "\t" << OneLine(book->label) << "\n";
  for (const summary::FilledSheet& sheet : book->sheets) {
    out << "sheet: " << sheet.sheet << "\t" << summary::SheetTitle(sheet.sheet) << "\trows: " << sheet.rows << "\n";
  }
  return kOk;
}

// --threshold: a percentage above 0 and at most 1000, plain digits with an optional fraction.
bool ParseThreshold(const std::string& text, double& threshold) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), threshold);
  return ec == std::errc() && p == text.data() + text.size() && threshold > 0 && threshold <= 1000;
}

// The comparison workbook of the ticked worksheets with the reference file, written to `path` or,
// without one, into the documents folder under the name the window gives it.
int WriteComparison(session::DatabaseSession& session, int classification, int groupId, const std::vector<int>& sheets,
                    bool all, const std::string& reference, double threshold, const std::string* path,
                    std::ostream& out, std::ostream& err) {
  if (path) {
    const files::OutputCheck where =
        files::CheckOutputPath(*path, files::OutputKind{"汇总对比表", "PK", false}, session.DatabasePath(), true);
    if (where.verdict == files::OutputVerdict::Refused) {
      err << OneLine(where.message) << "\n";
      return kFailed;
    }
  }
  summary::SheetTicks ticks(summary::kLastSummarySheet, all);
  for (int s : sheets) ticks[static_cast<std::size_t>(s) - 1] = true;
  CliPrompts prompts(out, err, {CliPrompts::Messages::AllToErr, CliPrompts::Documents::Ignored});
  TerminalJob job(err, "对比");
  summary::CompareOptions options{summary::CompareReference::File(reference), threshold,
                                  files::WorkingFolder(session.ProgramFolder())};
  std::optional<summary::CompareBook> book = summary::MakeCompareWorkbook(
      session.SysADOConnection(), summary::SummaryTemplatePath(session.ProgramFolder()), ticks, classification,
      groupId, options, prompts, job);
  if (!book) {
    if (job.stopRequested()) err << summary::kCompareStoppedText << "\n";
    return kFailed;
  }
  std::string written;
  if (path) {
    book->workbook.save(*path);
    written = *path;
  } else {
    const std::string documents = session.PersonalFolder().empty() ? DocumentsFolder() : session.PersonalFolder();
    written = summary::ShowCompareWorkbook(*book, prompts, documents);
  }
  out << "workbook: " << OneLine(written) << "\t" << OneLine(book->label) << "\n";
  out << "reference: " << OneLine(book->reference) << "\n";
  for (const summary::FilledSheet& sheet : book->sheets) {
    out << "sheet: " << sheet.sheet << "\t" << summary::SheetTitle(sheet.sheet) << "\trows: " << sheet.rows << "\n";
  }
  out << "highlighted: " << book->highlighted << "\n";
  return kOk;
}

}  // namespace

int RunSummary(session::DatabaseSession& session, const std::map<std::string, std::string>& options, std::ostream& out,
               std::ostream& err) {
  int classification = 0, groupId = 0;
  std::vector<int> sheets;
  const auto by = options.find("--by");
  if (by == options.end() || !ParseBy(by->second, classification, groupId)) {
    err << "--by takes industry, category, type, domain, state or group:ID\n";
    return kUsage;
  }
  const auto list = options.find("--sheets");
  if (!ParseSheets(list == options.end() ? "all" : list->second, sheets)) {
    err << "--sheets takes all or worksheet numbers 1 to 20 separated by ','\n";
    return kUsage;
  }
  const auto target = options.find("--out");
  const auto compare = options.find("--compare");
  const auto threshold = options.find("--threshold");
  double percent = summary::kDefaultCompareThreshold;
  if (threshold != options.end() && (compare == options.end() || !ParseThreshold(threshold->second, percent))) {
    err << "--threshold takes a percentage above 0 and at most 1000, with --compare\n";
    return kUsage;
  }
  try {
    if (compare != options.end()) {
      return WriteComparison(session, classification, groupId, sheets, list == options.end() || list->second == "all",
                             compare->second, percent, target == options.end() ? nullptr : &target->second, out, err);
    }
    if (target != options.end()) {
      return WriteWorkbook(session, classification, groupId, sheets, list == options.end() || list->second == "all",
                           target->second, out, err);
    }
    // The records read so far on a terminal; Ctrl-C stops the summary.
    TerminalJob job(err, "汇总记录");
    const summary::SummaryRun run = summary::Summarize(session.SysADOConnection(), sheets, classification, groupId, job);
    if (run.stopped) {
      err << "汇总已停止\n";
      return kFailed;
    }
    const std::string label = summary::SummaryLabel(session.SysADOConnection(), classification, groupId);
    for (const summary::SummarySheetResult& sheet : run.sheets) {
      out << "sheet: " << sheet.sheet << "\t" << summary::SheetTitle(sheet.sheet) << "\t" << OneLine(label) << "\n";
      for (const summary::SummaryRow& row : sheet.rows) {
        out << OneLine(row.label);
        for (const auto& cell : row.cells) out << "\t" << OneLine(cell.toString());
        out << "\n";
      }
    }
    return kOk;
  } catch (const std::exception& e) {
    err << base::RunErrorText(OneLine(e.what())) << "\n";
    return kFailed;
  }
}

}  // namespace velmora::cli
