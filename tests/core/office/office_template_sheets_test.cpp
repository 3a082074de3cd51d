#include <gtest/gtest.h>

#include <set>

#include "core/office/office_error.h"
#include "core/office/template_workbook.h"
#include "support/test_paths.h"
#include "support/workbook_package.h"

namespace velmora::office {
namespace {

using testing::FixtureOptions;
using testing::FixtureSheet;
using testing::PackageParts;
using testing::ParseXml;
using testing::ReadPackage;
using testing::TempDir;

FixtureSheet Plain(const std::string& name, const std::string& formula = "") {
  std::string data = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" + name + "</t></is></c>";
  if (!formula.empty()) data += "<c r=\"B1\"><f>" + formula + "</f><v>0</v></c>";
  return {name, data + "</row>", R"(<sheetViews><sheetView workbookViewId="0"/></sheetViews>)", "", ""};
}

// Three sheets with their print areas, a name on the second and a formula of the third naming it;
// the second has a drawing of its own.
PackageParts ThreeSheets() {
  std::vector<FixtureSheet> sheets{Plain("封面"), Plain("表一"), Plain("表 二", "表一!A1&'表 二'!A1")};
  sheets[1].afterData = R"(<drawing r:id="rId1"/>)";
  sheets[1].relationships =
      R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing" Target="../drawings/drawing1.xml"/></Relationships>)";
  FixtureOptions o;
  o.activeTab = "1";
  o.definedNames =
      R"(<definedName name="_xlnm.Print_Area" localSheetId="0">封面!$A$1:$C$3</definedName>)"
      R"(<definedName name="_xlnm.Print_Area" localSheetId="1">表一!$A$1:$D$9</definedName>)"
      R"(<definedName name="_xlnm.Print_Area" localSheetId="2">'表 二'!$A$1:$E$9</definedName>)"
      R"(<definedName name="_xlnm.Print_Titles" localSheetId="2">'表 二'!$1:$8</definedName>)"
      R"(<definedName name="单位">表一!$B$2</definedName>)";
  o.namedRanges = {"封面!Print_Area", "表一!Print_Area", "'表 二'!Print_Area", "'表 二'!Print_Titles", "单位"};
  PackageParts parts = testing::FixtureWorkbook(sheets, o);
  parts["xl/drawings/drawing1.xml"] = "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\"/>";
  std::string& types = parts["[Content_Types].xml"];
  types.insert(types.find("</Types>"),
               R"(<Override PartName="/xl/drawings/drawing1.xml" ContentType="application/vnd.openxmlformats-officedocument.drawing+xml"/>)");
  return parts;
}

// What the saved package says about its sheets, read from each of the parts that name them.
struct SavedSheets {
  std::vector<std::string> workbookNames;   // workbook.xml, in order
  std::vector<std::string> parts;           // their parts through the relationships
  std::set<std::string> sheetOverrides;     // worksheet parts named in the content types
  std::vector<std::string> names;           // defined names: "name@local=text"
  std::vector<std::string> titles;          // TitlesOfParts
  std::vector<std::string> headings;        // HeadingPairs "label=count"
  int activeTab = -1;
  std::vector<bool> tabSelected;
};

SavedSheets ReadSaved(const std::filesystem::path& file) {
  PackageParts parts = ReadPackage(file);
  SavedSheets s;
  auto workbook = ParseXml(parts["xl/workbook.xml"]);
  auto rels = ParseXml(parts["xl/_rels/workbook.xml.rels"]);
  auto types = ParseXml(parts["[Content_Types].xml"]);
  auto app = ParseXml(parts["docProps/app.xml"]);
  for (pugi::xml_node sheet : workbook.child("workbook").child("sheets").children("sheet")) {
    s.workbookNames.push_back(sheet.attribute("name").value());
    pugi::xml_node rel = rels.child("Relationships").find_child_by_attribute("Id", sheet.attribute("r:id").value());
    const std::string part = "xl/" + std::string(rel.attribute("Target").value());
    s.parts.push_back(part);
    EXPECT_EQ(parts.count(part), 1u) << part;
    auto sheetXml = ParseXml(parts[part]);
    s.tabSelected.push_back(sheetXml.child("worksheet").child("sheetViews").child("sheetView").attribute("tabSelected").as_bool());
  }
  for (pugi::xml_node r : rels.child("Relationships").children("Relationship"))
    EXPECT_EQ(parts.count("xl/" + std::string(r.attribute("Target").value())), 1u) << "relationship to a missing part";
  for (const auto& [name, data] : parts) {
    if (name.size() < 5 || name.substr(name.size() - 5) != ".rels" || name == "_rels/.rels") continue;
    const std::string owner = name.substr(0, name.find("_rels/")) + name.substr(name.find("_rels/") + 6, name.size() - name.find("_rels/") - 11);
    EXPECT_EQ(parts.count(owner), 1u) << "relationships of a missing part " << name;
  }
  for (pugi::xml_node o : types.child("Types").children("Override")) {
    const std::string type = o.attribute("ContentType").value();
    if (type.find("worksheet+xml") != std::string::npos) s.sheetOverrides.insert(std::string(o.attribute("PartName").value()).substr(1));
    EXPECT_EQ(parts.count(std::string(o.attribute("PartName").value()).substr(1)), 1u) << "override of a missing part";
  }
  for (pugi::xml_node n : workbook.child("workbook").child("definedNames").children("definedName"))
    s.names.push_back(std::string(n.attribute("name").value()) + "@" + n.attribute("localSheetId").value() + "=" + n.text().get());
  pugi::xml_node titles = app.child("Properties").child("TitlesOfParts").child("vt:vector");
  for (pugi::xml_node t : titles.children()) s.titles.push_back(t.text().get());
  EXPECT_EQ(titles.attribute("size").as_uint(), s.titles.size());
  pugi::xml_node headings = app.child("Properties").child("HeadingPairs").child("vt:vector");
  std::vector<pugi::xml_node> variants;
  for (pugi::xml_node v : headings.children()) variants.push_back(v);
  EXPECT_EQ(headings.attribute("size").as_uint(), variants.size());
  for (size_t i = 0; i + 1 < variants.size(); i += 2)
    s.headings.push_back(std::string(variants[i].child_value("vt:lpstr")) + "=" + variants[i + 1].child_value("vt:i4"));
  s.activeTab = workbook.child("workbook").child("bookViews").child("workbookView").attribute("activeTab").as_int(0);
  return s;
}

class OfficeTemplateSheets : public ::testing::Test {
 protected:
  void SetUp() override { testing::WritePackage(source, ThreeSheets()); }
  TempDir dir;
  std::filesystem::path source = dir / "三表.xltx";
  std::filesystem::path saved = dir / "saved.xlsx";
};

TEST_F(OfficeTemplateSheets, DeletedSheetsLeaveEveryPartConsistent) {
  struct Case {
    int deleted;
    std::vector<std::string> sheets;
    std::vector<std::string> names;
    std::vector<std::string> titles;
    std::vector<std::string> headings;
    int activeTab;
  } cases[] = {
      {1, {"表一", "表 二"},
       {"_xlnm.Print_Area@0=表一!$A$1:$D$9", "_xlnm.Print_Area@1='表 二'!$A$1:$E$9", "_xlnm.Print_Titles@1='表 二'!$1:$8", "单位@=表一!$B$2"},
       {"表一", "表 二", "表一!Print_Area", "'表 二'!Print_Area", "'表 二'!Print_Titles", "单位"},
       {"工作表=2", "命名范围=4"}, 0},
      {2, {"封面", "表 二"},
       {"_xlnm.Print_Area@0=封面!$A$1:$C$3", "_xlnm.Print_Area@1='表 二'!$A$1:$E$9", "_xlnm.Print_Titles@1='表 二'!$1:$8"},
       {"封面", "表 二", "封面!Print_Area", "'表 二'!Print_Area", "'表 二'!Print_Titles"},
       {"工作表=2", "命名范围=3"}, 1},
      {3, {"封面", "表一"},
       {"_xlnm.Print_Area@0=封面!$A$1:$C$3", "_xlnm.Print_Area@1=表一!$A$1:$D$9", "单位@=表一!$B$2"},
       {"封面", "表一", "封面!Print_Area", "表一!Print_Area", "单位"},
       {"工作表=2", "命名范围=3"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("deleting sheet " + std::to_string(c.deleted));
    auto book = TemplateWorkbook::Open(source.string());
    book.deleteSheet(c.deleted);
    EXPECT_EQ(book.sheetCount(), 2);
    EXPECT_EQ(book.activeSheet(), c.activeTab + 1);
    book.save(saved.string());
    SavedSheets s = ReadSaved(saved);
    EXPECT_EQ(s.workbookNames, c.sheets);
    EXPECT_EQ(s.sheetOverrides, std::set<std::string>(s.parts.begin(), s.parts.end()));
    EXPECT_EQ(s.names, c.names);
    EXPECT_EQ(s.titles, c.titles);
    EXPECT_EQ(s.headings, c.headings);
    EXPECT_EQ(s.activeTab, c.activeTab);
    PackageParts parts = ReadPackage(saved);
    EXPECT_EQ(parts.count("xl/drawings/drawing1.xml"), c.deleted == 2 ? 0u : 1u) << "the deleted sheet's own drawing";
    EXPECT_EQ(parts.count("custom/data.bin"), 1u);
    if (c.deleted == 2) {
      auto third = ParseXml(parts[s.parts[1]]);
      EXPECT_STREQ(third.child("worksheet").child("sheetData").child("row").find_child_by_attribute("c", "r", "B1").child_value("f"),
                   "#REF!&'表 二'!A1");
    }
  }
}

TEST_F(OfficeTemplateSheets, ARenamedSheetIsRenamedWhereverItIsNamed) {
  {
    auto book = TemplateWorkbook::Open(source.string());
    book.sheet(2).rename("工会组织");
    EXPECT_EQ(book.sheet(2).name(), "工会组织");
    EXPECT_EQ(book.sheetNamed("工会组织"), &book.sheet(2));
    EXPECT_EQ(book.sheetNamed("表一"), nullptr);
    book.sheet(3).rename("Table3");
    book.save(saved.string());
  }
  SavedSheets s = ReadSaved(saved);
  EXPECT_EQ(s.workbookNames, (std::vector<std::string>{"封面", "工会组织", "Table3"}));
  EXPECT_EQ(s.names, (std::vector<std::string>{"_xlnm.Print_Area@0=封面!$A$1:$C$3", "_xlnm.Print_Area@1='工会组织'!$A$1:$D$9",
                                               "_xlnm.Print_Area@2=Table3!$A$1:$E$9", "_xlnm.Print_Titles@2=Table3!$1:$8",
                                               "单位@='工会组织'!$B$2"}));
  EXPECT_EQ(s.titles, (std::vector<std::string>{"封面", "工会组织", "Table3", "封面!Print_Area", "'工会组织'!Print_Area",
                                                "Table3!Print_Area", "Table3!Print_Titles", "单位"}));
  auto third = ParseXml(ReadPackage(saved)[s.parts[2]]);
  EXPECT_STREQ(third.child("worksheet").child("sheetData").child("row").find_child_by_attribute("c", "r", "B1").child_value("f"),
               "'工会组织'!A1&Table3!A1");
}

TEST_F(OfficeTemplateSheets, DeletingTheActiveSheetActivatesAVisibleOne) {
  PackageParts parts = ThreeSheets();
  std::string& workbook = parts["xl/workbook.xml"];
  const std::string third = "name=\"表 二\"";
  workbook.replace(workbook.find(third), third.size(), third + " state=\"hidden\"");
  testing::WritePackage(source, parts);
  auto book = TemplateWorkbook::Open(source.string());
  EXPECT_THROW(book.activateSheet(3), OfficeError) << "a hidden sheet";
  book.deleteSheet(2);
  EXPECT_EQ(book.activeSheet(), 1);
  book.save(saved.string());
  SavedSheets s = ReadSaved(saved);
  EXPECT_EQ(s.workbookNames, (std::vector<std::string>{"封面", "表 二"}));
  EXPECT_EQ(s.activeTab, 0);
  EXPECT_EQ(s.tabSelected, (std::vector<bool>{true, false}));
}

TEST_F(OfficeTemplateSheets, NamesASheetCannotTake) {
  auto book = TemplateWorkbook::Open(source.string());
  for (const char* bad : {"", "表一", "表 二", "A:B", "a/b", "x?", "星*", "[1]", "'开头", "结尾'", "History",
                          "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二"})
    EXPECT_THROW(book.sheet(1).rename(bad), OfficeError) << '"' << bad << '"';
  EXPECT_EQ(book.sheet(1).name(), "封面");
  EXPECT_NO_THROW(book.sheet(1).rename("封面"));
  EXPECT_NO_THROW(book.sheet(1).rename("一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一"));
}

TEST_F(OfficeTemplateSheets, ActivatingASheetSelectsOnlyItsTab) {
  for (int target : {1, 3}) {
    auto book = TemplateWorkbook::Open(source.string());
    EXPECT_EQ(book.activeSheet(), 2);
    book.activateSheet(target);
    EXPECT_EQ(book.activeSheet(), target);
    book.save(saved.string());
    SavedSheets s = ReadSaved(saved);
    EXPECT_EQ(s.activeTab, target - 1);
    std::vector<bool> expected(3, false);
    expected[target - 1] = true;
    EXPECT_EQ(s.tabSelected, expected);
  }
  auto book = TemplateWorkbook::Open(source.string());
  EXPECT_THROW(book.activateSheet(4), OfficeError);
  EXPECT_THROW(book.sheet(0), OfficeError);
  book.deleteSheet(1);
  book.deleteSheet(1);
  EXPECT_THROW(book.deleteSheet(1), OfficeError) << "the last sheet stays";
}

}  // namespace
}  // namespace velmora::office
