// The shipped rule table evaluated on whole records, the way the form checks before a formal save.
#include <gtest/gtest.h>

#include <map>

#include "core/checks/catalogue_hints.h"
#include "core/checks/form_check.h"
#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/session/session.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

using checks::FiredRule;
using checks::FormFieldValues;

struct Shipped {
  TempDir dir;
  db::Connection connection{session::DatabaseSession::ConnectionStringFor(dir.copyOfShipped().string())};
  ScriptedPrompts prompts;

  // The fired rows as dt_logic ids: an entry names its row by page, focus, rule and explanation.
  std::vector<int> Check(const std::map<std::string, double>& values) {
    FormFieldValues fields = FormFieldValues::FromCatalogue(connection);
    for (const auto& [name, value] : values) EXPECT_TRUE(fields.set(name, value)) << name;
    std::vector<int> ids;
    for (const FiredRule& r : checks::CheckFormValues(connection, prompts, fields)) {
      auto it = RowIds().find(Key(r.page, r.focus, r.rule, r.explanation));
      ids.push_back(it == RowIds().end() ? -1 : it->second);
    }
    return ids;
  }

 private:
  static std::string Key(int page, const std::string& focus, const std::string& rule, const std::string& text) {
    return std::to_string(page) + "|" + focus + "|" + rule + "|" + text;
  }
  const std::map<std::string, int>& RowIds() {
    if (rowIds_.empty()) {
      checks::CatalogueHints hints(connection);
      checks::RuleTextFormatter formatter(hints, prompts);
      db::Query q(connection);
      q.setSql("select * from dt_logic");
      q.open();
      for (q.first(); !q.eof(); q.next())
        rowIds_[Key(q["page_id"].asInteger(), q["focus"].asString(), q["rule"].asString(),
                    formatter.FormatRuleText(q["explain"].asString()))] = q["id"].asInteger();
    }
    return rowIds_;
  }
  std::map<std::string, int> rowIds_;
};

TEST(FormCheck, AllZeroRecordFiresNineRulesInOrder) {
  Shipped s;
  EXPECT_EQ(s.Check({}), (std::vector<int>{2, 6, 16, 54, 87, 105, 117, 118, 119}));
  EXPECT_TRUE(s.prompts.messages.empty());
}

TEST(FormCheck, RecordsAgainstTheShippedRules) {
  // A record that passes every rule, and changes to it.
  const std::map<std::string, double> base = {{"c904", 1}, {"z001", 1}, {"z002", 10}, {"z006", 5},
                                              {"z010", 1}, {"z012", 1}, {"z015", 1}};
  struct Case {
    const char* what;
    std::map<std::string, double> changes;
    std::vector<int> fired;
  } cases[] = {
      {"passing record", {}, {}},
      {"c904=1, z001=3", {{"z001", 3}}, {27}},
      {"c904=2, z001=1", {{"c904", 2}}, {1}},
      {"c904=0", {{"c904", 0}}, {}},
      {"w001=5", {{"w001", 5}}, {}},
      {"w001=6", {{"w001", 6}}, {122}},
      {"j017=1, j018=0", {{"j017", 1}}, {115}},
      {"b004>b003", {{"b004", 1}, {"b006", 2}, {"b003", 0}}, {34}},
      {"z006=z002, z007<>z003, z008<>z004",
       {{"z006", 10}, {"z003", 3}, {"z007", 2}, {"z004", 3}, {"z008", 2}, {"z005", 1}, {"z009", 1}},
       {21, 22, 24, 25}},
      {"male members equal male employees", {{"z003", 2}, {"z006", 9}, {"z007", 1}}, {}},
      {"decimal amount rounded", {{"b003", 1}, {"b005", 1.5}, {"b004", 1}, {"b006", 2.5}}, {}},
      {"decimal amount rounded to the count", {{"b003", 2}, {"b005", 2.5}, {"b004", 2}, {"b006", 3}}, {33, 34}},
  };
  for (const auto& c : cases) {
    Shipped s;
    std::map<std::string, double> values = base;
    for (const auto& [k, v] : c.changes) values[k] = v;
    EXPECT_EQ(s.Check(values), c.fired) << c.what;
    EXPECT_TRUE(s.prompts.messages.empty()) << c.what;
  }
}

TEST(FormCheck, FieldsOfTheForm) {
  Shipped s;
  FormFieldValues fields = FormFieldValues::FromCatalogue(s.connection);
  EXPECT_TRUE(fields.isNumeric("Z001"));
  EXPECT_TRUE(fields.isNumeric("c904"));
  EXPECT_TRUE(fields.hasField("c902"));
  EXPECT_FALSE(fields.isNumeric("c902"));  // text
  EXPECT_FALSE(fields.set("c902", 1));
  EXPECT_FALSE(fields.hasField("RecordState"));
  EXPECT_FALSE(fields.hasField("abs"));
  EXPECT_EQ(fields.ValueOf("z001").status, checks::ControlStatus::Numeric);
  EXPECT_EQ(fields.ValueOf("c902").status, checks::ControlStatus::NotNumeric);
  EXPECT_EQ(fields.ValueOf("zz").status, checks::ControlStatus::NoSuchControl);
}

}  // namespace
}  // namespace velmora::testing
