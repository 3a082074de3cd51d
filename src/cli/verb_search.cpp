#include "cli/verb_search.h"

#include <iostream>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_prompts.h"
#include "cli/one_line.h"
#include "cli/terminal_job.h"
#include "core/base/error_text.h"
#include "core/base/text.h"
#include "core/catalogue/field_catalogue.h"
#include "core/export/query_export.h"
#include "core/prompts/user_prompts.h"
#include "core/search/search_conditions.h"
#include "core/session/session.h"
#include "core/text/local_time.h"

namespace velmora::cli {

namespace {

// The operator's code for its text; -1 when it is none of them.
int OperatorCode(const std::string& text) {
  for (const survey::TCode& c : search::OperatorList())
    if (c.Name == text) return c.Code;
  return -1;
}

// "OP N" (the blank between them optional) -> operator code and the number's text.
bool SplitBound(const std::string& text, int& op, std::string& number) {
  const std::string t = base::Trim(text, " ");
  std::size_t n = 0;
  while (n < t.size() && (t[n] == '<' || t[n] == '>' || t[n] == '=')) ++n;
  op = OperatorCode(t.substr(0, n));
  number = base::Trim(t.substr(n), " ");
  return op > 0 && !number.empty();
}

// "OP N [AND|OR OP N]".
bool ParseRange(const std::string& text, search::CodeRangeInput& input) {
  std::istringstream words(text);
  std::vector<std::string> w;
  for (std::string s; words >> s;) w.push_back(s);
  // Glue each operator to its number so that ">=5" and ">= 5" read alike.
  std::vector<std::string> parts;
  for (const std::string& s : w) {
    if (!parts.empty() && !parts.back().empty() && parts.back().find_first_not_of("<>=") == std::string::npos &&
        s.find_first_of("<>=") == std::string::npos)
      parts.back() += s;
    else
      parts.push_back(s);
  }
  if (parts.size() != 1 && parts.size() != 3) return false;
  if (!SplitBound(parts[0], input.operator1, input.number1)) return false;
  if (parts.size() == 1) return true;
  const std::string connector = base::Upper(parts[1]);
  if (connector == "AND") input.connector = 1;
  else if (connector == "OR") input.connector = 2;
  else return false;
  return SplitBound(parts[2], input.operator2, input.number2);
}

// The result list's exports: its visible catalogue columns into a workbook, or every column of the
// records into a database file.
int ExportResult(session::DatabaseSession& session, const std::string& condition, std::int64_t count,
                 const std::string& option, const std::string& path, std::ostream& out, std::ostream& err) {
  CliPrompts prompts(out, err, {CliPrompts::Messages::Split, CliPrompts::Documents::Console});
  TerminalJob job(err, "导出数据");
  exports::ExportContext context{prompts, job, session.DatabasePath(), DocumentsFolder(), text::LocalTimeNow()};
  db::Connection& c = session.SysADOConnection();
  exports::ExportOutcome outcome;
  if (option == "--xlsx") {
    catalogue::TFieldDataArray columns;
    try {
      for (catalogue::TFieldData f : catalogue::LoadFieldData(c, session.Edition())) {
        if (!f.Visible) continue;
        f.QueryShow = true;
        columns.push_back(std::move(f));
      }
    } catch (const std::exception& e) {
      err << base::RunErrorText(OneLine(e.what())) << "\n";
      return kFailed;
    }
    outcome = exports::ExportQueryToWorkbook(
        context, {c, "SELECT * from view_data " + condition + " order by c901 asc", count}, "Velmora查询结果", columns,
        path);
  } else {
    outcome = exports::ExportQueryToDatabase(context, {c, "SELECT * from dt_data " + condition + " order by c901 asc", count},
                                             "Velmora查询结果", path);
  }
  return outcome.exported ? kOk : kFailed;
}

}  // namespace

int RunSearch(session::DatabaseSession& session, const std::vector<std::string>& givenArgs, std::ostream& out,
              std::ostream& err) {
  // "--xlsx FILE" or "--mdb FILE" at the end: the result exported as the result list exports it.
  std::vector<std::string> args = givenArgs;
  std::string exportOption, exportPath;
  if (args.size() >= 2 && (args[args.size() - 2] == "--xlsx" || args[args.size() - 2] == "--mdb")) {
    exportOption = args[args.size() - 2];
    exportPath = args.back();
    args.resize(args.size() - 2);
    if (exportPath.empty()) {
      err << kSearchUsage;
      return kUsage;
    }
  }
  std::string condition;
  search::SearchCondition built;
  bool usage = args.empty();
  const std::string& how = args.empty() ? std::string() : args[0];
  if (how == "--range" && args.size() == 2) {
    search::CodeRangeInput input;
    if (!ParseRange(args[1], input)) usage = true;
    else built = search::CodeRangeCondition(input);
  } else if (how == "--indicator" && (args.size() == 3 || args.size() == 4)) {
    search::IndicatorInput input;
    input.indicator = args[1];
    if (!SplitBound(args[2], input.operator1, input.number1)) usage = true;
    if (args.size() == 4 && !SplitBound(args[3], input.operator2, input.number2)) usage = true;
    if (!usage) built = search::IndicatorCondition(input);
  } else if (how == "--name" && args.size() == 2) {
    built.text = search::NameCondition(args[1]);
  } else if (how == "--code" && args.size() == 2) {
    const auto code = search::ParseCode(args[1]);
    if (!code) {
      err << "--code: 编号必须是 0 到 99999999999999 之间的整数\n";
      return kUsage;
    }
    built.text = search::CodeCondition(*code);
  } else {
    usage = true;
  }
  if (usage) {
    err << kSearchUsage;
    return kUsage;
  }
  if (!built.ok()) {
    err << OneLine(built.refusal) << "\n";
    return kUsage;
  }
  condition = built.text;
  try {
    db::Connection& c = session.SysADOConnection();
    const std::int64_t count = search::CountMatches(c, condition);
    out << "count: " << count << "\n";
    if (!exportOption.empty()) return ExportResult(session, condition, count, exportOption, exportPath, out, err);
    search::ForEachMatchingCode(c, condition,
                                [&out](const db::Variant& code) { out << OneLine(code.toString()) << "\n"; });
    return kOk;
  } catch (const std::exception& e) {
    err << base::RunErrorText(OneLine(e.what())) << "\n";
    return kFailed;
  }
}

}  // namespace velmora::cli
