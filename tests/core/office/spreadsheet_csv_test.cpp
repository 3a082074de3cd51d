#include <gtest/gtest.h>

#include "support/spreadsheet_program.h"

namespace velmora::testing {
namespace {

// The interop tests compare every value through this reader, so a fault here would hide one there.
TEST(SpreadsheetCsv, RowsOfTheSpreadsheetProgramsCsvAreReadAsWritten) {
  struct Case {
    const char* text;
    SheetRows rows;
  } cases[] = {
      {"a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
      {"a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
      {",x,\n", {{"", "x", ""}}},
      {"\"工会, 小组\",\"说\"\"是\"\"\"\n", {{"工会, 小组", "说\"是\""}}},
      {"\"two\nlines\",z\n", {{"two\nlines", "z"}}},
      {"\"\",0012\n", {{"", "0012"}}},
      {"\n\nq\n", {{""}, {""}, {"q"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCsv(c.text), c.rows) << c.text;
  const SheetRows rows = ParseCsv("a,b\nc\n");
  EXPECT_EQ(CellOf(rows, 1, 2), "b");
  EXPECT_EQ(CellOf(rows, 2, 2), "");
  EXPECT_EQ(CellOf(rows, 3, 1), "");
  EXPECT_EQ(CellOf(rows, 0, 1), "");
}

}  // namespace
}  // namespace velmora::testing
