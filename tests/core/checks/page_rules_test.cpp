// The form's table-driven rules: names replaced by the controls' values, the engine's verdict, and
// what a page check leaves in the error list.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/checks/catalogue_hints.h"
#include "core/checks/page_rules.h"
#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/session/session.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

using checks::ControlStatus;
using checks::ControlValue;
using checks::PageRuleChecker;
using checks::RuleError;

// Controls by lower-case name; names listed in `texts` are not numeric.
class FakeControls : public checks::ControlValues {
 public:
  std::map<std::string, double> values;
  std::map<std::string, bool> texts;
  ControlValue ValueOf(const std::string& name) const override {
    std::string key = name;
    for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (texts.count(key)) return {ControlStatus::NotNumeric, 0};
    auto it = values.find(key);
    if (it == values.end()) return {ControlStatus::NoSuchControl, 0};
    return {ControlStatus::Numeric, it->second};
  }
};

struct Entry {
  std::string rule, explanation, focus;
  int page;
  bool operator==(const Entry&) const = default;
};

// The error list, with every call in order ("clear", "add", "show").
class RecordingList : public checks::ErrorList {
 public:
  std::vector<Entry> entries;
  std::vector<std::string> calls;
  void ClearEntries() override {
    entries.clear();
    calls.push_back("clear");
  }
  void AddEntry(const std::string& rule, const std::string& explanation, const std::string& focus,
                int page) override {
    entries.push_back({rule, explanation, focus, page});
    calls.push_back("add");
  }
  bool HasNoEntries() const override { return entries.empty(); }
  void Show() override { calls.push_back("show"); }
};

// A checker over a copy of the shipped database.
struct Fixture {
  TempDir dir;
  db::Connection connection{session::DatabaseSession::ConnectionStringFor(dir.copyOfShipped().string())};
  ScriptedPrompts prompts;
  FakeControls controls;
  RecordingList list;
  checks::CatalogueHints hints{connection};
  checks::RuleTextFormatter formatter{hints, prompts};
  PageRuleChecker checker{connection, prompts, controls, list, formatter};
};

TEST(PageRules, SubstitutesControlValues) {
  struct Case {
    const char* expression;
    std::map<std::string, double> values;
    const char* substituted;
    const char* message;  // "" when none
  } cases[] = {
      {"z002-z003>=5", {{"z002", 10}, {"z003", 4}}, "10-4>=5", ""},
      {"z001 and z002", {{"z001", 1}, {"z002", 0}}, "1 and 0", ""},
      {"Z001>0 AND Not z002<0", {{"z001", 7}, {"z002", 3}}, "7>0 AND Not 3<0", ""},
      {"abs(z001)>0", {{"z001", 10}}, "(10)>0", "Control name parse error : abs"},
      {"z001.5>z002", {{"z002", 1}}, ">1", "Control name parse error : z001.5"},
      {"(z001*z002)", {{"z001", 2.5}, {"z002", 3.5}}, "(2*4)", ""},  // ties to even
      {"z001+z002", {{"z001", -2.5}, {"z002", -0.4}}, "-2+0", ""},
      {"z001<z002", {{"z001", 2.51}, {"z002", -1.5}}, "3<-2", ""},
      {"12345678901234=z001", {{"z001", 12345678901234}}, "12345678901234=12345678901234", ""},
      {"3中z001", {{"z001", 4}}, "3中4", ""},
  };
  for (const auto& c : cases) {
    Fixture f;
    f.controls.values = c.values;
    EXPECT_EQ(f.checker.SubstituteControlValues(c.expression), c.substituted) << c.expression;
    EXPECT_EQ(f.prompts.lastMessage(), c.message) << c.expression;
  }
}

TEST(PageRules, NonNumericControlIsAnError) {
  Fixture f;
  f.controls.texts["c902"] = true;
  EXPECT_THROW(f.checker.ControlValueText("C902"), RuleError);
  EXPECT_THROW(f.checker.EvaluateRuleExpression("c902 > 0"), RuleError);
  f.controls.values["z001"] = 1e300;
  EXPECT_THROW(f.checker.EvaluateRuleExpression("z001 > 0"), RuleError);
}

TEST(PageRules, DivisionByZeroIsAnErrorNotAnEmptyResult) {
  for (const char* expression : {"z001/z002 > 0", "z001/(z002-z002) > 0", "z001/0.0 > 0", "z001/'0' > 0"}) {
    SCOPED_TRACE(expression);
    Fixture f;
    f.controls.values = {{"z001", 3}, {"z002", 0}};
    EXPECT_THROW(f.checker.EvaluateRuleExpression(expression), RuleError);
  }
  Fixture f;
  f.controls.values = {{"z001", 3}, {"z002", 0}};
  EXPECT_TRUE(f.checker.EvaluateRuleExpression("z001/'2' > 1"));  // text holding a number divides as the number
}

TEST(PageRules, EvaluatesExpressions) {
  struct Case {
    const char* expression;
    std::map<std::string, double> values;
    bool fires;
  } cases[] = {
      {"z002<=z001", {{"z002", 10}, {"z001", 12}}, true},
      {"z002<=z001", {{"z002", 13}, {"z001", 12}}, false},
      {"z001-z002", {{"z001", 4}, {"z002", 5}}, true},   // -1: Jet's true
      {"z001-z002", {{"z001", 5}, {"z002", 4}}, true},   // 1: the engine's true
      {"z001-z002", {{"z001", 6}, {"z002", 4}}, false},
      {"z001-z002=15", {{"z001", 10}, {"z002", -5}}, true},  // "--" is no comment
      {"z001*-z002=10", {{"z001", 2}, {"z002", -5}}, true},
      {"z001--z002=15", {{"z001", 10}, {"z002", 5}}, true},   // two minus signs
      {"z001/z002", {{"z001", 3}, {"z002", 2}}, false},   // 1.5, not integer division
      {"z001/z002", {{"z001", -3}, {"z002", 3}}, true},   // -1.0
      {"z001/(z002+1) > 0.5", {{"z001", 3}, {"z002", 3}}, true},
      {"1z001=110", {{"z001", 10}}, true},                // a value glued to a digit before it
      {"abs(z001)>0", {{"z001", 10}}, true},
      {"z001 = 1 or z002 = 1", {{"z001", 0}, {"z002", 1}}, true},
      {"not (z001 > z002)", {{"z001", 0}, {"z002", 1}}, true},
  };
  for (const auto& c : cases) {
    Fixture f;
    f.controls.values = c.values;
    EXPECT_EQ(f.checker.EvaluateRuleExpression(c.expression), c.fires) << c.expression;
  }
}

TEST(PageRules, SameExpressionFollowsTheValues) {
  Fixture f;
  for (int v : {1, 5, 1, 0, 9}) {
    f.controls.values = {{"z001", v}, {"z002", 4}};
    EXPECT_EQ(f.checker.EvaluateRuleExpression("z001 > z002"), v > 4) << v;
  }
}

TEST(PageRules, EngineRefusalsAreErrors) {
  const char* expressions[] = {"z001 +* 2", "z001/z002", "z001/(z002-z002) > 1", "z001/-z002", "", "1; 2", "(z001",
                               "z001 and"};
  for (const char* e : expressions) {
    Fixture f;
    f.controls.values = {{"z001", 4}, {"z002", 0}};
    EXPECT_THROW(f.checker.EvaluateRuleExpression(e), RuleError) << e;
  }
}

// dt_logic rows of a test database: row 2 is not an expression, row 4 divides by zero.
void ReplaceRules(db::Connection& c) {
  c.execute("delete from dt_logic");
  c.execute(
      "insert into dt_logic (id, page_id, expression, rule, explain, focus) values "
      "(1, 1, 'z001 > 0', 'r1', 'z001[>]0', 'z001'),"
      "(2, 1, 'z001 +* 2', 'r2', 'x', 'z001'),"
      "(3, 1, 'z001 > 0', 'r3', 'x', 'z001'),"
      "(4, 2, 'z002 / z003 > 1', 'r4', 'x', 'z002'),"
      "(5, 2, '1 = 1', 'r5', 'x', 'z002'),"
      "(6, 3, 'z001 = z001', 'r6', 'z002[<=]z006', 'z002'),"
      "(7, 8, '1 = 1', 'r7', 'x', 'z002'),"
      "(8, 0, '1 = 1', 'r8', 'x', 'c904')");
}

TEST(PageRules, FaultyRowShowsItsExpressionAndEndsThePage) {
  Fixture f;
  ReplaceRules(f.connection);
  f.controls.values = {{"z001", 3}, {"z002", 5}, {"z003", 0}};
  f.checker.CheckAllPageRules();
  std::vector<Entry> expected = {{"r1", "[基层工会涵盖单位(个)]必须大于0", "z001", 1},
                                 {"r6", "[职工(人)]不能大于[工会会员(人)]", "z002", 3}};
  EXPECT_EQ(f.list.entries, expected);
  EXPECT_EQ(f.prompts.messages, (std::vector<std::string>{"z001 +* 2", "z002 / z003 > 1"}));
  EXPECT_EQ(f.list.calls.front(), "clear");
  EXPECT_EQ(std::count(f.list.calls.begin(), f.list.calls.end(), "clear"), 1);
}

TEST(PageRules, PagesOutsideTheFormTouchNothing) {
  Fixture f;
  ReplaceRules(f.connection);
  f.list.entries.push_back({"old", "old", "z001", 1});
  for (int page : {0, 8, -1}) {
    EXPECT_FALSE(f.checker.CheckPageRules(page, true)) << page;
  }
  EXPECT_TRUE(f.list.calls.empty());
  EXPECT_TRUE(f.prompts.messages.empty());
  EXPECT_EQ(f.list.entries.size(), 1u);
}

TEST(PageRules, PageCheckKeepsOrClearsTheList) {
  Fixture f;  // the shipped rules, all values 0
  // Every name of the shipped rules is a control.
  db::Query q(f.connection);
  q.setSql("select FieldName from dt_fieldlist");
  q.open();
  for (q.first(); !q.eof(); q.next()) f.controls.values[q["FieldName"].asString()] = 0;

  EXPECT_FALSE(f.checker.CheckPageRules(2, true));
  ASSERT_EQ(f.list.entries.size(), 1u);
  EXPECT_EQ(f.list.entries[0], (Entry{"b008<z002", "[联系困难职工户的领导干部(人)]必须小于[职工(人)]", "b008", 2}));
  EXPECT_EQ(f.list.calls, (std::vector<std::string>{"clear", "add", "show"}));

  EXPECT_FALSE(f.checker.CheckPageRules(3, false));  // nothing fires on page 3; page 2's entry stays
  EXPECT_EQ(f.list.entries.size(), 1u);
  EXPECT_TRUE(f.checker.CheckPageRules(3, true));
  EXPECT_EQ(f.list.calls.back(), "clear");  // cleared (and hidden), not shown again
  EXPECT_TRUE(f.prompts.messages.empty());
}

TEST(PageRules, MissingRuleTableIsReported) {
  Fixture f;
  f.connection.execute("drop table dt_logic");
  EXPECT_TRUE(f.checker.CheckPageRules(1, true));
  ASSERT_EQ(f.prompts.messages.size(), 1u);
  EXPECT_EQ(f.prompts.messages[0].rfind("运行中发生错误：", 0), 0u) << f.prompts.messages[0];
}

}  // namespace
}  // namespace velmora::testing
