#pragma once
// The main window's two check actions: checking the selected records of the list, and the check
// dialog for the selected records, all records or a range of codes.

#include <optional>
#include <string>

#include "core/checks/logic_check_runner.h"
#include "gui/widgets/action_context.h"

namespace velmora {
class UserPrompts;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class RecordGrid;

// The check of one statement, its report in the report folder under the database's label.
checks::LogicCheckResult RunSessionCheck(session::DatabaseSession& session, UserPrompts& prompts,
                                         const std::string& selectSql, jobs::Job* job);

// The selected records of the list, or its current record when none is selected; nothing when the
// list is empty.
std::optional<checks::LogicCheckResult> CheckSelectedRecords(session::DatabaseSession& session, UserPrompts& prompts,
                                                             RecordGrid& grid, jobs::Job* job);

// actCheck: the check dialog for the selected records, all records or a range of codes.
void RunCheckAction(ActionContext& context);
// actCheckSelected: the selected records of the list checked at once; the list is read again
// afterwards and stays on its record.
void RunCheckSelectedAction(ActionContext& context);

// "导出逻辑": the list of the entry form's rules by page, written as "导出逻辑.txt" in the report
// folder and opened. True when written.
bool RunExportRulesAction(ActionContext& context);

}  // namespace velmora::gui
