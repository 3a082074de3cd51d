#include "core/entry/enabling_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/entry/field_groups.h"
#include "core/survey/codes.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::entry {
namespace {

using testing::ScriptedPrompts;
using testing::TempDir;

// Every indicator open and holding 5; a reporting joint union of category 140.
class EnablingTest : public ::testing::Test {
 protected:
  EnablingTest()
      : connection("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.copyOfShipped().string() + ";Mode=ReadWrite;") {
    codes.LoadAll(connection);
    for (const std::string& f : IndicatorFields()) form.values[f] = "5";
    form.values["c904"] = "2";
    form.values["c906"] = "140";
    form.values["c909"] = "3";
    form.values["c912"] = "1";
  }

  std::set<std::string> Closed() const {
    std::set<std::string> closed;
    for (const std::string& f : IndicatorFields())
      if (!form.isEnabled(f)) closed.insert(f);
    return closed;
  }

  // The real form after the same steps agrees with the image.
  void ExpectEffectsMatchImage(const FormEffects& effects, EntryForm before) const {
    before.apply(effects);
    EXPECT_EQ(before.values, form.values);
    EXPECT_EQ(before.disabled, form.disabled);
  }

  static std::set<std::string> Range(const char* prefix, int from, int to) {
    std::set<std::string> names;
    for (int i = from; i <= to; ++i) names.insert(IndicatorName(prefix, i));
    return names;
  }

  static std::set<std::string> Join(std::initializer_list<std::set<std::string>> parts) {
    std::set<std::string> all;
    for (const auto& p : parts) all.insert(p.begin(), p.end());
    return all;
  }

  TempDir dir;
  db::Connection connection;
  survey::CodeCaches codes;
  ScriptedPrompts prompts;
  EntryContext context{connection, codes, prompts};
  EntryForm form;
};

TEST_F(EnablingTest, ReportingStateAboveTwoClosesEveryIndicatorAndOneReopensThem) {
  form.values["c906"] = "500";
  EntryForm before = form;
  FormEffects closing = ApplyReportingState(context, form, 3);
  ExpectEffectsMatchImage(closing, before);
  EXPECT_EQ(Closed().size(), 142u);
  for (const std::string& f : IndicatorFields()) EXPECT_EQ(form.values[f], "0") << f;
  EXPECT_EQ(closing.checkEnabled, false);
  EXPECT_EQ(closing.holdEnabled, false);
  EXPECT_TRUE(closing.clearErrorList);
  EXPECT_EQ(form.values["c912"], "3");

  FormEffects reopening = ApplyReportingState(context, form, 1);
  EXPECT_EQ(reopening.checkEnabled, true);
  EXPECT_FALSE(reopening.clearErrorList);
  // Category 500 is applied again; reopened fields keep 0.
  const std::set<std::string> closedBy500 =
      Join({Range("b", 27, 28), Range("h", 1, 22), Range("l", 1, 10), Range("f", 1, 26), Range("j", 1, 23)});
  EXPECT_EQ(Closed(), closedBy500);
  EXPECT_EQ(form.values["z002"], "0");
  EXPECT_EQ(form.values["c909"], "0");
  EXPECT_FALSE(form.isEnabled("c909"));
}

TEST_F(EnablingTest, UnitCategoryClosesItsFields) {
  const std::set<std::string> boards = Range("h", 11, 22);
  const std::set<std::string> enterprise = Range("b", 27, 28);
  struct Case {
    int category;
    std::set<std::string> closed;
  } cases[] = {
      {500, Join({enterprise, Range("h", 1, 22), Range("l", 1, 10), Range("f", 1, 26), Range("j", 1, 23)})},
      {401, Join({enterprise, boards})},
      {704, Join({enterprise, boards})},
      {110, boards},
      {600, boards},
      {140, {}},
      {169, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.category);
    form.disabled.clear();
    for (const std::string& f : IndicatorFields()) form.values[f] = "5";
    EntryForm before = form;
    ExpectEffectsMatchImage(ApplyUnitCategory(context, form, c.category), before);
    EXPECT_EQ(Closed(), c.closed);
    for (const std::string& f : IndicatorFields()) EXPECT_EQ(form.values[f], c.closed.count(f) ? "0" : "5") << f;
    const std::vector<std::string> listed = FieldsClosedByCategory(c.category);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), c.closed);
  }
}

TEST_F(EnablingTest, UnitCategoryFixesOrFreesTheHoldingSituation) {
  struct Case {
    int category;
    const char* holdingBefore;
    const char* holdingAfter;
    bool open;
    const char* name;
  } cases[] = {
      {500, "2", "0", false, ""},
      {402, "3", "0", false, ""},
      {110, "3", "1", false, "国有控股"},
      {161, "0", "1", false, "国有控股"},
      {130, "1", "2", false, "集体控股"},
      {300, "1", "3", false, "私人及其他非公有控股"},
      {169, "1", "0", true, ""},  // not among the holding situations of category 169
      {169, "2", "2", true, "集体控股"},
      {140, "1", "1", true, "国有控股"},
      {159, "", "", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.category) + " " + c.holdingBefore);
    form.values["c909"] = c.holdingBefore;
    form.disabled.clear();
    ApplyUnitCategory(context, form, c.category);
    EXPECT_EQ(form.values["c909"], c.holdingAfter);
    EXPECT_EQ(form.isEnabled("c909"), c.open);
    EXPECT_EQ(form.isEnabled(kHoldSituation), c.open);
    EXPECT_EQ(form.values[kHoldSituation], c.name);
  }
}

TEST_F(EnablingTest, Category169ListsItsOwnHoldingSituations) {
  ApplyUnitCategory(context, form, 169);
  EXPECT_TRUE(survey::LookupCodeName(codes.HoldSituationCodes, 1).empty());
  ApplyUnitCategory(context, form, 140);
  EXPECT_EQ(survey::LookupCodeName(codes.HoldSituationCodes, 1), "国有控股");
}

TEST_F(EnablingTest, CategoryFieldRuleWaitsForAReportingState) {
  ApplyReportingState(context, form, 5);
  for (const std::string& f : IndicatorFields()) form.values[f] = "0";
  ApplyUnitCategory(context, form, 402);
  EXPECT_EQ(Closed().size(), 142u);
  EXPECT_EQ(form.values["c909"], "0");
  EXPECT_FALSE(form.isEnabled("c909"));
}

TEST_F(EnablingTest, SingleUnionFixesZ001) {
  form.values["c904"] = "1";
  ApplyOrganisationType(form);
  EXPECT_EQ(form.values["z001"], "1");
  EXPECT_FALSE(form.isEnabled("z001"));

  form.values["c904"] = "2";
  ApplyOrganisationType(form);
  EXPECT_EQ(form.values["z001"], "1");
  EXPECT_TRUE(form.isEnabled("z001"));

  // Reopening the indicators keeps z001 fixed for a single union.
  form.values["c904"] = "1";
  ApplyReportingState(context, form, 3);
  EXPECT_EQ(form.values["z001"], "0");
  ApplyReportingState(context, form, 2);
  EXPECT_EQ(form.values["z001"], "1");
  EXPECT_FALSE(form.isEnabled("z001"));
}

TEST(FieldGroups, GroupsLeaveOutNumbersWithoutAField) {
  EXPECT_EQ(IndicatorFields().size(), 142u);
  EXPECT_EQ(FieldGroup("h", 11, 23).size(), 12u);
  EXPECT_EQ(PageOfField("L005"), 4);
  EXPECT_EQ(PageOfField("C907"), 0);
  EXPECT_EQ(PageOfField("s004"), 7);
  EXPECT_FALSE(HasFormControl("w005"));
  EXPECT_FALSE(HasFormControl("RecordState"));
}

}  // namespace
}  // namespace velmora::entry
