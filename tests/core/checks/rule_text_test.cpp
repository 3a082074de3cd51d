// The rule explanations: operators into phrases, field names into their catalogue descriptions.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "core/checks/catalogue_hints.h"
#include "core/checks/rule_text.h"
#include "core/db/connection.h"
#include "core/session/session.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

using checks::CatalogueHints;
using checks::RuleTextFormatter;

class MapHints : public checks::FieldHints {
 public:
  std::map<std::string, std::string> hints;
  bool fail = false;
  int loads = 0;
  void EnsureLoaded() override {
    ++loads;
    if (fail) throw std::runtime_error("catalogue gone");
  }
  std::optional<std::string> HintOf(const std::string& name) override {
    EnsureLoaded();
    auto it = hints.find(name);
    if (it == hints.end()) return std::nullopt;
    return it->second;
  }
};

MapHints SurveyHints() {
  MapHints h;
  h.hints = {{"z001", "单位"}, {"z002", "职工"}, {"z003", "女职工"}, {"z004", "农民工"}, {"z005", "女农民工"},
             {"z006", "会员"}, {"z007", "女会员"}, {"z010", "专职"}, {"z020", "兼职"}, {"z022", "女职委"},
             {"z023", "女主任"}, {"z024", "女副主任"}, {"c904", "组织类型"}};
  return h;
}

TEST(RuleText, FormatsRuleTexts) {
  struct Case {
    const char* text;
    const char* explanation;
  } cases[] = {
      {"z002[>]z001", "[职工]必须大于[单位]"},
      {"z005[<=]z004并且[<=]z003", "[女农民工]不能大于[农民工]并且不能大于[女职工]"},
      {"如果z022[=]2，那么z023+z024[=]1", "如果[女职委]必须等于2，那么[女主任]+[女副主任]必须等于1"},
      {"男性会员数应[<]男性职工数", "男性会员数应必须小于男性职工数"},
      {"z006=z002，那么z007[=]z003", "[会员]=[职工]，那么[女会员]必须等于[女职工]"},
      {"如果c904不是\"单独基层工会\"，那么z001[>]1", "如果[组织类型]不是\"单独基层工会\"，那么[单位]必须大于1"},
      {"z010+z020[>]0，并且z010+z020[<=]z006", "[专职]+[兼职]必须大于0，并且[专职]+[兼职]不能大于[会员]"},
      {"q999[>=]z001", "q999不能小于[单位]"},        // not in the catalogue: the bare name
      {"z001[<>]z002", "[单位]<>[职工]"},            // no phrase for the operator
      {"z001[<= z002", "[单位]不能大于 [职工]"},       // a blank ends the operator and is kept
      {"z001 z002", "[单位] [职工]"},
      {"z001", "[单位]"},                             // a name at the end
      {"12、z001(3)", "12、[单位](3)"},
      {"", ""},
  };
  MapHints hints = SurveyHints();
  ScriptedPrompts prompts;
  RuleTextFormatter f(hints, prompts);
  for (const auto& c : cases) EXPECT_EQ(f.FormatRuleText(c.text), c.explanation) << c.text;
  EXPECT_TRUE(prompts.messages.empty());
}

TEST(RuleText, ExplainsTokens) {
  MapHints hints = SurveyHints();
  ScriptedPrompts prompts;
  RuleTextFormatter f(hints, prompts);
  EXPECT_EQ(f.ExplainToken(""), "");
  EXPECT_EQ(hints.loads, 0);  // an empty token needs no catalogue
  EXPECT_EQ(f.ExplainToken("[>=]"), "不能小于");
  EXPECT_EQ(f.ExplainToken("[z002]"), "[职工]");
  EXPECT_EQ(f.ExplainToken("Z002"), "Z002");  // the map is exact; the catalogue decides
  EXPECT_EQ(f.ExplainToken("=="), "==");
}

TEST(RuleText, CatalogueFailureIsReportedAndTheTokenDropped) {
  MapHints hints = SurveyHints();
  hints.fail = true;
  ScriptedPrompts prompts;
  RuleTextFormatter f(hints, prompts);
  EXPECT_EQ(f.FormatRuleText("z002[>]z001并且"), "并且");
  ASSERT_EQ(prompts.messages.size(), 3u);
  EXPECT_EQ(prompts.messages[0], "运行中发生错误：catalogue gone,当前的Key为z002");
  EXPECT_EQ(prompts.messages[1], "运行中发生错误：catalogue gone,当前的Key为>");
}

TEST(CatalogueHints, ReadsOnceUntilForgotten) {
  TempDir dir;
  db::Connection c(session::DatabaseSession::ConnectionStringFor(dir.copyOfShipped().string()));
  CatalogueHints hints(c);
  EXPECT_FALSE(hints.CatalogueLoaded());
  EXPECT_EQ(hints.HintOf("z002"), std::optional<std::string>("职工(人)"));
  EXPECT_EQ(hints.HintOf("Z002"), std::optional<std::string>("职工(人)"));
  EXPECT_EQ(hints.HintOf("z00"), std::nullopt);  // the whole name must match
  EXPECT_TRUE(hints.CatalogueLoaded());

  c.execute("update dt_fieldlist set Hint='新的说明' where FieldName='z002'");
  EXPECT_EQ(hints.HintOf("z002"), std::optional<std::string>("职工(人)"));
  hints.ForgetCatalogue();
  EXPECT_FALSE(hints.CatalogueLoaded());
  EXPECT_EQ(hints.HintOf("z002"), std::optional<std::string>("新的说明"));
}

TEST(CatalogueHints, MissingCatalogueFailsEveryLookupAndIsRetried) {
  TempDir dir;
  db::Connection c(session::DatabaseSession::ConnectionStringFor(dir.copyOfShipped().string()));
  c.execute("alter table dt_fieldlist rename to dt_fieldlist_old");
  CatalogueHints hints(c);
  ScriptedPrompts prompts;
  RuleTextFormatter f(hints, prompts);
  EXPECT_EQ(f.FormatRuleText("z002[>]z001"), "");
  EXPECT_EQ(prompts.messages.size(), 3u);
  EXPECT_FALSE(hints.CatalogueLoaded());

  c.execute("alter table dt_fieldlist_old rename to dt_fieldlist");
  EXPECT_EQ(f.FormatRuleText("z002[>]z001"), "[职工(人)]必须大于[基层工会涵盖单位(个)]");
  EXPECT_EQ(prompts.messages.size(), 3u);
}

}  // namespace
}  // namespace velmora::testing
