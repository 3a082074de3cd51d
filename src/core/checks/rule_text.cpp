#include "core/checks/rule_text.h"

#include <exception>

#include "core/base/error_text.h"
#include "core/prompts/user_prompts.h"

namespace velmora::checks {

namespace {

enum class State { Outside, InName, InBracket };

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Characters that end an operator token and are kept after its phrase.
bool EndsBracketToken(char c) {
  return c == ' ' || c == '(' || c == ')' || c == '*' || c == '+' || c == '-' || c == '/';
}

const char* OperatorPhrase(std::string_view op) {
  if (op == "<=") return "不能大于";
  if (op == ">=") return "不能小于";
  if (op == "=") return "必须等于";
  if (op == ">") return "必须大于";
  if (op == "<") return "必须小于";
  return nullptr;
}

}  // namespace

std::string RuleTextFormatter::FormatRuleText(std::string_view text) {
  std::string out;
  std::string token;
  State state = State::Outside;
  auto flush = [&] {
    out += ExplainToken(token);
    token.clear();
  };
  // Text is handled byte by byte: every byte of a multi-byte character is an "other" character.
  for (char c : text) {
    if (c == '[') {
      if (state == State::InName) flush();
      state = State::InBracket;
    } else if (IsLetter(c)) {
      token += c;
      state = State::InName;
    } else if (IsDigit(c)) {
      if (state == State::Outside)
        out += c;
      else
        token += c;
    } else if (state == State::InName) {
      flush();
      if (c != ']') out += c;
      state = State::Outside;
    } else if (state == State::InBracket) {
      if (c == ']' || EndsBracketToken(c)) {
        flush();
        if (c != ']') out += c;
        state = State::Outside;
      } else {
        token += c;
      }
    } else {
      out += c;
    }
  }
  if (state != State::Outside && !token.empty()) flush();
  return out;
}

std::string RuleTextFormatter::ExplainToken(std::string_view token) {
  if (token.empty()) return {};
  try {
    // The catalogue is made ready before anything else, operators included.
    hints_.EnsureLoaded();
    std::string_view t = token;
    if (!t.empty() && t.front() == '[') t.remove_prefix(1);
    if (!t.empty() && t.back() == ']') t.remove_suffix(1);
    if (const char* phrase = OperatorPhrase(t)) return phrase;
    if (std::optional<std::string> hint = hints_.HintOf(std::string(t))) return "[" + *hint + "]";
    return std::string(t);
  } catch (const std::exception& e) {
    prompts_.message(base::RunErrorText(e.what()) + ",当前的Key为" + std::string(token),
                     MessageKind::Error);
    return {};
  }
}

}  // namespace velmora::checks
