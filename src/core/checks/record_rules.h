#pragma once
// The survey's 125 built-in consistency rules over one stored dt_data record. The record's
// indicator columns are read once into RecordValues; every rule of the table (record_rule_table.cpp)
// is then tested in order and each failing rule goes to the error sink with its expression text,
// its explanation, its page and its focus field.
//
// Values are 64-bit integers (the form allows 14 digits); sums and differences are taken exactly
// (ExactInteger), so no value can make them wrap. The five amount columns are floating numbers,
// compared with integer columns in floating point and with 0 exactly. An empty column reads as 0.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/checks/rule_text.h"

namespace velmora::db {
class Statement;
}

namespace velmora::checks {

// The columns the rules read, as signed integers ...
#define VELMORA_RECORD_INTEGER_COLUMNS(X) \
  X(c904) X(z001) X(z002) X(z003) X(z004) X(z005) X(z006) X(z007) X(z008) X(z009) X(z010) X(z011) X(z012) \
  X(z013) X(z014) X(z015) X(z016) X(z017) X(z018) X(z019) X(z020) X(z021) X(z022) X(z023) X(z024) X(b001) \
  X(b002) X(b003) X(b004) X(b007) X(b008) X(b009) X(b010) X(b012) X(b013) X(b014) X(b015) X(b016) X(b017) \
  X(b018) X(b019) X(b020) X(b021) X(b022) X(b023) X(b024) X(h001) X(h002) X(h003) X(h004) X(h005) X(h006) \
  X(h007) X(h008) X(h009) X(h011) X(h012) X(h013) X(h014) X(h015) X(h016) X(h017) X(h018) X(h019) X(h020) \
  X(h021) X(h022) X(l001) X(l002) X(l003) X(l004) X(l005) X(f001) X(f002) X(f003) X(f004) X(f005) X(f006) \
  X(f007) X(f008) X(f009) X(f010) X(f011) X(f012) X(f013) X(f014) X(f015) X(f016) X(f017) X(f018) X(f019) \
  X(f020) X(f021) X(f022) X(f023) X(f024) X(f025) X(f026) X(j001) X(j002) X(j003) X(j004) X(j005) X(j006) \
  X(j007) X(j008) X(j009) X(j010) X(j016) X(j017) X(j018) X(j019) X(j021) X(j022) X(j023) X(w001) X(w002) \
  X(w003) X(s001) X(s002) X(s003) X(s004)

// ... and as floating numbers.
#define VELMORA_RECORD_FLOAT_COLUMNS(X) \
  X(b005) X(b006) X(b011) X(b025) X(j011)

// One record's values as the rules see them.
struct RecordValues {
#define VELMORA_INTEGER_MEMBER(name) std::int64_t name = 0;
#define VELMORA_FLOAT_MEMBER(name) double name = 0;
  VELMORA_RECORD_INTEGER_COLUMNS(VELMORA_INTEGER_MEMBER)
  VELMORA_RECORD_FLOAT_COLUMNS(VELMORA_FLOAT_MEMBER)
#undef VELMORA_INTEGER_MEMBER
#undef VELMORA_FLOAT_MEMBER
};

// One row of the rule table.
struct RecordRule {
  int number;              // 1..125, the order of evaluation
  int page;                // 1..7, the entry-form page
  const char* focus;       // the field the user should look at
  const char* rule;        // rule text, explained through FormatRuleText
  const char* expression;  // expression text, shown as it stands
  bool (*fails)(const RecordValues&);
};

// The 125 rules in evaluation order.
std::span<const RecordRule> RecordRules();

// The names of the columns the rules read, integers first.
std::vector<std::string> RecordRuleColumns();

// Where each column the rules read stands in a statement's result.
class RecordColumns {
 public:
  // Finds every column by name (without regard to letter case). Throws db::DbError with the
  // engine's unknown-field text when the statement lacks one.
  explicit RecordColumns(const db::Statement& statement);
  // Reads the current row of the statement; NULL reads as 0, and so does a value that is not a
  // number (text or a blob, as a file from elsewhere may hold): true when the row held such a value.
  bool Read(const db::Statement& statement, RecordValues& out) const;

 private:
  std::vector<int> integerIndex_;
  std::vector<int> floatIndex_;
};

// The state shared by the check run, the rules and the report writer.
struct LogicCheckState {
  bool UnitHeaderPending = false;  // no entry written yet for the current record
  double CurrentUnitCode = 0;      // c901 of the record being checked
  std::string CurrentUnitName;     // c902 of the record being checked
  std::int64_t ErrorItemCount = 0; // entries written in this run
};

// Receives one entry for every failing rule.
class LogicErrorSink {
 public:
  virtual ~LogicErrorSink() = default;
  virtual void WriteLogicError(const std::string& expression, const std::string& explanation, int page,
                               const std::string& focus) = 0;
};

// Tests every rule on the record, in table order, and gives the sink one entry per failing rule
// (the explanation formatted first). Sets UnitHeaderPending at its start and returns its value at
// the end: true exactly when no rule failed (the sink clears the flag with its first entry).
bool CheckRecordLogic(const RecordValues& record, LogicCheckState& state, RuleTextFormatter& formatter,
                      LogicErrorSink& sink);

// The numbers of the rules the record fails, in order (no explanations, no sink).
std::vector<int> FailingRuleNumbers(const RecordValues& record);

}  // namespace velmora::checks
