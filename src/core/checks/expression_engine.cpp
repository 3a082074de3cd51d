#include "core/checks/expression_engine.h"

#include <sqlite3.h>

#include <cmath>

#include "core/checks/rule_expression.h"

namespace velmora::checks {

namespace {

// Rule expressions that vary with the data would otherwise fill the cache without end.
constexpr std::size_t kMaxStatements = 2048;

// The divisor itself, or an error when it is zero.
void Divisor(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_value* v = argv[0];
  int type = sqlite3_value_numeric_type(v);
  if ((type == SQLITE_INTEGER && sqlite3_value_int64(v) == 0) || (type == SQLITE_FLOAT && sqlite3_value_double(v) == 0.0)) {
    sqlite3_result_error(ctx, "division by zero", -1);
    return;
  }
  sqlite3_result_value(ctx, v);
}

std::int64_t ResultAsInteger(sqlite3_stmt* st) {
  switch (sqlite3_column_type(st, 0)) {
    case SQLITE_INTEGER: return sqlite3_column_int64(st, 0);
    case SQLITE_NULL: return 0;
    default: {
      double d = sqlite3_column_double(st, 0);
      if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) return 0;
      return RoundedControlValue(d);
    }
  }
}

}  // namespace

ExpressionEngine::ExpressionEngine() {
  if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    return;  // every evaluation then fails with a message
  }
  sqlite3_create_function(db_, kDivisorFunction, 1, SQLITE_UTF8, nullptr, Divisor, nullptr, nullptr);
}

ExpressionEngine::~ExpressionEngine() {
  finalizeAll();
  sqlite3_close(db_);
}

void ExpressionEngine::finalizeAll() {
  for (auto& [text, st] : statements_) sqlite3_finalize(st);
  statements_.clear();
}

sqlite3_stmt* ExpressionEngine::statementFor(const std::string& expression) {
  if (auto it = statements_.find(expression); it != statements_.end()) return it->second;
  if (!db_) throw RuleError("表达式引擎不可用");
  if (statements_.size() >= kMaxStatements) finalizeAll();
  const std::string sql = "select " + expression + " as rt";
  sqlite3_stmt* st = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &st, &tail) != SQLITE_OK || !st) {
    std::string text = st ? sqlite3_errmsg(db_) : (sqlite3_errcode(db_) == SQLITE_OK ? "empty statement" : sqlite3_errmsg(db_));
    sqlite3_finalize(st);
    throw RuleError(text);
  }
  // A second statement after a ';' would not be the rule's.
  for (; tail && *tail; ++tail)
    if (*tail != ' ' && *tail != ';') {
      sqlite3_finalize(st);
      throw RuleError("more than one statement");
    }
  statements_.emplace(expression, st);
  return st;
}

std::int64_t ExpressionEngine::Evaluate(const std::string& expression, const std::vector<std::int64_t>& values) {
  sqlite3_stmt* st = statementFor(expression);
  sqlite3_reset(st);
  sqlite3_clear_bindings(st);
  const int count = sqlite3_bind_parameter_count(st);
  for (std::size_t i = 0; i < values.size() && static_cast<int>(i) < count; ++i)
    sqlite3_bind_int64(st, static_cast<int>(i) + 1, values[i]);
  int rc = sqlite3_step(st);
  if (rc != SQLITE_ROW) {
    std::string text = rc == SQLITE_DONE ? "no result" : sqlite3_errmsg(db_);
    sqlite3_reset(st);
    throw RuleError(text);
  }
  std::int64_t result = ResultAsInteger(st);
  sqlite3_reset(st);
  return result;
}

}  // namespace velmora::checks
