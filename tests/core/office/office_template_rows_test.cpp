#include <gtest/gtest.h>

#include "core/office/office_error.h"
#include "core/office/template_workbook.h"
#include "support/test_paths.h"
#include "support/workbook_package.h"

namespace velmora::office {
namespace {

using testing::FixtureOptions;
using testing::FixtureSheet;
using testing::ParseXml;
using testing::ReadPackage;
using testing::TempDir;

// A summary sheet: a title merged over A1:D1, headers in row 8, the first data row 9 (styled, tall),
// a total in row 11 with a formula over the data, a note merged over A12:D13 below it.
FixtureSheet SummarySheet(const std::string& name, const std::string& extraAfter = "") {
  return {name,
          R"(<row r="1"><c r="A1" t="inlineStr"><is><t>标题</t></is></c></row>)"
          R"(<row r="8"><c r="A8" s="3" t="inlineStr"><is><t>分类</t></is></c></row>)"
          R"(<row r="9" ht="20" customHeight="1"><c r="A9" s="1"/><c r="B9" s="4"/></row>)"
          R"(<row r="11"><c r="A11" t="inlineStr"><is><t>合计</t></is></c><c r="B11"><f>SUM(B9:B10)+$B$9</f><v>0</v></c></row>)"
          R"(<row r="12"><c r="A12" t="inlineStr"><is><t>注</t></is></c></row>)",
          "",
          R"(<mergeCells count="2"><mergeCell ref="A1:D1"/><mergeCell ref="A12:D13"/></mergeCells>)"
          R"(<conditionalFormatting sqref="B9:B10"><cfRule type="expression" dxfId="0" priority="1"><formula>B9&gt;$B$11</formula></cfRule></conditionalFormatting>)" +
              extraAfter + R"(<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/>)"
                           R"(<rowBreaks count="1" manualBreakCount="1"><brk id="11" max="16383" man="1"/></rowBreaks>)",
          ""};
}

FixtureOptions SummaryNames() {
  FixtureOptions o;
  o.definedNames =
      R"(<definedName name="_xlnm.Print_Area" localSheetId="0">'汇总 表'!$A$1:$D$13</definedName>)"
      R"(<definedName name="_xlnm.Print_Titles" localSheetId="0">'汇总 表'!$1:$8</definedName>)"
      R"(<definedName name="合计">'汇总 表'!$B$11</definedName>)"
      R"(<definedName name="别处">其他!$A$9</definedName>)";
  return o;
}

class OfficeTemplateRows : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path source = dir / "汇总.xltx";
  std::filesystem::path saved = dir / "saved.xlsx";
};

TEST_F(OfficeTemplateRows, InsertedRowsMoveEverythingBelowThem) {
  FixtureSheet other{"其他", R"(<row r="1"><c r="A1"><f>'汇总 表'!B11*2</f><v>0</v></c></row>)", "", "", ""};
  testing::WritePackage(source, testing::FixtureWorkbook({SummarySheet("汇总 表"), other}, SummaryNames()));
  {
    auto book = TemplateWorkbook::Open(source.string());
    TemplateSheet& sheet = book.sheet(1);
    // Rows written the way the summary writes them: the first at row 9, each further one inserted above.
    for (int i = 0; i < 3; ++i) {
      if (i > 0) sheet.insertRowAbove(9);
      sheet.setText(9, 1, "类" + std::to_string(i));
      sheet.setText(9, 2, std::to_string(i + 1));
    }
    EXPECT_EQ(sheet.value(9, 1), CellValue::Text("类2"));
    EXPECT_EQ(sheet.value(11, 1), CellValue::Text("类0"));
    EXPECT_EQ(sheet.value(13, 1), CellValue::Text("合计"));
    sheet.insertRowAbove(2);  // above the headers, below the title: no row there
    book.save(saved.string());
  }
  auto parts = ReadPackage(saved);
  auto sheet = ParseXml(parts["xl/worksheets/sheet1.xml"]);
  pugi::xml_node root = sheet.child("worksheet");
  std::map<int, pugi::xml_node> rows;
  int previous = 0;
  for (pugi::xml_node row : root.child("sheetData").children("row")) {
    EXPECT_GT(row.attribute("r").as_int(), previous) << "rows in order";
    previous = row.attribute("r").as_int();
    rows[previous] = row;
    for (pugi::xml_node c : row.children("c"))
      EXPECT_EQ(std::string(c.attribute("r").value()).substr(1), row.attribute("r").value()) << "cell refs follow rows";
  }
  // Inserted rows carry the styles and height of the first data row.
  for (int r : {10, 11, 12}) {
    EXPECT_STREQ(rows[r].attribute("ht").value(), "20") << r;
    EXPECT_STREQ(rows[r].find_child_by_attribute("c", "r", ("A" + std::to_string(r)).c_str()).attribute("s").value(), "1");
  }
  EXPECT_STREQ(rows[9].child("c").child("is").child_value("t"), "分类");
  EXPECT_STREQ(rows[14].find_child_by_attribute("c", "r", "B14").child_value("f"), "SUM(B12:B13)+$B$12") << "as the spreadsheet: an insert at a range's first row moves it";
  std::vector<std::string> merges;
  for (pugi::xml_node m : root.child("mergeCells").children("mergeCell")) merges.push_back(m.attribute("ref").value());
  EXPECT_EQ(merges, (std::vector<std::string>{"A1:D1", "A15:D16"}));
  EXPECT_STREQ(root.child("conditionalFormatting").attribute("sqref").value(), "B12:B13");
  EXPECT_STREQ(root.child("conditionalFormatting").child("cfRule").child_value("formula"), "B12>$B$14");
  EXPECT_STREQ(root.child("rowBreaks").child("brk").attribute("id").value(), "14");
  EXPECT_STREQ(root.child("dimension").attribute("ref").value(), "A1:B15");

  auto workbook = ParseXml(parts["xl/workbook.xml"]);
  std::map<std::string, std::string> names;
  for (pugi::xml_node n : workbook.child("workbook").child("definedNames").children("definedName"))
    names[n.attribute("name").value()] = n.text().get();
  EXPECT_EQ(names["_xlnm.Print_Area"], "'汇总 表'!$A$1:$D$16");
  EXPECT_EQ(names["_xlnm.Print_Titles"], "'汇总 表'!$1:$9");
  EXPECT_EQ(names["合计"], "'汇总 表'!$B$14");
  EXPECT_EQ(names["别处"], "其他!$A$9") << "another sheet's rows stay";
  EXPECT_TRUE(workbook.child("workbook").child("calcPr").attribute("fullCalcOnLoad").as_bool())
      << "the cached results of moved formulas are stale";
  EXPECT_EQ(workbook.child("workbook").child("definedNames").next_sibling(), workbook.child("workbook").child("calcPr"));
  auto other2 = ParseXml(parts["xl/worksheets/sheet2.xml"]);
  EXPECT_STREQ(other2.child("worksheet").child("sheetData").child("row").child("c").child_value("f"), "'汇总 表'!B14*2");
}

TEST_F(OfficeTemplateRows, PicturesBelowTheInsertMoveWithTheirRows) {
  FixtureSheet sheet = SummarySheet("汇总");
  sheet.afterData += R"(<drawing r:id="rId1"/>)";
  sheet.relationships =
      R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing" Target="../drawings/drawing1.xml"/></Relationships>)";
  auto parts = testing::FixtureWorkbook({sheet});
  auto anchor = [](const char* kind, int fromRow, int toRow) {
    std::string a = std::string("<xdr:") + kind + "><xdr:from><xdr:col>0</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>" +
                    std::to_string(fromRow) + "</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from>";
    if (toRow >= 0)
      a += "<xdr:to><xdr:col>3</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>" + std::to_string(toRow) +
           "</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to>";
    return a + "<xdr:clientData/></xdr:" + kind + ">";
  };
  parts["xl/drawings/drawing1.xml"] =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><xdr:wsDr xmlns:xdr="http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing">)" +
      anchor("twoCellAnchor", 0, 2) + anchor("twoCellAnchor", 7, 11) + anchor("oneCellAnchor", 11, -1) + "</xdr:wsDr>";
  testing::WritePackage(source, parts);
  {
    auto book = TemplateWorkbook::Open(source.string());
    book.sheet(1).insertRowAbove(9);
    book.sheet(1).insertRowAbove(9);
    book.save(saved.string());
  }
  auto drawing = ParseXml(ReadPackage(saved)["xl/drawings/drawing1.xml"]);
  std::vector<std::string> rows;
  for (pugi::xml_node a : drawing.child("xdr:wsDr").children())
    rows.push_back(std::string(a.child("xdr:from").child_value("xdr:row")) + "-" + a.child("xdr:to").child_value("xdr:row"));
  EXPECT_EQ(rows, (std::vector<std::string>{"0-2", "7-13", "13-"})) << "rows counted from 0 in a drawing";

  // A chart names its data by reference; the insert refuses rather than leave it pointing elsewhere.
  parts["xl/drawings/_rels/drawing1.xml.rels"] =
      R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/chart" Target="../charts/chart1.xml"/></Relationships>)";
  parts["xl/charts/chart1.xml"] = "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"/>";
  testing::WritePackage(source, parts);
  auto book = TemplateWorkbook::Open(source.string());
  EXPECT_THROW(book.sheet(1).insertRowAbove(9), OfficeError);
}

TEST_F(OfficeTemplateRows, WhatCannotMoveRefusesTheInsertAndChangesNothing) {
  struct Case {
    const char* what;
    FixtureSheet sheet;
  } cases[] = {
      {"shared formula",
       {"汇总", R"(<row r="9"><c r="B9"><f t="shared" ref="B9:B10" si="0">A9*2</f><v>0</v></c></row><row r="10"><c r="B10"><f t="shared" si="0"/><v>0</v></c></row>)", "", "", ""}},
      {"table part",
       {"汇总", R"(<row r="9"><c r="A9"><v>1</v></c></row>)", "", R"(<tableParts count="1"><tablePart r:id="rId1"/></tableParts>)",
        R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/table" Target="../tables/table1.xml"/></Relationships>)"}},
      {"last row in use", {"汇总", R"(<row r="1048576"><c r="A1048576"><v>1</v></c></row>)", "", "", ""}},
  };
  for (const Case& c : cases) {
    auto parts = testing::FixtureWorkbook({c.sheet});
    parts["xl/tables/table1.xml"] = "<table/>";
    testing::WritePackage(source, parts);
    const std::string before = testing::ReadFileBytes(source);
    auto book = TemplateWorkbook::Open(source.string());
    EXPECT_THROW(book.sheet(1).insertRowAbove(9), OfficeError) << c.what;
    EXPECT_EQ(testing::ReadFileBytes(source), before) << c.what;
    book.save(saved.string());
    EXPECT_EQ(ReadPackage(saved)["xl/worksheets/sheet1.xml"], parts["xl/worksheets/sheet1.xml"])
        << c.what << ": the sheet is written as it was";
  }
}

}  // namespace
}  // namespace velmora::office
