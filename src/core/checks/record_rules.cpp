#include "core/checks/record_rules.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/db/connection.h"
#include "core/db/error.h"
#include "core/db/statement.h"

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

int ColumnIndex(const db::Statement& statement, const char* name) {
  const int i = statement.findColumn(name);
  if (i < 0) throw db::DbError(std::string("字段 '") + name + "' 不存在");
  return i;
}

// Text or a blob that the engine did not take for a number when it was stored (a number written
// as text in a numeric column is stored as the number).
bool IsNonNumericText(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  std::strtod(begin, &end);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  return end == begin || (end && *end != '\0');
}

// An integer column: floating values round to the nearest integer (ties to even), text holding a
// number converts to it, anything else is 0. The column's kind is read once for both answers.
std::int64_t IntegerAt(const db::Statement& s, int i, bool& nonNumeric) {
  switch (s.kind(i)) {
    case db::ValueKind::Integer: return s.int64(i);
    case db::ValueKind::Null: return 0;
    case db::ValueKind::Float: return s.value(i).toInt64();
    case db::ValueKind::Blob: nonNumeric = true; return s.value(i).toInt64();
    case db::ValueKind::Text: {
      const db::Variant v = s.value(i);
      if (IsNonNumericText(std::get<std::string>(v.raw()))) nonNumeric = true;
      return v.toInt64();
    }
  }
  return 0;
}

double FloatAt(const db::Statement& s, int i, bool& nonNumeric) {
  switch (s.kind(i)) {
    case db::ValueKind::Float:
    case db::ValueKind::Integer: return s.real(i);
    case db::ValueKind::Null: return 0;
    case db::ValueKind::Blob: nonNumeric = true; return s.value(i).toDouble();
    case db::ValueKind::Text: {
      const db::Variant v = s.value(i);
      if (IsNonNumericText(std::get<std::string>(v.raw()))) nonNumeric = true;
      return v.toDouble();
    }
  }
  return 0;
}

}  // namespace

std::vector<std::string> RecordRuleColumns() {
  std::vector<std::string> names;
  for (const auto& c : kIntegerColumns) names.emplace_back(c.name);
  for (const auto& c : kFloatColumns) names.emplace_back(c.name);
  return names;
}

RecordColumns::RecordColumns(const db::Statement& statement) {
  for (const auto& c : kIntegerColumns) integerIndex_.push_back(ColumnIndex(statement, c.name));
  for (const auto& c : kFloatColumns) floatIndex_.push_back(ColumnIndex(statement, c.name));
}

bool RecordColumns::Read(const db::Statement& statement, RecordValues& out) const {
  bool nonNumeric = false;
  for (std::size_t k = 0; k < std::size(kIntegerColumns); ++k)
    out.*kIntegerColumns[k].member = IntegerAt(statement, integerIndex_[k], nonNumeric);
  for (std::size_t k = 0; k < std::size(kFloatColumns); ++k)
    out.*kFloatColumns[k].member = FloatAt(statement, floatIndex_[k], nonNumeric);
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
