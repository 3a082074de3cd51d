#include "cli/verb_exports.h"

#include <charconv>
#include <ostream>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_prompts.h"
#include "cli/one_line.h"
#include "cli/terminal_job.h"
#include "core/base/error_text.h"
#include "core/checks/catalogue_hints.h"
#include "core/checks/rule_export.h"
#include "core/checks/rule_text.h"
#include "core/exchange/data_list.h"
#include "core/export/query_export.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"
#include "core/text/local_time.h"

namespace velmora::cli {

namespace {

// "1,5,8" into ticked tables; false for anything else.
bool ParseTables(const std::string& text, std::array<bool, exchange::kSurveyTables>& ticked) {
  std::stringstream in(text);
  std::string item;
  bool any = false;
  while (std::getline(in, item, ',')) {
    int n = 0;
    auto [p, ec] = std::from_chars(item.data(), item.data() + item.size(), n);
    if (ec != std::errc() || p != item.data() + item.size() || n < 1 ||
        n > static_cast<int>(exchange::kSurveyTables))
      return false;
    ticked[static_cast<std::size_t>(n - 1)] = true;
    any = true;
  }
  return any;
}

}  // namespace

int RunRules(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 3 || args[0] != "export" || args[1] != "--out" || args[2].empty()) {
    err << kRulesUsage;
    return kUsage;
  }
  CliPrompts prompts(out, err, {CliPrompts::Messages::Split, CliPrompts::Documents::Ignored});
  try {
    checks::CatalogueHints hints(session.SysADOConnection());
    checks::RuleTextFormatter formatter(hints, prompts);
    const std::vector<checks::RuleListPage> pages = checks::ReadRuleList(session.SysADOConnection(), formatter);
    checks::WriteRuleList(pages, args[2], session.DatabasePath());
    std::size_t rules = 0;
    for (const auto& p : pages) rules += p.rules.size();
    out << "pages: " << pages.size() << "\n" << "rules: " << rules << "\n" << "file: " << OneLine(args[2]) << "\n";
    return kOk;
  } catch (const std::exception& e) {
    err << base::RunErrorText(OneLine(e.what())) << "\n";
    return kFailed;
  }
}

int RunDataList(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
                std::ostream& err) {
  exchange::DataListRequest request;
  std::string path;
  std::string groupText;
  int scopes = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--tables" && hasValue) {
      if (!ParseTables(args[++i], request.ticked)) {
        err << "--tables: 表的序号是 1 到 8，用逗号分开\n" << kDataListUsage;
        return kUsage;
      }
    } else if (a == "--range" && i + 2 < args.size()) {
      request.scope = exchange::DataListScope::Range;
      request.lowText = args[++i];
      request.highText = args[++i];
      ++scopes;
    } else if (a == "--group-item" && hasValue) {
      request.scope = exchange::DataListScope::Group;
      groupText = args[++i];
      ++scopes;
    } else if (a == "--out" && hasValue) {
      path = args[++i];
    } else {
      err << kDataListUsage;
      return kUsage;
    }
  }
  if (path.empty() || scopes > 1 || !path.ends_with(".xlsx")) {
    err << kDataListUsage;
    return kUsage;
  }
  CliPrompts prompts(out, err, {CliPrompts::Messages::Split, CliPrompts::Documents::Ignored});
  if (request.scope == exchange::DataListScope::Group) {
    std::int64_t id = 0;
    auto [p, ec] = std::from_chars(groupText.data(), groupText.data() + groupText.size(), id);
    if (ec != std::errc() || p != groupText.data() + groupText.size()) {
      err << "--group-item: " << OneLine(groupText) << " 不是分组项的编号\n" << kDataListUsage;
      return kUsage;
    }
    try {
      request.group = exchange::ReadGroupItem(session.SysADOConnection(), id);
    } catch (const std::exception& e) {
      err << base::RunErrorText(OneLine(e.what())) << "\n";
      return kFailed;
    }
    if (!request.group) {
      err << "没有编号为 " << id << " 的自定义分组项\n";
      return kFailed;
    }
  }
  TerminalJob job(err, "导出数据");
  exports::ExportContext context{prompts, job, session.DatabasePath(), DocumentsFolder(), text::LocalTimeNow()};
  const exports::ExportOutcome outcome =
      exchange::ExportDataList(context, session.SysADOConnection(), request, session.DatabaseLabel(), path);
  if (!outcome.exported) return kFailed;
  out << "records: " << outcome.records << "\n";
  return kOk;
}

}  // namespace velmora::cli
