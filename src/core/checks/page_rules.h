#pragma once
// The table-driven rules of the entry form: the rows of dt_logic are conditions over field names;
// a row fires (and is listed in the error list) when its condition is true for the values on the
// form. Pages 1 to 7 are the form's survey pages.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/checks/expression_engine.h"
#include "core/checks/rule_expression.h"
#include "core/checks/rule_text.h"

namespace velmora {
class UserPrompts;
}
namespace velmora::db {
class Connection;
}

namespace velmora::checks {

inline constexpr int kFirstRulePage = 1;
inline constexpr int kLastRulePage = 7;

enum class ControlStatus { Numeric, NoSuchControl, NotNumeric };

struct ControlValue {
  ControlStatus status = ControlStatus::NoSuchControl;
  double value = 0;  // the control's current number when it is a numeric control
};

// The controls of the entry form, found by name without regard to letter case.
class ControlValues {
 public:
  virtual ~ControlValues() = default;
  virtual ControlValue ValueOf(const std::string& name) const = 0;
};

// The error list window.
class ErrorList {
 public:
  virtual ~ErrorList() = default;
  // Removes every entry and hides the window.
  virtual void ClearEntries() = 0;
  virtual void AddEntry(const std::string& rule, const std::string& explanation, const std::string& focus,
                        int page) = 0;
  virtual bool HasNoEntries() const = 0;
  // Shows the window without a modal loop.
  virtual void Show() = 0;
};

inline constexpr const char* kControlNameParseError = "Control name parse error : ";

class PageRuleChecker {
 public:
  PageRuleChecker(db::Connection& connection, UserPrompts& prompts, const ControlValues& values, ErrorList& errors,
                  RuleTextFormatter& formatter);

  // Checks the rows of one page against the form, adding an entry for every row that fires; the
  // error list is emptied first when `clearFirst`. Returns whether the list holds no entry
  // afterwards; a page outside 1..7 returns false and touches nothing.
  bool CheckPageRules(int page, bool clearFirst);
  // Pages 1 to 7 into one list, cleared once before page 1.
  void CheckAllPageRules();

  // True when the expression holds for the form's values (the engine's true, or -1 as an
  // expression written for Jet computes it). Throws RuleError.
  bool EvaluateRuleExpression(const std::string& expression);
  // The expression with every name replaced by its value text: what the engine is asked to
  // evaluate. Unknown names are reported and dropped. Throws RuleError.
  std::string SubstituteControlValues(const std::string& expression);
  // The replacement of one name. Throws RuleError for a control that is not numeric.
  std::string ControlValueText(const std::string& name);

 private:
  struct Compiled {
    std::string expression;             // for the engine, with ?1, ?2 ... for the values
    std::vector<std::int64_t> values;
  };
  Compiled compile(const std::string& expression);
  const std::vector<ExpressionPiece>& piecesOf(const std::string& expression);

  db::Connection& connection_;
  UserPrompts& prompts_;
  const ControlValues& values_;
  ErrorList& errors_;
  RuleTextFormatter& formatter_;
  ExpressionEngine engine_;
  std::unordered_map<std::string, std::vector<ExpressionPiece>> pieces_;  // by expression text
  std::unordered_map<std::string, std::string> engineText_;              // by compiled text
};

}  // namespace velmora::checks
