#pragma once
// Deleting records from a list: the selected rows one by one with a question each (or all the
// rest at once), every record, or a range of statistical codes.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/db/variant.h"
#include "core/prompts/user_prompts.h"
#include "core/records/record_scope.h"
#include "core/session/edition.h"

namespace velmora::records {

inline constexpr const char* kDeleteQuestion = "您确定要删除当前所选择的记录吗?";
inline constexpr const char* kDeleteWarning = "删除操作将不可恢复，您确认继续么？";
inline constexpr const char* kDeleteWarningTitle = "警告信息";
inline constexpr const char* kEnterRange = "请输入删除的范围";

// What a deletion did.
struct DeleteOutcome {
  std::vector<db::Variant> deleted;  // the keys named by the statements that ran
  int statements = 0;                // delete statements run
  bool failed = false;               // the engine refused a statement (its text has been shown)
};

// What the list does while rows are being deleted.
struct DeleteListHooks {
  // After each statement: re-query the list and return to its current row (the last row when
  // that row is gone).
  std::function<void()> afterStatement;
  // Whether the list holds no row any more; deleting stops then.
  std::function<bool()> listIsEmpty;
  // Makes the selected row with this key the list's current row before its question.
  std::function<void(const db::Variant&)> moveTo;
};

// A key as it goes into the statement: numbers as the engine renders them, text quoted.
std::string KeyText(const db::Variant& key);

// Deletes the list's current row (no selection) or its selected rows (in list order) from
// `table`, asking before each: {是, 否} for one row, {否, 全都是} for several. "全都是" deletes this
// and every later selected row in one statement; "否" stops; a box closed otherwise goes on with
// the next row. An engine error is shown with its text and ends the deletion; rows already
// deleted stay deleted.
DeleteOutcome DeleteSelectedRecords(UserPrompts& prompts, db::Connection& connection, const std::string& table,
                                    const std::string& keyField, const std::optional<db::Variant>& currentKey,
                                    const std::vector<db::Variant>& selectedKeys, const DeleteListHooks& hooks = {});

// Every record, after the warning question. Returns the statements that ran (0: nothing deleted).
int DeleteAllRecords(UserPrompts& prompts, db::Connection& connection, const session::EditionSettings& edition);

// The codes from `lower` to `upper` by the range rules of ResolveCodeRange ("请输入删除的范围"
// when they give no range; an upper bound below the lower one becomes the lower one). Then the
// warning question. The texts come back as the boxes should show them. Returns the
// statements that ran (0: nothing deleted).
int DeleteRecordRange(UserPrompts& prompts, db::Connection& connection, const session::EditionSettings& edition,
                       std::string& lower, std::string& upper);

}  // namespace velmora::records
