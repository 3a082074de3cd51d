#pragma once
// The rule expression language as the form's checks read it: names (a letter followed by anything
// up to the next separator), the separators " ()*+-/<=>", and everything else kept as written.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::checks {

// A failure while a rule is evaluated: a control that is not numeric, a value out of range, an
// expression the engine refuses, a division by zero.
class RuleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ExpressionPiece {
  bool isName = false;
  std::string text;
};

bool IsExpressionSeparator(char c);

// The expression cut into names and the text between them, in order.
std::vector<ExpressionPiece> SplitRuleExpression(std::string_view expression);

// AND, OR and NOT in any letter case: kept as written instead of being read as controls.
bool IsLogicalWord(std::string_view name);

// A control's value as it goes into an expression: rounded to the nearest integer, ties to even.
// Throws RuleError for values that are not finite or do not fit in 64 bits.
std::int64_t RoundedControlValue(double value);

// What the engine evaluates for an expression whose names have been replaced: "/" divides as
// floating point, a zero divisor is an error instead of the engine's silent null ("a/b" becomes
// "a*1.0/velmora_divisor(b)"), and "--" is two minus signs, not the start of a comment.
std::string ToEngineExpression(std::string_view sql);
inline constexpr const char* kDivisorFunction = "velmora_divisor";

}  // namespace velmora::checks
