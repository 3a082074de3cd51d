// The list of the entry form's rules, by page, as a text file and as a workbook.
#include "core/checks/rule_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/checks/catalogue_hints.h"
#include "core/checks/rule_text.h"
#include "core/db/connection.h"
#include "core/text/gbk_encoder.h"
#include "support/database.h"
#include "support/saved_workbook.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::checks {
namespace {

namespace fs = std::filesystem;
using testing::Exec;

TEST(RuleExport, EveryPageInOrderWithItsRulesExplainedFromTheCatalogue) {
  testing::TempDir dir;
  const fs::path file = dir.copyOfShipped();
  db::Connection connection(testing::ConnectionTo(file));
  Exec(connection,
       "DELETE FROM dt_logic;"
       "INSERT INTO dt_logic (id, page_id, expression, rule, explain, focus) VALUES"
       "(1, 3, 'h002>h001', 'h002<=h001', 'h002[<=]h001', 'h002'),"
       "(2, 1, 'z002>z001', 'z002<=z001', 'z002[<=]z001', 'z002'),"
       "(3, 1, 'z003>z001', 'z003<=z001', 'z003[<=]z001', 'z003'),"
       "(4, 0, 'c904=0', 'c904<>0', 'c904', 'c904')");
  const std::string z001 = testing::Scalar(connection, "SELECT Hint FROM dt_fieldlist WHERE FieldName='z001'").toString();
  const std::string z002 = testing::Scalar(connection, "SELECT Hint FROM dt_fieldlist WHERE FieldName='z002'").toString();
  ASSERT_FALSE(z001.empty());
  testing::ScriptedPrompts prompts;
  CatalogueHints hints(connection);
  RuleTextFormatter formatter(hints, prompts);
  const std::vector<RuleListPage> pages = ReadRuleList(connection, formatter);

  ASSERT_EQ(pages.size(), 7u) << "pages 1 to 7, the cover page left out";
  for (std::size_t i = 0; i < pages.size(); ++i) EXPECT_EQ(pages[i].page, static_cast<int>(i) + 1);
  EXPECT_EQ(pages[0].name, "表1 工会组织建设状况");
  ASSERT_EQ(pages[0].rules.size(), 2u);
  EXPECT_EQ(pages[0].rules[0].rule, "z002<=z001");
  EXPECT_NE(pages[0].rules[0].explanation.find(z002), std::string::npos) << pages[0].rules[0].explanation;
  EXPECT_NE(pages[0].rules[0].explanation.find(z001), std::string::npos);
  EXPECT_EQ(pages[0].rules[0].explanation.find("z00"), std::string::npos) << "names replaced";
  EXPECT_EQ(pages[0].rules[1].focus, "z003");
  EXPECT_TRUE(pages[1].rules.empty());
  ASSERT_EQ(pages[2].rules.size(), 1u);
  EXPECT_EQ(pages[2].rules[0].focus, "h002");
  EXPECT_TRUE(prompts.messages.empty());

  // The text file: GBK with CR LF, the page headings and every rule.
  const fs::path text = dir / kRuleListFileName;
  WriteRuleList(pages, text.string(), file.string());
  const std::vector<std::string> lines = RuleListLines(pages);
  text::GbkEncoder gbk;
  std::string expected;
  for (const std::string& line : lines) expected += gbk.Encode(line) + "\r\n";
  EXPECT_EQ(testing::ReadFileBytes(text), expected);
  const auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
  EXPECT_EQ(lines.front(), kRuleListTitle);
  EXPECT_LT(at("表1 工会组织建设状况（共2条）"), at("  判断规则：z002<=z001"));
  EXPECT_LT(at("  判断规则：z003<=z001"), at("表2 工会保障工作（共0条）"));
  EXPECT_LT(at("表2 工会保障工作（共0条）"), at("  判断规则：h002<=h001"));
  EXPECT_NE(at("  规则说明：" + pages[0].rules[0].explanation), static_cast<long>(lines.size()));
  EXPECT_NE(at("  定位变量：h002"), static_cast<long>(lines.size()));
  EXPECT_EQ(lines.back(), "共有3条逻辑规则！");

  // A file that is not a rule list is not written over.
  testing::WriteFileBytes(dir / "other.txt", "别的文件");
  EXPECT_THROW(WriteRuleList(pages, (dir / "other.txt").string(), file.string()), std::exception);
  EXPECT_EQ(testing::ReadFileBytes(dir / "other.txt"), "别的文件");

  // The workbook: one row per rule.
  const fs::path book = dir / "rules.xlsx";
  WriteRuleList(pages, book.string(), file.string());
  const testing::SavedWorkbook wb = testing::ReadSavedWorkbook(book);
  EXPECT_EQ(wb.cell("C1")->value, "判断规则");
  EXPECT_EQ(wb.cell("B2")->value, "表1 工会组织建设状况");
  EXPECT_EQ(wb.cell("C3")->value, "z003<=z001");
  EXPECT_EQ(wb.cell("A4")->value, "3");
  EXPECT_EQ(wb.cell("E4")->value, "h002");
  EXPECT_EQ(wb.cell("A5"), nullptr);
}

}  // namespace
}  // namespace velmora::checks
