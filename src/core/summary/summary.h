#pragma once
// The figures of the summary workbook: for every chosen worksheet (2 to 20) one row per class of a
// classification (a code table) or per item of a custom group, with the worksheet's aggregates.
//
// SummarizeSheet runs the worksheet's own grouped statement, as the workbook has always been
// filled; Summarize computes the same figures for many worksheets from one pass over dt_data.
// Both give the rows in worksheet order: the order in which they stand from row 9 down (codes
// ascending; group items in the group's stored order).

#include <cstdint>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/db/variant.h"
#include "core/groups/groups.h"
#include "core/jobs/job.h"

namespace velmora::summary {

// The summary dialog's radio index.
enum Classification : int {
  kByIndustry = 0,     // CT_Industry, c905
  kByEconomic = 1,     // CT_Economic, c906
  kByLevelCode = 2,    // CT_LevelCode, c904
  kByUnionDomain = 3,  // CT_UnionDomain (Code2<>0 or Z00), c907; labels "(" id ")" name
  kByState = 4,        // CT_state, c912
  kByGroup = 5,        // the items of a custom group
};

// The label written above the rows ("所在行业", ..., "分    组"); empty outside 0..5.
std::string ClassificationLabel(int classification);

struct SummaryRow {
  std::string label;               // column A
  std::vector<db::Variant> cells;  // columns B onwards, in the order of the sheet's select list;
                                   // null for an empty cell
};

struct SummarySheetResult {
  int sheet = 0;
  std::vector<SummaryRow> rows;  // worksheet order (the reverse of the statements' order)
};

struct SummaryRun {
  std::vector<SummarySheetResult> sheets;  // the worksheets filled, in the order asked
  bool stopped = false;                    // the job was stopped; `sheets` holds nothing
  bool usedStatements = false;             // the figures came from the per-sheet statements
};

// The statements, as the program builds them (in its dialect, before translation).
std::string ClassificationStatement(int sheet, int classification);
// orderstr with its direction turned: the first "desc" (any case) becomes "asc" when it holds
// "DESC", otherwise the first "asc" becomes "desc" when it holds "ASC".
std::string ReversedOrder(const std::string& orderstr);
// The items' statement; `reversedOrder` must be the ReversedOrder of an order groups::CheckedOrder
// spelt (anything else throws groups::GroupRefused).
std::string GroupItemsStatement(int groupId, const std::string& reversedOrder);
// One item's statement; the title is put between apostrophes with any apostrophe doubled, the
// condition spelt by the program from the checked range.
std::string GroupItemStatement(int sheet, const std::string& title, int number, const groups::ItemRange& range);
// The same from the bound texts of an item (">=110000000000", "<120000000000"): a symbol of the
// box and a whole number, or groups::GroupRefused.
std::string GroupItemStatement(int sheet, const std::string& title, int number, const std::string& lowValue,
                               const std::string& highValue);

struct GroupItem {
  std::string title;
  std::string lowValue;   // e.g. ">=110000000000", spelt by the program
  std::string highValue;  // e.g. "<120000000000"
  groups::ItemRange range;
};
// The items of a group in query order (the reverse of the group's stored order); groupId 0 reads
// every item. An item or order no dialog stores, or more than groups::kMaxItemsPerGroup items,
// throws groups::GroupRefused naming the group, the item and the value.
std::vector<GroupItem> ReadGroupItems(db::Connection& connection, int groupId);

// One worksheet through its statements: `sheets` holds it, or nothing unless 2 <= sheet <= 20. groupId is read only for kByGroup. A stopped job ends the statement and returns
// with `stopped`. Throws db::DbError with the engine's message.
SummaryRun SummarizeSheet(db::Connection& connection, int sheet, int classification, int groupId,
                          jobs::Job& job = jobs::NoJob());

// Every listed worksheet (numbers outside 2..20 are left out) from one read of dt_data. The job
// counts the records read (one level) and may pause or stop the run. Where the pass cannot give the
// statements' figures (a group bound it does not read, text in a column it sums) the per-sheet
// statements run instead. Throws db::DbError.
SummaryRun Summarize(db::Connection& connection, const std::vector<int>& sheets, int classification, int groupId = 0,
                     jobs::Job& job = jobs::NoJob());

}  // namespace velmora::summary
