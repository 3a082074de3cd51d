#include "core/checks/expression_engine.h"

#include <cmath>
#include <cstdlib>

#include "core/checks/rule_expression.h"
#include "core/db/error.h"

namespace velmora::checks {

namespace {

// Rule expressions that vary with the data would otherwise fill the cache without end.
constexpr std::size_t kMaxStatements = 2048;

// The divisor itself, or an error when it is zero. Text that holds a number counts as that number,
// as the engine's arithmetic reads it.
db::Variant Divisor(const std::vector<db::Variant>& arguments) {
  db::Variant v = arguments.at(0);
  if (v.isText()) {
    const std::string& text = std::get<std::string>(v.raw());
    char* end = nullptr;
    const double d = std::strtod(text.c_str(), &end);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (!text.empty() && end && *end == '\0') {
      if (text.find_first_of(".eE") == std::string::npos && std::fabs(d) < 9e18)
        v = db::Variant(static_cast<std::int64_t>(d));
      else
        v = db::Variant(d);
    }
  }
  if ((v.isInteger() && v.toInt64() == 0) || (v.isFloat() && v.toDouble() == 0.0)) throw db::DbError("division by zero");
  return v;
}

std::int64_t ResultAsInteger(const db::Statement& st) {
  switch (st.kind(0)) {
    case db::ValueKind::Integer: return st.int64(0);
    case db::ValueKind::Null: return 0;
    default: {
      double d = st.real(0);
      if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) return 0;
      return RoundedControlValue(d);
    }
  }
}

}  // namespace

ExpressionEngine::ExpressionEngine() {
  try {
    memory_.openInMemory();
    memory_.createFunction(kDivisorFunction, 1, Divisor);
  } catch (const db::DbError&) {
    memory_.close();  // every evaluation then fails with a message
  }
}

ExpressionEngine::~ExpressionEngine() { statements_.clear(); }

db::Statement& ExpressionEngine::statementFor(const std::string& expression) {
  if (auto it = statements_.find(expression); it != statements_.end()) return it->second;
  if (!memory_.isOpen()) throw RuleError("表达式引擎不可用");
  if (statements_.size() >= kMaxStatements) statements_.clear();
  try {
    // A second statement after a ';' would not be the rule's.
    db::Statement st = db::Statement::NativeSingle(memory_, "select " + expression + " as rt");
    return statements_.emplace(expression, std::move(st)).first->second;
  } catch (const db::DbError& e) {
    throw RuleError(e.what());
  }
}

std::int64_t ExpressionEngine::Evaluate(const std::string& expression, const std::vector<std::int64_t>& values) {
  db::Statement& st = statementFor(expression);
  st.reset();
  st.clearBindings();
  const int count = st.parameterCount();
  for (std::size_t i = 0; i < values.size() && static_cast<int>(i) < count; ++i)
    st.bindInt64(static_cast<int>(i) + 1, values[i]);
  try {
    if (!st.step()) throw RuleError("no result");
  } catch (const db::DbError& e) {
    throw RuleError(e.what());
  }
  std::int64_t result = ResultAsInteger(st);
  st.reset();
  return result;
}

}  // namespace velmora::checks
