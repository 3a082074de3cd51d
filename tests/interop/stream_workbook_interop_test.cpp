#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/db/variant.h"
#include "core/office/stream_workbook.h"
#include "support/spreadsheet_program.h"
#include "support/test_paths.h"

namespace velmora::office {
namespace {

using testing::CellOf;
using testing::SheetsAsSpreadsheetProgramReadsThem;
using testing::TempDir;

// One export row as the export writes it and as the spreadsheet program must read it back.
struct ExportRow {
  std::string code;       // "@" column: leading zeros kept
  std::string name;       // CJK text
  std::string date;       // a date as text
  std::int64_t members;   // "#,##0_ "
  double dues;            // currency
  std::int64_t fourteen;  // a 14-digit indicator
  std::string typed;      // number-like text in a general column
};

ExportRow RowAt(int i) {
  ExportRow r;
  r.code = std::to_string(1000000 + i).replace(0, 1, "00");  // "00000017", "00012345"
  r.name = i % 3 == 0 ? "中华全国总工会第" + std::to_string(i) + "基层委员会" : "工会 \"小组\", 第" + std::to_string(i);
  r.date = "2024-" + std::string(i % 12 < 9 ? "0" : "") + std::to_string(i % 12 + 1) + "-15";
  r.members = static_cast<std::int64_t>(i) * 37 - 5000;
  r.dues = i * 12.25 - 300;
  r.fourteen = 99999999999999 - i;
  r.typed = i % 2 ? "0012" : " 7.5 ";
  return r;
}

TEST(StreamWorkbookInterop, ASpreadsheetProgramReadsAStreamedExportValueForValue) {
  constexpr int kRows = 10000;
  const char* headers[] = {"单位代码", "单位名称", "填报日期", "会员人数", "会费", "指标", "输入"};
  const char* formats[] = {"@", "@", "yyyy-mm-dd", "#,##0_ ", "￥#,##0.00;￥-#,##0.00", "#,##0_ ", ""};
  TempDir dir;
  const auto file = dir / "导出.xlsx";
  {
    StreamWorkbook book(file.string(), "基层工会查询结果");
    for (int c = 0; c < 7; ++c)
      if (*formats[c]) book.setColumnNumberFormat(c + 1, formats[c]);
    book.setFont(2, 1, true, 12);
    book.setString(2, 1, "导出日期:");
    book.setCellNumberFormat(2, 2, "@");
    book.setText(2, 2, "2024-05-01");
    for (int c = 0; c < 7; ++c) book.setString(3, c + 1, headers[c]);
    for (int i = 0; i < kRows; ++i) {
      const ExportRow r = RowAt(i);
      const int row = 5 + i;
      book.setText(row, 1, r.code);
      book.setText(row, 2, r.name);
      book.setText(row, 3, r.date);
      book.setInteger(row, 4, r.members);
      book.setNumber(row, 5, r.dues);
      book.setInteger(row, 6, r.fourteen);
      book.setText(row, 7, r.typed);
    }
    book.autoFitColumns(1, 7);
    book.save();
  }

  const auto sheets = SheetsAsSpreadsheetProgramReadsThem(file);
  ASSERT_EQ(sheets.size(), 1u);
  ASSERT_EQ(sheets.begin()->first, "基层工会查询结果");
  const auto& rows = sheets.begin()->second;
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(4 + kRows));
  EXPECT_EQ(CellOf(rows, 2, 1), "导出日期:");
  EXPECT_EQ(CellOf(rows, 2, 2), "2024-05-01");
  for (int c = 0; c < 7; ++c) EXPECT_EQ(CellOf(rows, 3, c + 1), headers[c]);
  EXPECT_EQ(CellOf(rows, 4, 1), "");
  int mismatches = 0;
  for (int i = 0; i < kRows && mismatches < 10; ++i) {
    const ExportRow r = RowAt(i);
    const std::size_t row = 5 + static_cast<std::size_t>(i);
    const std::string expected[] = {r.code,
                                    r.name,
                                    r.date,
                                    std::to_string(r.members),
                                    db::FormatNumber(r.dues),
                                    std::to_string(r.fourteen),
                                    i % 2 ? "12" : "7.5"};
    for (std::size_t c = 0; c < 7; ++c) {
      if (CellOf(rows, row, c + 1) != expected[c]) {
        ++mismatches;
        ADD_FAILURE() << "row " << row << " column " << c + 1 << ": \"" << CellOf(rows, row, c + 1) << "\" instead of \""
                      << expected[c] << "\"";
      }
    }
  }
}

}  // namespace
}  // namespace velmora::office
