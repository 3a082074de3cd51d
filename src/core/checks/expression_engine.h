#pragma once
// Evaluates rule expressions once their names stand for numbers. The statements name no table,
// so they run on a private in-memory engine: prepared once per statement text and kept, they never
// hold the user's database file open.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/db/connection.h"
#include "core/db/statement.h"

namespace velmora::checks {

class ExpressionEngine {
 public:
  ExpressionEngine();
  ~ExpressionEngine();
  ExpressionEngine(const ExpressionEngine&) = delete;
  ExpressionEngine& operator=(const ExpressionEngine&) = delete;

  // Runs "select <expression> as rt" with the parameters ?1, ?2 ... bound to `values` and returns
  // rt read as an integer (floating results rounded to even, null as 0). `expression` is what
  // ToEngineExpression made. Throws RuleError with the engine's text.
  std::int64_t Evaluate(const std::string& expression, const std::vector<std::int64_t>& values);

 private:
  db::Statement& statementFor(const std::string& expression);

  db::Connection memory_;
  std::unordered_map<std::string, db::Statement> statements_;
};

}  // namespace velmora::checks
