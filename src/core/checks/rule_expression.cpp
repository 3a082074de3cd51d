#include "core/checks/rule_expression.h"

#include <cmath>

#include "core/base/text.h"

namespace velmora::checks {

bool IsExpressionSeparator(char c) {
  switch (c) {
    case ' ': case '(': case ')': case '*': case '+': case '-': case '/': case '<': case '=': case '>':
      return true;
    default:
      return false;
  }
}

std::vector<ExpressionPiece> SplitRuleExpression(std::string_view expression) {
  std::vector<ExpressionPiece> pieces;
  std::string text, name;
  bool inName = false;
  auto endName = [&] {
    if (!text.empty()) pieces.push_back({false, std::move(text)});
    pieces.push_back({true, std::move(name)});
    text.clear();
    name.clear();
    inName = false;
  };
  for (char c : expression) {
    if (IsExpressionSeparator(c)) {
      if (inName) endName();
      text += c;
    } else if (base::IsAsciiLetter(c)) {
      name += c;
      inName = true;
    } else if (inName) {
      name += c;
    } else {
      text += c;
    }
  }
  if (inName && !name.empty()) endName();
  if (!text.empty()) pieces.push_back({false, std::move(text)});
  return pieces;
}

bool IsLogicalWord(std::string_view name) {
  std::string lower = base::AsciiLower(name);
  return lower == "and" || lower == "or" || lower == "not";
}

std::int64_t RoundedControlValue(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) throw RuleError("控件的数值超出范围");
  double whole = std::floor(value);
  double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<std::int64_t>(whole);
}

namespace {

// The end of the operand that starts at `from` (the right side of a "/"): unary signs, then a
// parenthesised group, or a literal, parameter or name with its argument list. Returns `from`
// when there is no operand.
std::size_t OperandEnd(std::string_view s, std::size_t from) {
  std::size_t i = from;
  while (i < s.size() && (s[i] == ' ' || s[i] == '+' || s[i] == '-')) ++i;
  auto group = [&s](std::size_t open) {
    int depth = 0;
    for (std::size_t k = open; k < s.size(); ++k) {
      if (s[k] == '(') ++depth;
      if (s[k] == ')' && --depth == 0) return k + 1;
    }
    return s.size();
  };
  if (i < s.size() && s[i] == '(') return group(i);
  std::size_t start = i;
  while (i < s.size() && !IsExpressionSeparator(s[i])) ++i;
  if (i == start) return from;
  std::size_t k = i;
  while (k < s.size() && s[k] == ' ') ++k;
  if (k < s.size() && s[k] == '(') return group(k);
  return i;
}

}  // namespace

std::string ToEngineExpression(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 16);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '-' && !out.empty() && out.back() == '-') out += ' ';
    if (s[i] != '/') {
      out += s[i];
      continue;
    }
    out += "*1.0/";
    std::size_t end = OperandEnd(s, i + 1);
    if (end == i + 1) continue;
    out += kDivisorFunction;
    out += '(';
    out += ToEngineExpression(s.substr(i + 1, end - i - 1));
    out += ')';
    i = end - 1;
  }
  return out;
}

}  // namespace velmora::checks
