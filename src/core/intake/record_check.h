#pragma once
// The check every record from elsewhere passes before it enters dt_data (a package, a backup being
// restored, a CSV file, a record-by-record import, the year migration): the same rules as the entry
// form's boxes. c901 a whole number of 1 to 12 digits above 0, unique in the file; the cover codes
// (c903-c906, c909, c912) whole numbers within their boxes' six digits; c907 as its box takes it
// (a code missing from this office's code tables is accepted: units may hold newer tables);
// RecordState 0 to 2; indicators empty or whole numbers from 0 to their box's maximum, decimals
// only in the amount fields with at most six places, always finite; texts valid UTF-8, writable in
// GBK, within their box's (or column's) length and without control characters.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/db/variant.h"

namespace velmora::intake {

// The first thing wrong with a record.
struct RecordFault {
  std::int64_t row = 0;   // 1-based position of the record in the file (its line for a CSV file)
  std::string code;       // the record's c901 as text, "" when the code itself is at fault
  std::string field;      // the column at fault
  std::string value;      // the value as the message shows it (escaped and cut)
  std::string reason;     // why, in Chinese ("不是整数", "超过12位" ...)
  // "第N条记录（编号C）的字段“F”的值“V”不合要求：R" (or "第N行" for a CSV file).
  std::string text(bool csvLine = false) const;
};

class RecordCheck {
 public:
  // The rules for rows with the columns `columns` (in the order the values come), taken from the
  // field catalogue and the declared kinds of `table` in the working database. A column that is
  // not one of the table's is refused by Check with its name. Throws db::DbError.
  RecordCheck(db::Connection& working, const std::vector<std::string>& columns,
              const std::string& table = "dt_data");
  ~RecordCheck();
  RecordCheck(RecordCheck&&) noexcept;

  // The first fault of one row; nullopt when it passes. `row` is only carried into the fault.
  std::optional<RecordFault> check(const std::vector<db::Variant>& values, std::int64_t row) const;
  // The same for the current row of a statement whose result columns are `columns`.
  std::optional<RecordFault> check(const db::Statement& statement, std::int64_t row) const;

  // Remembers the row's code; a fault when the code came before in the same file (call after
  // check passed). A missing code never counts as unique.
  std::optional<RecordFault> checkUnique(const db::Variant& c901, std::int64_t row);

  // Index of c901 in `columns`, -1 when absent.
  int codeColumn() const { return codeColumn_; }

  struct Rule;  // one column's rule

 private:
  std::vector<Rule> rules_;
  int codeColumn_ = -1;
  std::unordered_set<std::int64_t> codes_;
};

// Runs the current row of `statement` through the check and the uniqueness of its code; throws
// IntakeError Refused with the fault's text (and that nothing was imported).
void RequirePassing(RecordCheck& check, const db::Statement& statement, std::int64_t row);

// Every row of `table` of a file from elsewhere (a SourceFile's connection, in an UntrustedScope)
// through RequirePassing in one pass; returns the number of rows.
std::int64_t CheckTableRows(db::Connection& file, const std::string& table, RecordCheck& check);

}  // namespace velmora::intake
