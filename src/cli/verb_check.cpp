#include "cli/verb_check.h"

#include <cstdlib>
#include <ostream>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_prompts.h"
#include "cli/one_line.h"
#include "cli/terminal_job.h"
#include "core/checks/catalogue_hints.h"
#include "core/checks/logic_check_runner.h"
#include "core/entry/edit_filters.h"
#include "core/files/report_folder.h"
#include "core/prompts/user_prompts.h"
#include "core/records/record_scope.h"
#include "core/session/session.h"

namespace velmora::cli {

namespace {

// An organisation code as the command line takes it; false with a message naming the option and
// the text.
bool IsCodeText(const std::string& option, const std::string& s, std::ostream& err) {
  if (records::IsCodeText(s)) return true;
  err << OneLine(records::NotACodeMessage(option, s)) << "\n";
  return false;
}

struct CheckRequest {
  std::string sql;
  std::string report;
};

// False with a message when the arguments are not one of the three ways of checking.
bool ParseCheckArgs(const std::vector<std::string>& args, const std::string& filter, CheckRequest& out,
                    std::ostream& err) {
  int modes = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--all") {
      ++modes;
      out.sql = checks::AllRecordsSql(filter);
    } else if (a == "--range") {
      if (i + 2 >= args.size()) return false;
      std::string lower = args[i + 1], upper = args[i + 2];
      i += 2;
      // An empty bound stands for 0, as in the dialog.
      const records::RangeResolution resolved = records::ResolveCodeRange(lower, upper);
      if (resolved.refusal == records::RangeRefusal::NotACode) {
        err << OneLine(records::NotACodeMessage(a, resolved.refusedText)) << "\n";
        return false;
      }
      if (!resolved.range) {
        err << checks::kRangeMissing << "\n";
        return false;
      }
      ++modes;
      out.sql = checks::RangeRecordsSql(resolved.range->lower, resolved.range->upper, filter);
    } else if (a == "--codes") {
      if (i + 1 >= args.size()) return false;
      std::vector<double> codes;
      std::stringstream in(args[++i]);
      for (std::string code; std::getline(in, code, ',');) {
        if (!IsCodeText(a, code, err)) return false;
        codes.push_back(std::strtod(code.c_str(), nullptr));
      }
      if (codes.empty()) return false;
      ++modes;
      out.sql = checks::SelectedRecordsSql(codes, filter);
    } else if (a == "--report") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return false;
      out.report = args[++i];
    } else {
      return false;
    }
  }
  return modes == 1;
}

}  // namespace

int RunCheck(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err) {
  CheckRequest request;
  if (!ParseCheckArgs(args, checks::CheckFilter(session.Edition()), request, err)) {
    err << kCheckUsage;
    return kUsage;
  }
  CliPrompts prompts(out, err, {CliPrompts::Messages::Split, CliPrompts::Documents::Ignored});
  checks::CatalogueHints hints(session.SysADOConnection());
  checks::LogicCheckOptions options;
  options.reportPath =
      request.report.empty() ? checks::CheckReportPath(DocumentsFolder(), session.DatabaseLabel()) : request.report;
  // The records checked so far on a terminal; Ctrl-C stops the check after the current record.
  TerminalJob job(err, "检查记录");
  options.job = &job;
  const checks::LogicCheckResult result =
      checks::RunLogicCheck(session.SysADOConnection(), request.sql, prompts, hints, options);
  // A failed check changed no state and wrote no report (its message is on standard error).
  if (result.end == checks::LogicCheckResult::End::Failed) return kFailed;
  if (result.end == checks::LogicCheckResult::End::Stopped) err << "检查已停止\n";
  out << "checked: " << result.checked << "\n";
  out << "failed units: " << result.ErrorUnitCount << "\n";
  out << "error items: " << result.ErrorItemCount << "\n";
  out << "report: " << OneLine(options.reportPath) << "\n";
  out << "non-numeric values: " << result.NonNumericRecords << "\n";
  return result.end == checks::LogicCheckResult::End::Completed ? kOk : kFailed;
}

}  // namespace velmora::cli
