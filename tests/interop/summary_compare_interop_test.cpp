// The comparison workbook as a spreadsheet program reads it: for every class three rows, this year's
// and last year's figures where each year's own worksheet statement puts them, and the change in
// percent worked out here from those figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/records/generator.h"
#include "core/summary/sum_columns.h"
#include "core/summary/summary_compare.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/spreadsheet_program.h"
#include "support/test_paths.h"

namespace velmora::summary {
namespace {

using testing::CellOf;
using testing::TempDir;

// A cell read back as a number: a percentage ("73.3333333333333%") as its fraction.
double ReadNumber(const std::string& read) {
  if (!read.empty() && read.back() == '%') return std::stod(read.substr(0, read.size() - 1)) / 100;
  return std::stod(read);
}

void ExpectFigure(const std::string& read, const db::Variant& figure, const std::string& where) {
  if (figure.isNull()) {
    EXPECT_EQ(read, "") << where;
    return;
  }
  ASSERT_FALSE(read.empty()) << where;
  EXPECT_NEAR(ReadNumber(read), figure.toDouble(), 1e-9 * std::max(1.0, std::fabs(figure.toDouble()))) << where;
}

TEST(SummaryCompareInterop, ASpreadsheetProgramReadsBothYearsAndTheChange) {
  TempDir dir;
  const auto file = dir.copyOfShipped("this.mdb");
  GenerateOptions options;
  options.records = 600;
  options.seed = 3;
  GenerateRecords(file.string(), options);
  const auto last = dir / "last.mdb";
  options.seed = 4;
  options.records = 500;
  GenerateDatabase(testing::ShippedDatabase().string(), last.string(), options);
  db::Connection db(testing::ConnectionTo(file));
  db::Connection lastDb(testing::ConnectionTo(last, true));

  const std::vector<int> ticked = {2, 4};  // worksheet 4 holds a ratio
  SheetTicks ticks(kLastSummarySheet, false);
  for (int s : ticked) ticks[static_cast<std::size_t>(s) - 1] = true;
  testing::ScriptedPrompts prompts;
  CompareOptions compare{CompareReference::File(last.string()), 20, dir.path().string()};
  auto book = MakeCompareWorkbook(db, SummaryTemplatePath(testing::ProgramDir().string()), ticks, kByIndustry, 0,
                                  compare, prompts);
  ASSERT_TRUE(book) << prompts.lastMessage();
  EXPECT_GT(book->highlighted, 0);
  const auto saved = dir / "对比表.xlsx";
  book->workbook.save(saved.string());

  const auto sheets = testing::SheetsAsSpreadsheetProgramReadsThem(saved);
  ASSERT_EQ(sheets.size(), ticked.size());
  for (int s : ticked) {
    SCOPED_TRACE("sheet " + std::to_string(s));
    const auto found = sheets.find(SheetTitle(s));
    ASSERT_NE(found, sheets.end());
    const testing::SheetRows& rows = found->second;
    EXPECT_EQ(CellOf(rows, 2, 1), "所在行业");
    const SummaryRun now = SummarizeSheet(db, s, kByIndustry, 0);
    const SummaryRun then = SummarizeSheet(lastDb, s, kByIndustry, 0);
    ASSERT_EQ(now.sheets.size(), 1u);
    ASSERT_EQ(then.sheets.size(), 1u);
    const auto& a = now.sheets[0].rows;
    const auto& b = then.sheets[0].rows;
    ASSERT_EQ(a.size(), b.size());
    int changes = 0;
    for (std::size_t r = 0; r < a.size(); ++r) {
      const std::size_t top = 9 + 3 * r;
      EXPECT_EQ(CellOf(rows, top, 1), a[r].label + "（本年）");
      EXPECT_EQ(CellOf(rows, top + 1, 1), a[r].label + "（上年）");
      EXPECT_EQ(CellOf(rows, top + 2, 1), a[r].label + "（增减%）");
      for (std::size_t c = 0; c < a[r].cells.size(); ++c) {
        const std::string where = "row " + std::to_string(top) + " column " + std::to_string(2 + c);
        ExpectFigure(CellOf(rows, top, 2 + c), a[r].cells[c], where);
        ExpectFigure(CellOf(rows, top + 1, 2 + c), b[r].cells[c], where);
        const db::Variant& x = a[r].cells[c];
        const db::Variant& y = b[r].cells[c];
        const std::string& read = CellOf(rows, top + 2, 2 + c);
        if (x.isNull() || y.isNull() || y.toDouble() == 0) {
          EXPECT_EQ(read, "") << where;
          continue;
        }
        ++changes;
        ASSERT_FALSE(read.empty()) << where;
        const double expected = (x.toDouble() - y.toDouble()) / y.toDouble() * 100;
        EXPECT_NEAR(std::stod(read), expected, 1e-9 * std::max(1.0, std::fabs(expected))) << where;
      }
    }
    EXPECT_GT(changes, 0);
    EXPECT_EQ(CellOf(rows, 9 + 3 * a.size(), 1), "");
  }
}

}  // namespace
}  // namespace velmora::summary
