// The review's findings and roster workbooks as LibreOffice reads them: codes as the texts they
// are, values and ratios as numbers, the verdict and its note.
#include <gtest/gtest.h>

#include "core/review/review_workbook.h"
#include "support/spreadsheet_program.h"
#include "support/test_paths.h"

namespace velmora::review {
namespace {

TEST(ReviewWorkbookInterop, FindingsAndRosterReadBack) {
  testing::TempDir dir;
  ReviewResult result;
  result.findings.push_back({110000000007, "甲工会", "b001", FindingKind::High, 150, 4000, 4000.0 / 150, 21430.85, true,
                             "电话核实，\"合并\"两个分会"});
  result.findings.push_back({110000000009, "乙工会", "f012", FindingKind::ToZero, 190, 0, std::nullopt, std::nullopt,
                             false, ""});
  result.roster.added.push_back({110000000031, "新工会"});
  result.roster.missing.push_back({110000000030, "未报工会"});
  const std::vector<ReviewField> fields = {{"b001", "会员人数(人)", 2, "基层工会基本情况", false}};
  const auto findings = dir / "审核结果.xlsx", roster = dir / "上报情况.xlsx";
  WriteFindingsWorkbook(result, fields, findings.string());
  WriteRosterWorkbook(result.roster, roster.string());

  const auto sheets = testing::SheetsAsSpreadsheetProgramReadsThem(findings);
  ASSERT_EQ(sheets.size(), 1u);
  const testing::SheetRows& rows = sheets.begin()->second;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"统计编码", "单位名称", "调查表", "指标", "指标名称", "类型", "上年",
                                               "本年", "比值", "得分", "核实", "备注"}));
  EXPECT_EQ(rows[1][0], "110000000007");
  EXPECT_EQ(rows[1][2], "基层工会基本情况");
  EXPECT_EQ(rows[1][5], "偏高");
  EXPECT_EQ(rows[1][7], "4000");
  EXPECT_NEAR(std::stod(rows[1][8]), 26.6666666667, 1e-9);
  EXPECT_EQ(rows[1][10], "已核实");
  EXPECT_EQ(rows[1][11], "电话核实，\"合并\"两个分会");
  EXPECT_EQ(testing::CellOf(rows, 3, 4), "f012");  // a field not in the list: its name alone
  EXPECT_EQ(testing::CellOf(rows, 3, 6), "由非零变为零");
  EXPECT_EQ(testing::CellOf(rows, 3, 9), "");

  const auto units = testing::SheetsAsSpreadsheetProgramReadsThem(roster).begin()->second;
  EXPECT_EQ(units, (testing::SheetRows{{"情况", "统计编码", "单位名称"},
                                       {"未报", "110000000030", "未报工会"},
                                       {"新增", "110000000031", "新工会"}}));
}

}  // namespace
}  // namespace velmora::review
