#include "core/checks/page_rules.h"

#include <exception>

#include "core/base/error_text.h"
#include "core/db/query.h"
#include "core/prompts/user_prompts.h"

namespace velmora::checks {

namespace {

// Expressions and their forms for the engine are few in practice; this bounds odd cases.
constexpr std::size_t kMaxCachedTexts = 4096;

}  // namespace

PageRuleChecker::PageRuleChecker(db::Connection& connection, UserPrompts& prompts, const ControlValues& values,
                                 ErrorList& errors, RuleTextFormatter& formatter)
    : connection_(connection), prompts_(prompts), values_(values), errors_(errors), formatter_(formatter) {}

const std::vector<ExpressionPiece>& PageRuleChecker::piecesOf(const std::string& expression) {
  if (auto it = pieces_.find(expression); it != pieces_.end()) return it->second;
  if (pieces_.size() >= kMaxCachedTexts) pieces_.clear();
  return pieces_.emplace(expression, SplitRuleExpression(expression)).first->second;
}

std::string PageRuleChecker::ControlValueText(const std::string& name) {
  if (IsLogicalWord(name)) return name;
  ControlValue v = values_.ValueOf(name);
  switch (v.status) {
    case ControlStatus::NoSuchControl:
      prompts_.message(kControlNameParseError + name, MessageKind::Warning);
      return {};
    case ControlStatus::NotNumeric:
      throw RuleError("控件 " + name + " 不是数值输入框");
    case ControlStatus::Numeric:
      break;
  }
  return std::to_string(RoundedControlValue(v.value));
}

std::string PageRuleChecker::SubstituteControlValues(const std::string& expression) {
  std::string out;
  for (const ExpressionPiece& p : piecesOf(expression)) out += p.isName ? ControlValueText(p.text) : p.text;
  return out;
}

// The same substitution, with the values bound as parameters where a value stands on its own, so
// that one prepared statement serves every set of values (and a negative value after a minus sign
// stays a number instead of starting a comment).
PageRuleChecker::Compiled PageRuleChecker::compile(const std::string& expression) {
  Compiled c;
  std::string text;
  for (const ExpressionPiece& p : piecesOf(expression)) {
    if (!p.isName || IsLogicalWord(p.text)) {
      text += p.text;
      continue;
    }
    ControlValue v = values_.ValueOf(p.text);
    if (v.status != ControlStatus::Numeric) {
      text += ControlValueText(p.text);  // reports an unknown name, throws for another control
      continue;
    }
    std::int64_t n = RoundedControlValue(v.value);
    if (text.empty() || IsExpressionSeparator(text.back())) {
      c.values.push_back(n);
      text += "?" + std::to_string(c.values.size());
    } else {
      text += std::to_string(n);  // glued to the text before it, as the plain substitution does
    }
  }
  auto it = engineText_.find(text);
  if (it == engineText_.end()) {
    if (engineText_.size() >= kMaxCachedTexts) engineText_.clear();
    it = engineText_.emplace(text, ToEngineExpression(text)).first;
  }
  c.expression = it->second;
  return c;
}

bool PageRuleChecker::EvaluateRuleExpression(const std::string& expression) {
  Compiled c = compile(expression);
  std::int64_t rt = engine_.Evaluate(c.expression, c.values);
  return rt == 1 || rt == -1;
}

bool PageRuleChecker::CheckPageRules(int page, bool clearFirst) {
  if (page < kFirstRulePage || page > kLastRulePage) return false;
  if (clearFirst) errors_.ClearEntries();
  std::string expression;
  bool onRow = false;
  try {
    db::Query rows(connection_);
    rows.setSql("select * from dt_logic where page_id=" + std::to_string(page));
    rows.open();
    for (rows.first(); !rows.eof(); rows.next()) {
      expression = rows.fieldByName("expression").asString();
      onRow = true;
      if (EvaluateRuleExpression(expression)) {
        std::string focus = rows.fieldByName("focus").asString();
        std::string explanation = formatter_.FormatRuleText(rows.fieldByName("explain").asString());
        std::string rule = rows.fieldByName("rule").asString();
        errors_.AddEntry(rule, explanation, focus, page);
      }
    }
  } catch (const std::exception& e) {
    // The faulty row is named by its expression; without a row the engine's own text says why.
    prompts_.message(onRow ? expression : base::RunErrorText(e.what()), MessageKind::Warning);
  }
  if (!errors_.HasNoEntries()) errors_.Show();
  return errors_.HasNoEntries();
}

void PageRuleChecker::CheckAllPageRules() {
  CheckPageRules(kFirstRulePage, true);
  for (int page = kFirstRulePage + 1; page <= kLastRulePage; ++page) CheckPageRules(page, false);
}

}  // namespace velmora::checks
