#include "core/checks/record_rules.h"

#include <cstdlib>

#include <sqlite3.h>

#include <cmath>
#include <limits>

#include "core/checks/ascii.h"
#include "core/db/connection.h"
#include "core/db/error.h"

namespace velmora::checks {

namespace {

struct IntegerColumn {
  const char* name;
  std::int64_t RecordValues::*member;
};
struct FloatColumn {
  const char* name;
  double RecordValues::*member;
};

#define VELMORA_INTEGER_ENTRY(name) {#name, &RecordValues::name},
#define VELMORA_FLOAT_ENTRY(name) {#name, &RecordValues::name},
constexpr IntegerColumn kIntegerColumns[] = {VELMORA_RECORD_INTEGER_COLUMNS(VELMORA_INTEGER_ENTRY)};
constexpr FloatColumn kFloatColumns[] = {VELMORA_RECORD_FLOAT_COLUMNS(VELMORA_FLOAT_ENTRY)};
#undef VELMORA_INTEGER_ENTRY
#undef VELMORA_FLOAT_ENTRY

bool SameName(const char* a, const char* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b)
    if (AsciiLowerChar(*a) != AsciiLowerChar(*b)) return false;
  return *a == *b;
}

int ColumnIndex(sqlite3_stmt* statement, const char* name) {
  const int n = sqlite3_column_count(statement);
  for (int i = 0; i < n; ++i)
    if (SameName(sqlite3_column_name(statement, i), name)) return i;
  throw db::DbError(std::string("字段 '") + name + "' 不存在");
}

// An integer column: floating values round to the nearest integer (ties to even), text holding a
// number converts to it, anything else is 0.
std::int64_t IntegerAt(sqlite3_stmt* s, int i) {
  switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER: return sqlite3_column_int64(s, i);
    case SQLITE_NULL: return 0;
    default: return db::ColumnValue(s, i).toInt64();
  }
}

// Text or a blob that the engine did not take for a number when it was stored (a number written
// as text in a numeric column is stored as the number).
bool IsNonNumeric(sqlite3_stmt* s, int i) {
  const int type = sqlite3_column_type(s, i);
  if (type == SQLITE_BLOB) return true;
  if (type != SQLITE_TEXT) return false;
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
  if (!text) return false;
  char* end = nullptr;
  std::strtod(text, &end);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  return end == text || (end && *end != '\0');
}

double FloatAt(sqlite3_stmt* s, int i) {
  switch (sqlite3_column_type(s, i)) {
    case SQLITE_FLOAT:
    case SQLITE_INTEGER: return sqlite3_column_double(s, i);
    case SQLITE_NULL: return 0;
    default: return db::ColumnValue(s, i).toDouble();
  }
}

}  // namespace

std::vector<std::string> RecordRuleColumns() {
  std::vector<std::string> names;
  for (const auto& c : kIntegerColumns) names.emplace_back(c.name);
  for (const auto& c : kFloatColumns) names.emplace_back(c.name);
  return names;
}

RecordColumns::RecordColumns(sqlite3_stmt* statement) {
  for (const auto& c : kIntegerColumns) integerIndex_.push_back(ColumnIndex(statement, c.name));
  for (const auto& c : kFloatColumns) floatIndex_.push_back(ColumnIndex(statement, c.name));
}

bool RecordColumns::Read(sqlite3_stmt* statement, RecordValues& out) const {
  bool nonNumeric = false;
  for (std::size_t k = 0; k < std::size(kIntegerColumns); ++k) {
    out.*kIntegerColumns[k].member = IntegerAt(statement, integerIndex_[k]);
    nonNumeric = nonNumeric || IsNonNumeric(statement, integerIndex_[k]);
  }
  for (std::size_t k = 0; k < std::size(kFloatColumns); ++k) {
    out.*kFloatColumns[k].member = FloatAt(statement, floatIndex_[k]);
    nonNumeric = nonNumeric || IsNonNumeric(statement, floatIndex_[k]);
  }
  return nonNumeric;
}

bool CheckRecordLogic(const RecordValues& record, LogicCheckState& state, RuleTextFormatter& formatter,
                      LogicErrorSink& sink) {
  state.UnitHeaderPending = true;
  for (const RecordRule& rule : RecordRules()) {
    if (!rule.fails(record)) continue;
    const std::string explanation = formatter.FormatRuleText(rule.rule);
    sink.WriteLogicError(rule.expression, explanation, rule.page, rule.focus);
  }
  return state.UnitHeaderPending;
}

std::vector<int> FailingRuleNumbers(const RecordValues& record) {
  std::vector<int> numbers;
  for (const RecordRule& rule : RecordRules())
    if (rule.fails(record)) numbers.push_back(rule.number);
  return numbers;
}

}  // namespace velmora::checks
