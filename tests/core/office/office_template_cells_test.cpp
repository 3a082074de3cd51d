#include <gtest/gtest.h>

#include "core/office/office_error.h"
#include "core/office/template_workbook.h"
#include "support/test_paths.h"
#include "support/workbook_package.h"

namespace velmora::office {
namespace {

using testing::FixtureSheet;
using testing::ParseXml;
using testing::ReadPackage;
using testing::TempDir;

// Row 2 holds cells of every style; column D is formatted "@" as a whole, row 5 carries style 1.
FixtureSheet StyledSheet() {
  return {"表一",
          R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1"><v>2.5</v></c>)"
          R"(<c r="D1" t="inlineStr"><is><t>内联</t></is></c><c r="E1" t="str"><f>A1&amp;"x"</f><v>共享文本x</v></c></row>)"
          R"(<row r="2"><c r="A2" s="1"/><c r="B2" s="2"/><c r="C2" s="3"/><c r="E2" s="4"/></row>)"
          R"(<row r="5" s="1" customFormat="1" ht="30" customHeight="1"><c r="A5" s="3"/></row>)",
          R"(<cols><col min="4" max="4" width="12" style="1" customWidth="1"/></cols>)",
          R"(<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/>)",
          ""};
}

// The <c> element of a cell in a saved sheet part.
pugi::xml_node CellNode(const pugi::xml_document& sheet, const std::string& ref) {
  for (pugi::xml_node row : sheet.child("worksheet").child("sheetData").children("row"))
    for (pugi::xml_node c : row.children("c"))
      if (ref == c.attribute("r").value()) return c;
  return {};
}

class OfficeTemplateCells : public ::testing::Test {
 protected:
  void SetUp() override { testing::WritePackage(source, testing::FixtureWorkbook({StyledSheet()})); }
  TempDir dir;
  std::filesystem::path source = dir / "模板.xltx";
  std::filesystem::path saved = dir / "saved.xlsx";
};

TEST_F(OfficeTemplateCells, TypedTextFollowsTheCellsFormat) {
  struct Case {
    int row, column;
    const char* text;
    CellValue expected;
    const char* why;
  } cases[] = {
      {2, 1, "0012", CellValue::Text("0012"), "style with format 49"},
      {2, 2, "0012", CellValue::Text("0012"), "style with a custom @ format"},
      {2, 3, "0012", CellValue::Number(12), "bold style without text format"},
      {3, 4, "007", CellValue::Text("007"), "a new cell in a column formatted @"},
      {5, 2, "110101000001", CellValue::Text("110101000001"), "a new cell in a row formatted @"},
      {5, 1, "42", CellValue::Number(42), "the cell's own style wins over its row"},
      {3, 1, "99999999999999", CellValue::Number(99999999999999.0), "fourteen digits"},
      {3, 2, "12345678901234", CellValue::Number(12345678901234.0), "fourteen digits"},
      {3, 3, "工会 & <组织>", CellValue::Text("工会 & <组织>"), "markup characters"},
      {3, 5, " 前后空格 ", CellValue::Text(" 前后空格 "), "spaces kept"},
      {3, 6, "", CellValue::Empty(), "empty text empties"},
      {1, 1, "", CellValue::Empty(), "an existing shared string emptied"},
      {1, 5, "3", CellValue::Number(3), "a formula replaced by a value"},
  };
  {
    auto book = TemplateWorkbook::Open(source.string());
    TemplateSheet& sheet = book.sheet(1);
    for (const Case& c : cases) {
      sheet.setText(c.row, c.column, c.text);
      EXPECT_EQ(sheet.value(c.row, c.column), c.expected) << c.why;
    }
    book.save(saved.string());
  }
  auto reopened = TemplateWorkbook::Open(saved.string());
  for (const Case& c : cases) EXPECT_EQ(reopened.sheet(1).value(c.row, c.column), c.expected) << c.why << " after save";
  // The formula is gone with its cached text.
  auto part = ParseXml(ReadPackage(saved)["xl/worksheets/sheet1.xml"]);
  EXPECT_FALSE(CellNode(part, "E1").child("f"));
}

TEST_F(OfficeTemplateCells, TextTheFileFormatCannotHoldAsItStandsIsStoredSafely) {
  const std::string tooLong(40000, 'x');
  struct Case {
    std::string text;
    std::string readBack;
    std::string stored;  // the <t> text in the part
  } cases[] = {
      {"_x0041_", "_x0041_", "_x005F_x0041_"},
      {"a\x01" "b", "a\x01" "b", "a_x0001_b"},
      {"行1\n行2", "行1\n行2", "行1\n行2"},
      {tooLong, std::string(32767, 'x'), std::string(32767, 'x')},
      {std::string(32766, 'x') + "工", std::string(32766, 'x') + "工", std::string(32766, 'x') + "工"},
      {"坏\xff字", "坏\xEF\xBF\xBD字", "坏\xEF\xBF\xBD字"},
  };
  {
    auto book = TemplateWorkbook::Open(source.string());
    int row = 30;
    for (const Case& c : cases) book.sheet(1).setText(row++, 1, c.text);
    book.save(saved.string());
  }
  auto reopened = TemplateWorkbook::Open(saved.string());
  auto part = ParseXml(ReadPackage(saved)["xl/worksheets/sheet1.xml"]);
  int row = 30;
  for (const Case& c : cases) {
    const std::string ref = "A" + std::to_string(row);
    EXPECT_EQ(reopened.sheet(1).value(row, 1), CellValue::Text(c.readBack)) << ref;
    EXPECT_EQ(std::string(CellNode(part, ref).child("is").child_value("t")), c.stored) << ref;
    ++row;
  }
}

TEST_F(OfficeTemplateCells, OverwritingTheFirstCellOfASharedFormulaKeepsTheOthers) {
  FixtureSheet sheet{"表一",
                     R"(<row r="9"><c r="A9"><v>1</v></c><c r="B9"><f t="shared" ref="B9:C11" si="0">A9*2+$A$9+Sheet2!A9</f><v>2</v></c>)"
                     R"(<c r="C9"><f t="shared" si="0"/><v>0</v></c></row>)"
                     R"(<row r="10"><c r="B10"><f t="shared" si="0"/><v>0</v></c></row>)"
                     R"(<row r="11"><c r="C11"><f t="shared" si="0"/><v>0</v></c><c r="D11"><f t="shared" ref="D11" si="1">A1</f></c></row>)",
                     "", "", ""};
  testing::WritePackage(source, testing::FixtureWorkbook({sheet}));
  {
    auto book = TemplateWorkbook::Open(source.string());
    book.sheet(1).setText(9, 2, "5");
    book.save(saved.string());
  }
  auto part = ParseXml(ReadPackage(saved)["xl/worksheets/sheet1.xml"]);
  EXPECT_FALSE(CellNode(part, "B9").child("f"));
  struct Case {
    const char* ref;
    const char* formula;
  } cases[] = {{"C9", "B9*2+$A$9+Sheet2!B9"}, {"B10", "A10*2+$A$9+Sheet2!A10"}, {"C11", "B11*2+$A$9+Sheet2!B11"}};
  for (const Case& c : cases) {
    pugi::xml_node f = CellNode(part, c.ref).child("f");
    EXPECT_STREQ(f.text().get(), c.formula) << c.ref;
    EXPECT_FALSE(f.attribute("t")) << c.ref;
    EXPECT_FALSE(f.attribute("si")) << c.ref;
  }
  EXPECT_STREQ(CellNode(part, "D11").child("f").attribute("t").value(), "shared") << "another group stays";
}

TEST_F(OfficeTemplateCells, ReadsWhatTheTemplateHolds) {
  auto book = TemplateWorkbook::Open(source.string());
  TemplateSheet& sheet = book.sheet(1);
  EXPECT_EQ(sheet.value(1, 1), CellValue::Text("共享文本"));
  EXPECT_EQ(sheet.value(1, 2), CellValue::Text("0012")) << "rich shared string";
  EXPECT_EQ(sheet.value(1, 3), CellValue::Number(2.5));
  EXPECT_EQ(sheet.value(1, 4), CellValue::Text("内联"));
  EXPECT_EQ(sheet.value(1, 5), CellValue::Text("共享文本x"));
  EXPECT_EQ(sheet.value(2, 1), CellValue::Empty());
  EXPECT_EQ(sheet.value(900, 900), CellValue::Empty());
}

TEST_F(OfficeTemplateCells, CellsNotWrittenKeepTheirStylesAndOtherPartsStayByteForByte) {
  const auto before = ReadPackage(source);
  {
    auto book = TemplateWorkbook::Open(source.string());
    book.sheet(1).setText(2, 1, "写入");
    book.sheet(1).setNumber(7, 7, 1.25);
    book.save(saved.string());
  }
  auto after = ReadPackage(saved);
  for (const char* part : {"custom/data.bin", "xl/styles.xml", "xl/sharedStrings.xml", "docProps/app.xml",
                           "_rels/.rels", "xl/_rels/workbook.xml.rels"})
    EXPECT_EQ(after[part], before.at(part)) << part;
  // The workbook part changes only to have the formula over the written cell recalculated.
  auto workbook = ParseXml(after["xl/workbook.xml"]);
  EXPECT_TRUE(workbook.child("workbook").child("calcPr").attribute("fullCalcOnLoad").as_bool());
  workbook.child("workbook").remove_child("calcPr");
  EXPECT_EQ(testing::XmlOf(workbook), testing::XmlOf(ParseXml(before.at("xl/workbook.xml"))));
  auto sheet = ParseXml(after["xl/worksheets/sheet1.xml"]);
  EXPECT_STREQ(CellNode(sheet, "A2").attribute("s").value(), "1") << "written cell keeps its style";
  EXPECT_STREQ(CellNode(sheet, "B2").attribute("s").value(), "2");
  EXPECT_STREQ(CellNode(sheet, "C2").attribute("s").value(), "3");
  EXPECT_STREQ(CellNode(sheet, "E2").attribute("s").value(), "4");
  EXPECT_STREQ(CellNode(sheet, "A5").attribute("s").value(), "3");
  pugi::xml_node row5 = sheet.child("worksheet").child("sheetData").find_child_by_attribute("row", "r", "5");
  EXPECT_STREQ(row5.attribute("ht").value(), "30");
  EXPECT_STREQ(row5.attribute("s").value(), "1");
  EXPECT_TRUE(sheet.child("worksheet").child("pageMargins"));
  EXPECT_STREQ(sheet.child("worksheet").child("cols").child("col").attribute("style").value(), "1");
  EXPECT_STREQ(sheet.child("worksheet").child("dimension").attribute("ref").value(), "A1:G7");
  EXPECT_STREQ(CellNode(sheet, "G7").child_value("v"), "1.25");
}

TEST_F(OfficeTemplateCells, ATemplateIsSavedAsAWorkbook) {
  auto book = TemplateWorkbook::Open(source.string());
  book.save(saved.string());
  auto types = ParseXml(ReadPackage(saved)["[Content_Types].xml"]);
  pugi::xml_node workbook = types.child("Types").find_child_by_attribute("Override", "PartName", "/xl/workbook.xml");
  EXPECT_STREQ(workbook.attribute("ContentType").value(),
               "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
  EXPECT_EQ(ReadPackage(saved).count("custom/data.bin"), 1u);
}

TEST_F(OfficeTemplateCells, FormatsFontsAndAlignmentGiveTheCellsAStyleOfTheirOwn) {
  {
    auto book = TemplateWorkbook::Open(source.string());
    TemplateSheet& sheet = book.sheet(1);
    sheet.setNumberFormat(*ParseRange("A2"), "￥#,##0.00;￥-#,##0.00");
    sheet.setFont(*ParseRange("B2:C2"), true, 12);
    sheet.setHorizontalAlignment(*ParseRange("A9:A11"), HorizontalAlignment::Left);
    sheet.setColumnNumberFormat(5, "@");
    sheet.setText(8, 5, "0012");
    EXPECT_EQ(sheet.value(8, 5), CellValue::Text("0012")) << "column formatted as text";
    book.save(saved.string());
  }
  auto parts = ReadPackage(saved);
  auto sheet = ParseXml(parts["xl/worksheets/sheet1.xml"]);
  auto styles = ParseXml(parts["xl/styles.xml"]);
  pugi::xml_node sheetRoot = styles.child("styleSheet");
  std::vector<pugi::xml_node> xfs;
  for (pugi::xml_node xf : sheetRoot.child("cellXfs").children("xf")) xfs.push_back(xf);
  EXPECT_EQ(sheetRoot.child("cellXfs").attribute("count").as_uint(), xfs.size());
  auto xfOf = [&](const char* ref) { return xfs.at(CellNode(sheet, ref).attribute("s").as_uint()); };
  auto formatCode = [&](int id) -> std::string {
    for (pugi::xml_node f : sheetRoot.child("numFmts").children("numFmt"))
      if (f.attribute("numFmtId").as_int() == id) return f.attribute("formatCode").value();
    return "builtin " + std::to_string(id);
  };
  EXPECT_EQ(formatCode(xfOf("A2").attribute("numFmtId").as_int()), "\"￥\"#,##0.00;\"￥\"-#,##0.00");
  // The other users of the styles keep them.
  EXPECT_EQ(xfs.at(1).attribute("numFmtId").as_int(), 49);
  EXPECT_STREQ(CellNode(sheet, "A5").attribute("s").value(), "3");
  // Bold 12 on two cells of different styles: two new styles, each keeping the rest of its source.
  pugi::xml_node b2 = xfOf("B2"), c2 = xfOf("C2");
  EXPECT_EQ(b2.attribute("numFmtId").as_int(), 164);
  EXPECT_STREQ(c2.child("alignment").attribute("horizontal").value(), "center");
  std::vector<pugi::xml_node> fonts;
  for (pugi::xml_node f : sheetRoot.child("fonts").children("font")) fonts.push_back(f);
  EXPECT_EQ(sheetRoot.child("fonts").attribute("count").as_uint(), fonts.size());
  for (pugi::xml_node xf : {b2, c2}) {
    pugi::xml_node font = fonts.at(xf.attribute("fontId").as_uint());
    EXPECT_TRUE(font.child("b"));
    EXPECT_STREQ(font.child("sz").attribute("val").value(), "12");
  }
  EXPECT_STREQ(fonts.at(0).child("sz").attribute("val").value(), "11");
  EXPECT_STREQ(fonts.at(1).child("sz").attribute("val").value(), "14");
  // Alignment: one new style for the three new cells.
  EXPECT_EQ(CellNode(sheet, "A9").attribute("s").as_int(), CellNode(sheet, "A11").attribute("s").as_int());
  EXPECT_STREQ(xfOf("A10").child("alignment").attribute("horizontal").value(), "left");
  EXPECT_EQ(xfOf("A10").first_child(), xfOf("A10").child("alignment"));
  // E2 had the "0.00" style; as a text column its copy shows "@".
  EXPECT_EQ(xfOf("E2").attribute("numFmtId").as_int(), 49);
  EXPECT_EQ(xfs.at(4).attribute("numFmtId").as_int(), 2);
}

TEST_F(OfficeTemplateCells, RangesAndAddresses) {
  struct Case {
    const char* address;
    std::optional<CellRange> expected;
  } cases[] = {
      {"B3", CellRange{{3, 2}, {3, 2}}},
      {"$B$3", CellRange{{3, 2}, {3, 2}}},
      {"b3", CellRange{{3, 2}, {3, 2}}},
      {"B3:D5", CellRange{{3, 2}, {5, 4}}},
      {"D5:B3", CellRange{{3, 2}, {5, 4}}},
      {"XFD1048576", CellRange{{1048576, 16384}, {1048576, 16384}}},
      {"", std::nullopt},
      {"ZZZ", std::nullopt},
      {"C0", std::nullopt},
      {"A1:", std::nullopt},
      {":A1", std::nullopt},
      {"XFE1", std::nullopt},
      {"A1048577", std::nullopt},
      {"A1B", std::nullopt},
      {"3B", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseRange(c.address), c.expected) << '"' << c.address << '"';
  EXPECT_EQ(ColumnLetters(1), "A");
  EXPECT_EQ(ColumnLetters(27), "AA");
  EXPECT_EQ(ColumnLetters(16384), "XFD");
  EXPECT_EQ(AddressText({9, 28}), "AB9");

  auto book = TemplateWorkbook::Open(source.string());
  TemplateSheet& sheet = book.sheet(1);
  sheet.setRange("$B$7:C8", "5");
  for (auto [r, c] : {std::pair{7, 2}, {7, 3}, {8, 2}, {8, 3}}) EXPECT_EQ(sheet.value(r, c), CellValue::Number(5));
  for (const char* bad : {"", "ZZZ", "C0", "A1:"}) EXPECT_THROW(sheet.setRange(bad, "x"), OfficeError) << bad;
  EXPECT_THROW(sheet.setText(0, 1, "x"), OfficeError);
  EXPECT_THROW(sheet.setNumber(1, 16385, 1), OfficeError);
}

TEST_F(OfficeTemplateCells, AutoFitTakesTheWidestShownText) {
  auto book = TemplateWorkbook::Open(source.string());
  TemplateSheet& sheet = book.sheet(1);
  sheet.setText(10, 3, "工会组织");  // 8 units
  sheet.setNumber(11, 3, 123456.5);   // "123456.5": 8 units
  sheet.setText(12, 3, "ab");
  sheet.autoFitColumn(3);
  sheet.autoFitColumn(30);  // nothing there: no width
  book.save(saved.string());
  auto part = ParseXml(ReadPackage(saved)["xl/worksheets/sheet1.xml"]);
  std::map<int, double> widths;
  for (pugi::xml_node col : part.child("worksheet").child("cols").children("col")) {
    ASSERT_EQ(col.attribute("min").as_int(), col.attribute("max").as_int());
    widths[col.attribute("min").as_int()] = col.attribute("width").as_double();
  }
  EXPECT_DOUBLE_EQ(widths.at(3), EstimatedColumnWidth("工会组织"));
  EXPECT_DOUBLE_EQ(widths.at(4), 12) << "another column keeps its width";
  EXPECT_EQ(widths.count(30), 0u);
}

TEST_F(OfficeTemplateCells, BordersFrameEveryCellAndKeepTheRestOfItsStyle) {
  {
    auto book = TemplateWorkbook::Open(source.string());
    TemplateSheet& sheet = book.sheet(1);
    sheet.setBorders(*ParseRange("B2:C3"));
    sheet.setBorders(*ParseRange("B3:C3"));  // again: no further style
    book.save(saved.string());
  }
  auto parts = ReadPackage(saved);
  auto sheet = ParseXml(parts["xl/worksheets/sheet1.xml"]);
  auto styles = ParseXml(parts["xl/styles.xml"]);
  pugi::xml_node root = styles.child("styleSheet");
  std::vector<pugi::xml_node> xfs, borders;
  for (pugi::xml_node xf : root.child("cellXfs").children("xf")) xfs.push_back(xf);
  for (pugi::xml_node b : root.child("borders").children("border")) borders.push_back(b);
  EXPECT_EQ(root.child("cellXfs").attribute("count").as_uint(), xfs.size());
  ASSERT_EQ(borders.size(), 2u) << "one border added for every framed cell";
  EXPECT_EQ(root.child("borders").attribute("count").as_uint(), 2u);
  for (const char* edge : {"left", "right", "top", "bottom"}) {
    EXPECT_STREQ(borders[1].child(edge).attribute("style").value(), "thin") << edge;
  }
  EXPECT_STREQ(borders[1].last_child().name(), "diagonal") << "the edges in the order the format wants";
  auto xfOf = [&](const char* ref) { return xfs.at(CellNode(sheet, ref).attribute("s").as_uint()); };
  for (const char* ref : {"B2", "C2", "B3", "C3"}) {
    SCOPED_TRACE(ref);
    EXPECT_EQ(xfOf(ref).attribute("borderId").as_int(), 1);
    EXPECT_STREQ(xfOf(ref).attribute("applyBorder").value(), "1");
  }
  EXPECT_EQ(xfOf("B2").attribute("numFmtId").as_int(), 164) << "the format stays";
  EXPECT_EQ(xfOf("C2").attribute("fontId").as_int(), 1) << "the font stays";
  EXPECT_STREQ(xfOf("C2").child("alignment").attribute("horizontal").value(), "center");
  EXPECT_EQ(CellNode(sheet, "B3").attribute("s").as_int(), CellNode(sheet, "C3").attribute("s").as_int());
  EXPECT_EQ(xfs.size(), 5u + 3u) << "three styles framed: B2's, C2's and the default of the new cells";
  EXPECT_STREQ(CellNode(sheet, "A5").attribute("s").value(), "3") << "other users of C2's style keep it";
  EXPECT_EQ(xfOf("A2").attribute("borderId").as_int(), 0);
}

TEST_F(OfficeTemplateCells, ABorderTheStyleSheetHoldsIsReused) {
  testing::PackageParts parts = testing::FixtureWorkbook({StyledSheet()});
  std::string& styles = parts["xl/styles.xml"];
  const std::string plain = R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)";
  ASSERT_NE(styles.find(plain), std::string::npos);
  styles.replace(styles.find(plain), plain.size(),
                 R"(<borders count="3"><border><left/><right/><top/><bottom/><diagonal/></border>)"
                 R"(<border><left style="thin"><color rgb="FFFF0000"/></left><right style="thin"/><top style="thin"/>)"
                 R"(<bottom style="thin"/><diagonal/></border>)"
                 R"(<border><left style="thin"><color indexed="64"/></left><right style="thin"/><top style="thin"/>)"
                 R"(<bottom style="thin"><color auto="1"/></bottom><diagonal/></border></borders>)");
  testing::WritePackage(source, parts);
  {
    auto book = TemplateWorkbook::Open(source.string());
    book.sheet(1).setBorders(*ParseRange("A1"));
    book.save(saved.string());
  }
  auto back = ParseXml(ReadPackage(saved)["xl/styles.xml"]);
  pugi::xml_node root = back.child("styleSheet");
  EXPECT_EQ(root.child("borders").attribute("count").as_uint(), 3u) << "the red one is not taken, the black one is";
  pugi::xml_node last = root.child("cellXfs").last_child();
  EXPECT_EQ(last.attribute("borderId").as_int(), 2);
}

TEST_F(OfficeTemplateCells, ColumnWidthsAreReadAndSet) {
  auto book = TemplateWorkbook::Open(source.string());
  TemplateSheet& sheet = book.sheet(1);
  EXPECT_DOUBLE_EQ(sheet.columnWidth(4), 12);
  EXPECT_DOUBLE_EQ(sheet.columnWidth(2), 9.140625) << "the spreadsheet's default";
  sheet.setColumnWidth(2, 20.456);
  sheet.setColumnWidth(4, 3);
  EXPECT_DOUBLE_EQ(sheet.columnWidth(2), 20.46);
  for (double bad : {-1.0, 256.0}) EXPECT_THROW(sheet.setColumnWidth(2, bad), OfficeError) << bad;
  EXPECT_THROW(sheet.columnWidth(0), OfficeError);
  book.save(saved.string());
  auto part = ParseXml(ReadPackage(saved)["xl/worksheets/sheet1.xml"]);
  std::map<int, pugi::xml_node> cols;
  for (pugi::xml_node col : part.child("worksheet").child("cols").children("col"))
    cols[col.attribute("min").as_int()] = col;
  ASSERT_EQ(cols.size(), 2u);
  EXPECT_DOUBLE_EQ(cols[2].attribute("width").as_double(), 20.46);
  EXPECT_STREQ(cols[2].attribute("customWidth").value(), "1");
  EXPECT_DOUBLE_EQ(cols[4].attribute("width").as_double(), 3);
  EXPECT_STREQ(cols[4].attribute("style").value(), "1") << "the column keeps its style";
}

}  // namespace
}  // namespace velmora::office
