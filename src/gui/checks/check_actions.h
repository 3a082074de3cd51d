#pragma once
// The main window's two check actions: checking the selected records of the list, and the check
// dialog for the selected records, all records or a range of codes.

#include <optional>
#include <string>

#include "core/checks/logic_check_runner.h"

class QWidget;

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

// actCheckSelected (selectedOnly) checks the selected records at once; actCheck opens the check
// dialog. The list is read again afterwards and stays on its record.
void RunCheckAction(session::DatabaseSession& session, UserPrompts& prompts, RecordGrid* grid, QWidget* parent,
                    bool selectedOnly);

// "导出逻辑": the list of the entry form's rules by page, written as "导出逻辑.txt" in the report
// folder and opened. True when written.
bool RunExportRulesAction(session::DatabaseSession& session);

}  // namespace velmora::gui
