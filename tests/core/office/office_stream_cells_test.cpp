#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/office/cell_text.h"
#include "core/office/number_format.h"
#include "core/office/office_error.h"
#include "core/office/stream_workbook.h"
#include "support/saved_workbook.h"
#include "support/test_paths.h"

namespace velmora::office {
namespace {

using testing::ReadSavedWorkbook;
using testing::SavedWorkbook;
using testing::TempDir;

std::string Ref(int row, int column) {
  std::string letters;
  for (int c = column; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
  return letters + std::to_string(row);
}

TEST(OfficeStreamCells, ValuesAreStoredAsTheSpreadsheetWouldKeepThem) {
  enum class Write { Text, String, Number, Integer };
  struct Case {
    const char* name;
    Write write;
    const char* text;
    double number;
    std::int64_t integer;
    const char* cellFormat;  // "" for the column's (general)
    bool expectNumber;
    const char* expectValue;  // nullptr: no cell at all
  } cases[] = {
      {"number-like text", Write::Text, "12", 0, 0, "", true, "12"},
      {"blanks around a number", Write::Text, " -3.5 ", 0, 0, "", true, "-3.5"},
      {"leading zeros in a general cell", Write::Text, "0012", 0, 0, "", true, "12"},
      {"leading zeros in a text cell", Write::Text, "0012", 0, 0, "@", false, "0012"},
      {"date as text", Write::Text, "2024-05-01", 0, 0, "", false, "2024-05-01"},
      {"thousands separators stay text", Write::Text, "1,234", 0, 0, "", false, "1,234"},
      {"empty text leaves no cell", Write::Text, "", 0, 0, "", false, nullptr},
      {"CJK text", Write::Text, "中华全国总工会", 0, 0, "", false, "中华全国总工会"},
      {"markup characters", Write::Text, "a<b & \"c\">'d'", 0, 0, "", false, "a<b & \"c\">'d'"},
      {"forced string", Write::String, "12", 0, 0, "", false, "12"},
      {"string with blanks kept", Write::String, "  x  ", 0, 0, "", false, "  x  "},
      {"fraction", Write::Number, "", 0.1, 0, "", true, "0.1"},
      {"negative fraction", Write::Number, "", -1234.5678, 0, "", true, "-1234.5678"},
      {"14-digit integer", Write::Integer, "", 0, 99999999999999, "", true, "99999999999999"},
      {"negative 14-digit integer", Write::Integer, "", 0, -12345678901234, "", true, "-12345678901234"},
      {"integer into a text cell stays a number", Write::Integer, "", 0, 7, "@", true, "7"},
  };
  TempDir dir;
  const auto file = dir / "cells.xlsx";
  {
    StreamWorkbook book(file.string(), "cells");
    int row = 1;
    for (const Case& c : cases) {
      if (*c.cellFormat) book.setCellNumberFormat(row, 2, c.cellFormat);
      book.setString(row, 1, c.name);
      switch (c.write) {
        case Write::Text: book.setText(row, 2, c.text); break;
        case Write::String: book.setString(row, 2, c.text); break;
        case Write::Number: book.setNumber(row, 2, c.number); break;
        case Write::Integer: book.setInteger(row, 2, c.integer); break;
      }
      ++row;
    }
    book.save();
  }
  const SavedWorkbook saved = ReadSavedWorkbook(file);
  int row = 1;
  for (const Case& c : cases) {
    const auto* cell = saved.cell(Ref(row++, 2));
    if (!c.expectValue) {
      EXPECT_TRUE(cell == nullptr || cell->value.empty()) << c.name;
      continue;
    }
    ASSERT_NE(cell, nullptr) << c.name;
    EXPECT_EQ(cell->number, c.expectNumber) << c.name;
    EXPECT_EQ(cell->value, c.expectValue) << c.name;
  }
}

TEST(OfficeStreamCells, ColumnAndCellFormatsAndFontsReachTheirCells) {
  struct Case {
    const char* name;
    const char* columnFormat;
    std::function<void(StreamWorkbook&, int row, int col)> write;
    const char* expectCode;
    bool expectBold;
    double expectSize;  // 0: the default font's
    bool expectNumber;
  } cases[] = {
      {"date column", "yyyy-mm-dd", [](StreamWorkbook& b, int r, int c) { b.setText(r, c, "2024-05-01"); },
       "yyyy-mm-dd", false, 0, false},
      {"currency column", "￥#,##0.00;￥-#,##0.00", [](StreamWorkbook& b, int r, int c) { b.setText(r, c, "-12.5"); },
       "\"￥\"#,##0.00;\"￥\"-#,##0.00", false, 0, true},
      {"integer column", "#,##0_ ", [](StreamWorkbook& b, int r, int c) { b.setInteger(r, c, 1234567); }, "#,##0_ ",
       false, 0, true},
      {"text column keeps digits as text", "@", [](StreamWorkbook& b, int r, int c) { b.setText(r, c, "0012"); }, "@",
       false, 0, false},
      {"cell format over the column's", "#,##0_ ",
       [](StreamWorkbook& b, int r, int c) {
         b.setCellNumberFormat(r, c, "@");
         b.setText(r, c, "0012");
       },
       "@", false, 0, false},
      {"bold 12 point label", "",
       [](StreamWorkbook& b, int r, int c) {
         b.setFont(r, c, true, 12);
         b.setString(r, c, "导出日期:");
       },
       "", true, 12, false},
      {"font with the column's format", "#,##0_ ",
       [](StreamWorkbook& b, int r, int c) {
         b.setFont(r, c, false, 14);
         b.setNumber(r, c, 3);
       },
       "#,##0_ ", false, 14, true},
      {"look of a cell left empty", "",
       [](StreamWorkbook& b, int r, int c) {
         b.setFont(r, c, true, 12);
         b.setCellNumberFormat(r, c, "@");
       },
       "@", true, 12, false},
  };
  TempDir dir;
  const auto file = dir / "formats.xlsx";
  {
    StreamWorkbook book(file.string(), "formats");
    int col = 1;
    for (const Case& c : cases)
      if (*c.columnFormat) book.setColumnNumberFormat(col++, c.columnFormat);
      else ++col;
    // Each case twice, in two rows, so the format of a combination is shared.
    for (int row = 1; row <= 2; ++row) {
      col = 1;
      for (const Case& c : cases) c.write(book, row, col++);
    }
    book.save();
  }
  const SavedWorkbook saved = ReadSavedWorkbook(file);
  int col = 1;
  for (const Case& c : cases) {
    for (int row = 1; row <= 2; ++row) {
      const auto* cell = saved.cell(Ref(row, col));
      ASSERT_NE(cell, nullptr) << c.name;
      EXPECT_EQ(cell->style.numberFormat, c.expectCode) << c.name;
      EXPECT_EQ(cell->style.bold, c.expectBold) << c.name;
      if (c.expectSize > 0) {
        EXPECT_DOUBLE_EQ(cell->style.size, c.expectSize) << c.name;
      }
      EXPECT_EQ(cell->number, c.expectNumber) << c.name;
    }
    if (*c.columnFormat) {  // empty cells typed into later get the column's format too
      ASSERT_TRUE(saved.columnStyles.count(col)) << c.name;
      EXPECT_EQ(saved.columnStyles.at(col).numberFormat, FormatCode(c.columnFormat)) << c.name;
    }
    ++col;
  }
  // One format per combination: the default, four column formats and three looks of their own
  // (bold 12; 14 point with "#,##0_ "; bold 12 with "@"), the "@" cell format sharing the "@"
  // column's format.
  EXPECT_EQ(saved.formatCount, 1u + 4u + 3u);
}

TEST(OfficeStreamCells, AutoFitGivesTheWidthOfTheWidestShownText) {
  struct Case {
    const char* name;
    const char* columnFormat;
    std::function<void(StreamWorkbook&, int row, int col)> write;
    const char* widest;  // the text the widest cell shows
  } cases[] = {
      {"CJK counts double", "", [](StreamWorkbook& b, int r, int c) { b.setText(r, c, r == 1 ? "abcdefg" : "全国总工会"); },
       "全国总工会"},
      {"header wider than the data", "#,##0_ ",
       [](StreamWorkbook& b, int r, int c) {
         if (r == 1) b.setString(r, c, "会员人数合计");
         else b.setInteger(r, c, 12);
       },
       "会员人数合计"},
      {"currency shows separators and decimals", "￥#,##0.00;￥-#,##0.00",
       [](StreamWorkbook& b, int r, int c) { b.setNumber(r, c, r == 1 ? 5 : -1234567.5); }, "￥-1,234,567.50"},
      {"integer format shows separators", "#,##0_ ",
       [](StreamWorkbook& b, int r, int c) { b.setText(r, c, r == 1 ? "9876543210" : "1"); }, "9,876,543,210 "},
      {"date column", "yyyy-mm-dd", [](StreamWorkbook& b, int r, int c) { b.setText(r, c, r == 1 ? "2024-05-01" : ""); },
       "2024-05-01"},
      {"general fraction", "", [](StreamWorkbook& b, int r, int c) { b.setNumber(r, c, r == 1 ? 0.125 : 3); }, "0.125"},
  };
  TempDir dir;
  const auto file = dir / "widths.xlsx";
  const int columns = static_cast<int>(std::size(cases));
  {
    StreamWorkbook book(file.string(), "widths");
    int col = 1;
    for (const Case& c : cases) {
      if (*c.columnFormat) book.setColumnNumberFormat(col, c.columnFormat);
      ++col;
    }
    for (int row = 1; row <= 2; ++row) {
      col = 1;
      for (const Case& c : cases) c.write(book, row, col++);
    }
    book.setString(3, columns + 1, "a column outside the fitted range");
    book.autoFitColumns(1, columns);
    book.save();
  }
  const SavedWorkbook saved = ReadSavedWorkbook(file);
  int col = 1;
  for (const Case& c : cases) {
    ASSERT_TRUE(saved.widths.count(col)) << c.name;
    const double wanted = EstimatedColumnWidth(c.widest);
    // The stored width is the requested one rounded up to whole pixels.
    EXPECT_GE(saved.widths.at(col), wanted) << c.name;
    EXPECT_LT(saved.widths.at(col), wanted + 1) << c.name;
    ++col;
  }
  EXPECT_FALSE(saved.widths.count(columns + 1));
}

TEST(OfficeStreamCells, SheetNamesAreMadeValid) {
  struct Case {
    std::string given;
    std::string expected;
  } cases[] = {
      {"基层工会统计", "基层工会统计"},
      {"a[b]c:d*e?f/g\\h", "a_b_c_d_e_f_g_h"},
      {"'引号'", "引号"},
      {"", "Sheet1"},
      {"''", "Sheet1"},
      {std::string(40, 'x'), std::string(31, 'x')},
      {"工会工会工会工会工会工会工会工会工会工会工会工会工会工会工会工会", "工会工会工会工会工会工会工会工会工会工会工会工会工会工会工会工"},
      {std::string(30, 'y') + "😀", std::string(30, 'y')},  // a character of two UTF-16 units does not fit
      {"tab\tand\x01", "tab_and_"},
      {"bad\xff" "byte", "bad_byte"},
      {"\xe5\xb7", "__"},  // a cut-off character
  };
  for (const Case& c : cases) EXPECT_EQ(ValidSheetName(c.given), c.expected) << c.given;

  TempDir dir;
  const auto file = dir / "name.xlsx";
  {
    StreamWorkbook book(file.string(), "2024/05 汇总[全部]");
    EXPECT_EQ(book.sheetName(), "2024_05 汇总_全部_");
    book.setString(1, 1, "x");
    book.save();
  }
  EXPECT_EQ(ReadSavedWorkbook(file).sheetName, "2024_05 汇总_全部_");
}

TEST(OfficeStreamCells, WritesOutOfOrderOrOutOfRangeAreRefusedAndTheRestIsKept) {
  struct Case {
    const char* name;
    std::function<void(StreamWorkbook&)> refused;  // run after rows 1..5 of column 1 are written
  } cases[] = {
      {"row before the current one", [](StreamWorkbook& b) { b.setText(4, 2, "late"); }},
      {"number into a row left", [](StreamWorkbook& b) { b.setNumber(1, 1, 1); }},
      {"column format after cells", [](StreamWorkbook& b) { b.setColumnNumberFormat(3, "@"); }},
      {"font of a written cell", [](StreamWorkbook& b) { b.setFont(5, 1, true, 12); }},
      {"format of a row left", [](StreamWorkbook& b) { b.setCellNumberFormat(2, 3, "@"); }},
      {"row zero", [](StreamWorkbook& b) { b.setString(0, 1, "x"); }},
      {"column zero", [](StreamWorkbook& b) { b.setString(6, 0, "x"); }},
      {"row past the sheet", [](StreamWorkbook& b) { b.setString(1048577, 1, "x"); }},
      {"column past the sheet", [](StreamWorkbook& b) { b.setString(6, 16385, "x"); }},
      {"number that is not finite", [](StreamWorkbook& b) { b.setNumber(6, 1, 1.0 / 0.0); }},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const auto file = dir / "order.xlsx";
    {
      StreamWorkbook book(file.string(), "order");
      for (int row = 1; row <= 5; ++row) book.setInteger(row, 1, row);
      EXPECT_THROW(c.refused(book), OfficeError) << c.name;
      book.setString(5, 2, "same row again");
      book.setString(1048576, 16384, "last cell");
      book.save();
      EXPECT_THROW(book.setString(1048576, 16384, "after save"), OfficeError) << c.name;
    }
    const SavedWorkbook saved = ReadSavedWorkbook(file);
    ASSERT_EQ(saved.cells.size(), 7u) << c.name;
    for (int row = 1; row <= 5; ++row) EXPECT_EQ(saved.cells[static_cast<std::size_t>(row - 1)].value, std::to_string(row)) << c.name;
    EXPECT_EQ(saved.cells[5].reference, "B5") << c.name;
    EXPECT_EQ(saved.cells[6].reference, "XFD1048576") << c.name;
  }
}

}  // namespace
}  // namespace velmora::office
