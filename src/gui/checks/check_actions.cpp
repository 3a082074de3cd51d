#include "gui/checks/check_actions.h"

#include "core/checks/rule_export.h"

#include "core/checks/catalogue_hints.h"
#include "core/session/session.h"
#include "gui/checks/check_form.h"
#include "gui/records/record_grid.h"

namespace velmora::gui {

checks::LogicCheckResult RunSessionCheck(session::DatabaseSession& session, UserPrompts& prompts,
                                         const std::string& selectSql, jobs::Job* job) {
  checks::CatalogueHints hints(session.SysADOConnection());
  checks::LogicCheckOptions options;
  options.reportPath = checks::CheckReportPath(session.PersonalFolder(), session.DatabaseLabel());
  options.job = job;
  return checks::RunLogicCheck(session.SysADOConnection(), selectSql, prompts, hints, options);
}

std::optional<checks::LogicCheckResult> CheckSelectedRecords(session::DatabaseSession& session, UserPrompts& prompts,
                                                             RecordGrid& grid, jobs::Job* job) {
  if (grid.isEmpty()) return std::nullopt;
  const std::string filter = checks::CheckFilter(session.Edition());
  std::string sql;
  const std::vector<db::Variant> selected = grid.selectedKeys();
  if (selected.empty()) {
    const std::optional<db::Variant> current = grid.currentKey();
    if (!current || current->isNull()) return std::nullopt;
    sql = checks::CurrentRecordSql(current->toDouble(), filter);
  } else {
    std::vector<double> codes;
    codes.reserve(selected.size());
    for (const db::Variant& key : selected) codes.push_back(key.toDouble());
    sql = checks::SelectedRecordsSql(codes, filter);
  }
  return RunSessionCheck(session, prompts, sql, job);
}

void RunCheckAction(ActionContext& context) {
  TdlgCheckForm dialog(context.session, context.prompts, context.list, context.parent);
  dialog.exec();
}

void RunCheckSelectedAction(ActionContext& context) {
  if (!context.list) return;
  const auto result = CheckSelectedRecords(context.session, context.prompts, *context.list, nullptr);
  if (!result) return;
  try {
    context.list->requery();
  } catch (const std::exception&) {
  }
}

bool RunExportRulesAction(ActionContext& context) { return checks::ExportRuleList(context.session, context.prompts); }

}  // namespace velmora::gui
