// A filled summary workbook (rows inserted above row 9, worksheets removed, rows framed, ratios
// formatted as percentages) as a spreadsheet program reads it: every figure where the worksheet's own
// statement puts it, the ratios as the fractions they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/records/generator.h"
#include "core/summary/sum_columns.h"
#include "core/summary/summary_workbook.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/spreadsheet_program.h"
#include "support/test_paths.h"

namespace velmora::summary {
namespace {

using testing::CellOf;
using testing::TempDir;

TEST(SummaryWorkbookInterop, ASpreadsheetProgramReadsEveryFigure) {
  TempDir dir;
  const auto file = dir.copyOfShipped();
  GenerateOptions options;
  options.records = 2000;
  options.seed = 3;
  GenerateRecords(file.string(), options);
  db::Connection db(testing::ConnectionTo(file));

  SheetTicks ticks(kLastSummarySheet, false);
  for (int s : {2, 4, 6, 15, 20}) ticks[static_cast<std::size_t>(s) - 1] = true;
  testing::ScriptedPrompts prompts;
  auto book = MakeSummaryWorkbook(db, SummaryTemplatePath(testing::ProgramDir().string()), ticks, kByIndustry, 0,
                                  prompts);
  ASSERT_TRUE(book) << prompts.lastMessage();
  const auto saved = dir / "汇总表.xlsx";
  book->workbook.save(saved.string());

  const auto sheets = testing::SheetsAsSpreadsheetProgramReadsThem(saved);
  ASSERT_EQ(sheets.size(), 5u);
  for (int s : {2, 4, 6, 15, 20}) {
    SCOPED_TRACE("sheet " + std::to_string(s));
    const auto found = sheets.find(SheetTitle(s));
    ASSERT_NE(found, sheets.end());
    const testing::SheetRows& rows = found->second;
    EXPECT_EQ(CellOf(rows, 2, 1), "所在行业");
    const SummaryRun reference = SummarizeSheet(db, s, kByIndustry, 0);
    ASSERT_EQ(reference.sheets.size(), 1u);
    const auto& expected = reference.sheets[0].rows;
    ASSERT_GT(expected.size(), 1u);
    const std::vector<int> ratios = RatioColumns(s);
    int percentages = 0;
    for (std::size_t r = 0; r < expected.size(); ++r) {
      EXPECT_EQ(CellOf(rows, 9 + r, 1), expected[r].label) << "row " << 9 + r;
      for (std::size_t c = 0; c < expected[r].cells.size(); ++c) {
        const db::Variant& v = expected[r].cells[c];
        const std::string& read = CellOf(rows, 9 + r, 2 + c);
        const bool ratio = std::find(ratios.begin(), ratios.end(), static_cast<int>(c)) != ratios.end();
        if (ratio && !v.isNull()) {
          // A percentage cell reads as its full value in hundredths ("73.3333333333333%").
          ASSERT_FALSE(read.empty());
          ASSERT_EQ(read.back(), '%') << read;
          EXPECT_NEAR(std::stod(read.substr(0, read.size() - 1)) / 100, v.toDouble(), 1e-12) << read;
          ++percentages;
          continue;
        }
        EXPECT_EQ(read, v.isNull() ? std::string() : v.toString()) << "row " << 9 + r << " column " << 2 + c;
      }
    }
    EXPECT_EQ(percentages > 0, !ratios.empty());
    EXPECT_EQ(CellOf(rows, 9 + expected.size(), 1), "");
  }
}

}  // namespace
}  // namespace velmora::summary
