#include <gtest/gtest.h>

#include "core/office/formula_refs.h"

namespace velmora::office::detail {
namespace {

TEST(OfficeTemplateFormula, RowsAtOrBelowTheInsertMoveDown) {
  struct Case {
    const char* formula;
    const char* sheet;
    bool unqualifiedIsSheet;
    const char* expected;
  } cases[] = {
      {"SUM(B9:B20)", "表一", true, "SUM(B10:B21)"},
      {"A8+A9+$A$10+A$11+$A12", "表一", true, "A8+A10+$A$11+A$12+$A13"},
      {"SUM(B2:B9)", "表一", true, "SUM(B2:B10)"},
      {"SUM(B9:B20)", "表一", false, "SUM(B9:B20)"},
      {"表一!$A$1:$H$30", "表一", false, "表一!$A$1:$H$31"},
      {"'表 一'!$1:$8,'表 一'!$A:$B", "表 一", false, "'表 一'!$1:$8,'表 一'!$A:$B"},
      {"'表 一'!$9:$12", "表 一", false, "'表 一'!$10:$13"},
      {"'It''s'!A9", "It's", false, "'It''s'!A10"},
      {"表二!A9+A9", "表一", true, "表二!A9+A10"},
      {"\"A9\"&A9", "表一", true, "\"A9\"&A10"},
      {"LOG10(A9)+ATAN2(1,2)", "表一", true, "LOG10(A10)+ATAN2(1,2)"},
      {"A9*1.5E+9", "表一", true, "A10*1.5E+9"},
      {"IF(A9>0,TRUE,FALSE)", "表一", true, "IF(A10>0,TRUE,FALSE)"},
      {"[1]表一!A9", "表一", false, "[1]表一!A9"},
      {"SUM(A:A)", "表一", true, "SUM(A:A)"},
      {"XFD9+XFE9", "表一", true, "XFD10+XFE9"},
      {"biao1!a9", "BIAO1", false, "biao1!a10"},
      {"A1048576", "表一", true, "A1048576"},
  };
  for (const Case& c : cases) {
    bool overflow = false;
    EXPECT_EQ(ShiftRowsInFormula(c.formula, c.sheet, c.unqualifiedIsSheet, 9, 1, overflow), c.expected) << c.formula;
  }
}

TEST(OfficeTemplateFormula, TranslatedFormulasMoveOnlyTheirRelativeParts) {
  struct Case {
    const char* formula;
    int rows, columns;
    const char* expected;
  } cases[] = {
      {"A9*2", 1, 0, "A10*2"},
      {"$A9+A$9+$A$9", 2, 1, "$A11+B$9+$A$9"},
      {"SUM(B2:C3)", 1, 1, "SUM(C3:D4)"},
      {"SUM($1:2)", 3, 0, "SUM($1:5)"},
      {"SUM(A:$B)", 0, 2, "SUM(C:$B)"},
      {"'表 一'!Z1&\"A1\"", 1, 1, "'表 一'!AA2&\"A1\""},
      {"A1", -5, -5, "A1"},
  };
  for (const Case& c : cases) EXPECT_EQ(TranslateFormula(c.formula, c.rows, c.columns), c.expected) << c.formula;
}

TEST(OfficeTemplateFormula, QualifiersAreQuotedWhenTheyMustBe) {
  struct Case {
    const char* name;
    const char* qualifier;
  } cases[] = {{"Sheet1", "Sheet1"}, {"表一", "'表一'"}, {"表 二", "'表 二'"}, {"It's", "'It''s'"},
               {"A1", "'A1'"},       {"1abc", "'1abc'"}, {"a-b", "'a-b'"}};
  for (const Case& c : cases) EXPECT_EQ(SheetQualifier(c.name), c.qualifier) << c.name;
  EXPECT_TRUE(FormulaNamesSheet("SUM('表 二'!A1:B2)", "表 二"));
  EXPECT_TRUE(FormulaNamesSheet("Sheet1!$1:$2", "sheet1"));
  EXPECT_FALSE(FormulaNamesSheet("\"表二!A1\"", "表二"));
  EXPECT_FALSE(FormulaNamesSheet("表二2!A1", "表二"));
}

}  // namespace
}  // namespace velmora::office::detail
