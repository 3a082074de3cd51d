#include <gtest/gtest.h>

#include "core/office/cell_text.h"
#include "core/office/number_format.h"

namespace velmora::office {
namespace {

TEST(OfficeCellText, TypedTextBecomesWhatASpreadsheetMakesOfIt) {
  struct Case {
    const char* text;
    bool textFormat;
    CellValue expected;
  } cases[] = {
      {"", false, CellValue::Empty()},
      {"12", false, CellValue::Number(12)},
      {" -3.5 ", false, CellValue::Number(-3.5)},
      {"+7", false, CellValue::Number(7)},
      {"1e3", false, CellValue::Number(1000)},
      {"0012", false, CellValue::Number(12)},
      {"0012", true, CellValue::Text("0012")},
      {"99999999999999", false, CellValue::Number(99999999999999.0)},
      {"110101000001", true, CellValue::Text("110101000001")},
      {".5", false, CellValue::Number(0.5)},
      {"5.", false, CellValue::Number(5)},
      {".", false, CellValue::Text(".")},
      {"-", false, CellValue::Text("-")},
      {"1e", false, CellValue::Text("1e")},
      {"1,234", false, CellValue::Text("1,234")},
      {"5%", false, CellValue::Text("5%")},
      {"inf", false, CellValue::Text("inf")},
      {"nan", false, CellValue::Text("nan")},
      {"0x1A", false, CellValue::Text("0x1A")},
      {"2012-01-05", false, CellValue::Text("2012-01-05")},
      {"工会", false, CellValue::Text("工会")},
      {"1e999", false, CellValue::Text("1e999")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertTypedText(c.text, c.textFormat), c.expected) << '"' << c.text << '"';
  }
}

TEST(OfficeCellText, LocalFormatsBecomeFormatCodes) {
  struct Case {
    const char* local;
    const char* code;
  } cases[] = {
      {"@", "@"},
      {"yyyy-mm-dd", "yyyy-mm-dd"},
      {"#,##0_ ", "#,##0_ "},
      {"￥#,##0.00;￥-#,##0.00", "\"￥\"#,##0.00;\"￥\"-#,##0.00"},
      {"\"￥\"0", "\"￥\"0"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatCode(c.local), c.code) << c.local;
}

TEST(OfficeCellText, WideCharactersCountDoubleInTheColumnWidth) {
  EXPECT_DOUBLE_EQ(EstimatedColumnWidth("abc"), 4.5);
  EXPECT_DOUBLE_EQ(EstimatedColumnWidth("工会a"), 6.5);
  EXPECT_DOUBLE_EQ(EstimatedColumnWidth("￥1"), 4.5);
  EXPECT_DOUBLE_EQ(EstimatedColumnWidth(""), 1.5);
}

}  // namespace
}  // namespace velmora::office
