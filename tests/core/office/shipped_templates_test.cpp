// The workbook templates and list files shipped beside the program, read as the program and the
// spreadsheet read them: the report form's cells against the field catalogue, the summary sheets
// against their aggregate lists, the list files in GBK with CR LF.
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/text/gbk_decoder.h"
#include "support/database.h"
#include "support/test_paths.h"

namespace {

using velmora::testing::ProgramDir;
using velmora::testing::ReadFileBytes;
using velmora::testing::ShippedDatabase;

constexpr const char* kTemplateType = "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";

struct CellData {
  std::string text;
  int numFmtId = 0;
};

struct SheetData {
  std::string name;
  std::map<std::string, CellData> cells;  // by address
  pugi::xml_document xml;
};

// A template package: its parts, its sheets in workbook order with their cells resolved.
class Template {
 public:
  explicit Template(const std::string& fileName) {
    const auto path = ProgramDir() / fileName;
    int error = 0;
    zip_t* zip = zip_open(path.string().c_str(), ZIP_RDONLY, &error);
    if (!zip) throw std::runtime_error("cannot open " + path.string());
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
      zip_stat_t st;
      zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st);
      std::string content(st.size, '\0');
      zip_file_t* f = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
      // A deflated part may come in several reads.
      zip_uint64_t done = 0;
      for (zip_int64_t n = 0; done < st.size; done += static_cast<zip_uint64_t>(n)) {
        n = zip_fread(f, content.data() + done, st.size - done);
        if (n <= 0) break;
      }
      zip_fclose(f);
      if (done != st.size) throw std::runtime_error(std::string("cannot read ") + st.name);
      parts_[st.name] = std::move(content);
    }
    zip_close(zip);

    std::vector<std::string> strings;
    // Each document is kept in a variable: a range over a temporary one would outlive it.
    const auto sst = Xml("xl/sharedStrings.xml");
    for (auto si : sst.child("sst").children("si")) {
      std::string text;
      for (auto t : si.select_nodes(".//t")) text += t.node().text().get();
      strings.push_back(text);
    }
    std::vector<int> formats;
    const auto styles = Xml("xl/styles.xml");
    for (auto xf : styles.child("styleSheet").child("cellXfs").children("xf"))
      formats.push_back(xf.attribute("numFmtId").as_int());
    std::map<std::string, std::string> targets;
    const auto rels = Xml("xl/_rels/workbook.xml.rels");
    for (auto rel : rels.child("Relationships").children("Relationship"))
      targets[rel.attribute("Id").value()] = rel.attribute("Target").value();
    workbook_.load_string(part("xl/workbook.xml").c_str());
    for (auto s : workbook_.child("workbook").child("sheets").children("sheet")) {
      auto& sheet = sheets.emplace_back(std::make_unique<SheetData>());
      sheet->name = s.attribute("name").value();
      sheet->xml.load_string(part("xl/" + targets.at(s.attribute("r:id").value())).c_str());
      for (auto c : sheet->xml.select_nodes("//sheetData/row/c")) {
        const auto node = c.node();
        CellData cell;
        cell.numFmtId = formats.at(node.attribute("s").as_uint());
        if (std::string(node.attribute("t").value()) == "s") cell.text = strings.at(node.child("v").text().as_uint());
        sheet->cells[node.attribute("r").value()] = cell;
      }
    }
  }

  const std::string& part(const std::string& name) const {
    static const std::string none;
    const auto it = parts_.find(name);
    return it == parts_.end() ? none : it->second;
  }
  pugi::xml_document Xml(const std::string& name) const {
    pugi::xml_document doc;
    doc.load_string(part(name).c_str());
    return doc;
  }
  bool has(const std::string& name) const { return parts_.contains(name); }
  const pugi::xml_document& workbook() const { return workbook_; }

  std::vector<std::unique_ptr<SheetData>> sheets;

 private:
  std::map<std::string, std::string> parts_;
  pugi::xml_document workbook_;
};

// "D12" -> "C12".
std::string LeftOf(const std::string& address) {
  std::size_t digits = address.find_first_of("0123456789");
  std::string column = address.substr(0, digits);
  // Only single letters occur in the print form.
  return std::string(1, static_cast<char>(column.back() - 1)) + address.substr(digits);
}

// Rows of a statement on the shipped database.
std::vector<velmora::testing::Row> CatalogueRows(const std::string& sql, const velmora::testing::Row& params = {}) {
  velmora::db::Connection connection(velmora::testing::ConnectionTo(ShippedDatabase(), true));
  connection.open();
  return velmora::testing::Rows(connection, sql, params);
}

int RowOf(const std::string& address) { return std::stoi(address.substr(address.find_first_of("0123456789"))); }

TEST(ShippedTemplates, AreTemplatePackagesPrintedOnA4FitToWidth) {
  for (const auto& [file, landscape] : std::vector<std::pair<std::string, bool>>{
           {"2012打印表.xltx", false}, {"2012基层表汇总表.xltx", true}}) {
    SCOPED_TRACE(file);
    const Template book(file);
    const auto types = book.Xml("[Content_Types].xml");
    const auto main = types.select_node("/Types/Override[@PartName='/xl/workbook.xml']");
    ASSERT_TRUE(main) << "no workbook part";
    EXPECT_STREQ(main.node().attribute("ContentType").value(), kTemplateType);
    for (const char* part : {"docProps/core.xml", "docProps/app.xml", "xl/styles.xml", "_rels/.rels"})
      EXPECT_TRUE(book.has(part)) << part;
    // Every part the package names exists.
    for (auto o : types.child("Types").children("Override")) EXPECT_TRUE(book.has(o.attribute("PartName").value() + 1));
    ASSERT_FALSE(book.sheets.empty());
    for (const auto& sheet : book.sheets) {
      SCOPED_TRACE(sheet->name);
      const auto ws = sheet->xml.child("worksheet");
      const auto setup = ws.child("pageSetup");
      EXPECT_EQ(setup.attribute("paperSize").as_int(), 9);
      EXPECT_STREQ(setup.attribute("orientation").value(), landscape ? "landscape" : "portrait");
      EXPECT_EQ(setup.attribute("fitToWidth").as_int(), 1);
      EXPECT_EQ(setup.attribute("fitToHeight").as_int(-1), 0);
      EXPECT_TRUE(ws.child("sheetPr").child("pageSetUpPr").attribute("fitToPage").as_bool());
      EXPECT_TRUE(ws.child("cols").child("col")) << "no column widths";
    }
  }
}

TEST(PrintTemplate, EveryCatalogueFieldHasItsCellWithTheCaptionBeside) {
  const Template book("2012打印表.xltx");
  const auto pages = CatalogueRows("select distinct printPageID from dt_fieldlist where pageid>=0 order by printPageID");
  ASSERT_EQ(pages.size(), book.sheets.size()) << "worksheet N is print page N";
  const auto rows = CatalogueRows("select FieldName, Hint, printPageID, printplace, FieldType from dt_fieldlist where "
                            "printPageID in (select printPageID from dt_fieldlist where pageid>=0)");
  ASSERT_GT(rows.size(), 150u);
  for (const auto& r : rows) {
    const std::string field = r[0].toString(), hint = r[1].toString(), place = r[3].toString();
    SCOPED_TRACE(field + " at " + place);
    const auto sheetNumber = r[2].toInt();
    ASSERT_GE(sheetNumber, 1);
    ASSERT_LE(sheetNumber, static_cast<std::int64_t>(book.sheets.size()));
    const SheetData& sheet = *book.sheets[static_cast<std::size_t>(sheetNumber - 1)];
    ASSERT_TRUE(sheet.cells.contains(place)) << "no cell on sheet " << sheet.name;
    EXPECT_EQ(sheet.cells.at(place).text, "") << "the value cell is filled by the print";
    const std::string caption = sheetNumber == 1 ? LeftOf(place) : LeftOf(LeftOf(place));
    ASSERT_TRUE(sheet.cells.contains(caption));
    EXPECT_EQ(sheet.cells.at(caption).text, hint);
    if (sheetNumber > 1) {
      EXPECT_EQ(sheet.cells.at(LeftOf(place)).text, field);
    }
  }
}

TEST(PrintTemplate, CodesAndTextsSitInTextCellsFiguresDoNot) {
  const Template book("2012打印表.xltx");
  const std::set<std::string> text = {"c901", "c902", "c903", "c904", "c905", "c906", "c907",
                                      "c909", "c910", "c911", "c912", "RecordState"};
  const auto rows = CatalogueRows("select FieldName, printPageID, printplace from dt_fieldlist where pageid>=0");
  for (const auto& r : rows) {
    const std::string field = r[0].toString();
    const auto& cells = book.sheets.at(static_cast<std::size_t>(r[1].toInt() - 1))->cells;
    EXPECT_EQ(cells.at(r[2].toString()).numFmtId, text.contains(field) ? 49 : 0) << field;
  }
}

TEST(PrintTemplate, PrintAreaCoversEveryFieldOfItsSheet) {
  const Template book("2012打印表.xltx");
  std::map<int, std::string> areas;
  for (auto n : book.workbook().select_nodes("//definedName[@name='_xlnm.Print_Area']"))
    areas[n.node().attribute("localSheetId").as_int()] = n.node().text().get();
  ASSERT_EQ(areas.size(), book.sheets.size());
  for (std::size_t i = 0; i < book.sheets.size(); ++i) {
    int lastRow = 0;
    for (const auto& [address, cell] : book.sheets[i]->cells) lastRow = std::max(lastRow, RowOf(address));
    const std::string& area = areas[static_cast<int>(i)];
    EXPECT_EQ(area.substr(0, area.find('!')), "'" + book.sheets[i]->name + "'");
    EXPECT_EQ(RowOf(area.substr(area.rfind('$') + 1)), lastRow) << area;
  }
}

TEST(SummaryTemplate, SheetsCarryTheTitlesAndOneHeadingPerAggregate) {
  const Template book("2012基层表汇总表.xltx");
  // Title and number of aggregates of each sheet, in workbook order.
  const std::vector<std::pair<std::string, int>> sheets = {
      {"封面", 0},
      {"表一  工会组织建设状况(1)", 12}, {"表一  工会组织建设状况(2)", 10}, {"表一  工会组织建设状况(3)", 9},
      {"表二  工会保障工作(1)", 9}, {"表二  工会保障工作(2)", 11}, {"表二  工会保障工作(3)", 8},
      {"表二  工会保障工作(4)", 5}, {"表三  合同和民主管理(1)", 9}, {"表三  合同和民主管理(2)", 9},
      {"表三  合同和民主管理(3)", 13}, {"表三  合同和民主管理(4)", 9}, {"表四  劳动保护(1)", 6},
      {"表四  劳动保护(2)", 7}, {"表五  工会法律工作(1)", 16}, {"表五  工会法律工作(2)", 14},
      {"表六  工会经济技术工作(1)", 14}, {"表六  工会经济技术工作(2)", 14}, {"表七  职工文化体育工作", 5},
      {"表八  工会经审工作", 9}};
  ASSERT_EQ(book.sheets.size(), sheets.size());
  for (std::size_t s = 0; s < sheets.size(); ++s) {
    const SheetData& sheet = *book.sheets[s];
    SCOPED_TRACE(sheets[s].first);
    EXPECT_EQ(sheet.name, sheets[s].first);
    if (s == 0) continue;
    EXPECT_EQ(sheet.cells.at("A1").text, sheets[s].first);
    // The label row is 2 only while A2 holds no text.
    EXPECT_TRUE(!sheet.cells.contains("A2") || sheet.cells.at("A2").text.empty());
    int headings = 0;
    for (const auto& [address, cell] : sheet.cells) {
      EXPECT_LT(RowOf(address), 9) << address << ": rows from 9 are the summary's";
      if (RowOf(address) == 3 && address != "A3") {
        EXPECT_FALSE(cell.text.empty()) << address;
        ++headings;
      }
    }
    EXPECT_EQ(headings, sheets[s].second);
    EXPECT_TRUE(book.workbook().select_node(
        ("//definedName[@name='_xlnm.Print_Titles'][@localSheetId='" + std::to_string(s) + "']").c_str()));
  }
}

TEST(SummaryTemplate, HeadingsFollowTheAggregatesInOrder) {
  const Template book("2012基层表汇总表.xltx");
  auto hint = [](const std::string& field) {
    return CatalogueRows("select Hint from dt_fieldlist where FieldName=?1", {field}).at(0).at(0).toString();
  };
  struct Case {
    int sheet;
    const char* cell;
    std::string heading;
  };
  const std::vector<Case> cases = {
      {2, "E3", hint("z001")},           {2, "M3", hint("z009")},           {3, "B3", hint("z010")},
      {4, "D3", "有女职工的基层工会(个)"}, {4, "J3", hint("z024")},           {6, "B3", hint("b010") + "（是）"},
      {6, "C3", hint("b010") + "（否）"}, {6, "D3", hint("b011")},           {7, "I3", hint("b026") + "（否）"},
      {8, "F3", hint("b029")},           {9, "D3", hint("h001")},           {11, "B3", hint("h007") + "（是）"},
      {15, "G3", hint("f003") + "（否）"}, {15, "Q3", hint("f012")},          {18, "O3", hint("j023")},
      {20, "J3", hint("s004") + "（否）"},
  };
  for (const auto& c : cases) {
    const auto& cells = book.sheets.at(static_cast<std::size_t>(c.sheet - 1))->cells;
    ASSERT_TRUE(cells.contains(c.cell)) << "sheet " << c.sheet << " " << c.cell;
    EXPECT_EQ(cells.at(c.cell).text, c.heading) << "sheet " << c.sheet << " " << c.cell;
  }
}

// The lines of a GBK file with CR LF line ends; a bare LF or a missing last line end fails.
std::vector<std::string> GbkLines(const std::string& fileName) {
  const std::string bytes = ReadFileBytes(ProgramDir() / fileName);
  std::vector<std::string> lines;
  velmora::text::GbkDecoder decoder;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    EXPECT_NE(lf, std::string::npos) << "the last line has no line end";
    if (lf == std::string::npos) break;
    EXPECT_TRUE(lf > start && bytes[lf - 1] == '\r') << "line " << lines.size() + 1 << " ends without CR";
    const std::string line = decoder.Decode(bytes.substr(start, lf - start - 1));
    EXPECT_EQ(line.find("\xEF\xBF\xBD"), std::string::npos) << "not GBK: line " << lines.size() + 1;
    lines.push_back(line);
    start = lf + 1;
  }
  return lines;
}

TEST(ShippedListFiles, SumTableListsTheTwentySheetsUnderTheirHeadingsAllChecked) {
  const auto lines = GbkLines("sumtable.vm");
  ASSERT_EQ(lines.size(), 28u);
  std::vector<std::string> sheets;
  for (const auto& line : lines) {
    ASSERT_GE(line.size(), 6u) << line;
    EXPECT_EQ(line[0], '&') << line;
    EXPECT_EQ(line[2], ' ');
    EXPECT_EQ(line[3], '1') << "checked: " << line;
    EXPECT_EQ(line[4], ' ');
    const std::string text = line.substr(5);
    EXPECT_EQ(line[1], text.starts_with("//") ? '0' : '1') << "headings alone are disabled: " << line;
    if (!text.starts_with("//")) sheets.push_back(text);
  }
  ASSERT_EQ(sheets.size(), 20u);
  EXPECT_EQ(lines[0], "&1 1 封面");
  EXPECT_EQ(lines[1], "&0 1 //表一 工会组织建设状况");
  // The n-th enabled entry is worksheet n.
  EXPECT_EQ(sheets[5], "工会保障工作统计表2");
  EXPECT_EQ(sheets[8], "合同和民主管理统计表1");
  EXPECT_EQ(sheets[18], "职工文化体育工作统计表");
  EXPECT_EQ(sheets[19], "工会经审工作统计表");
}

TEST(ShippedListFiles, ExportTableHasTheEightSurveyTablesInFamilyOrder) {
  EXPECT_EQ(GbkLines("exporttable.vm"),
            (std::vector<std::string>{"表一 工会组织建设状况", "表二 工会保障工作", "表三 工会劳动合同和民主管理工作",
                                      "表四 工会劳动保护工作", "表五 工会法律工作", "表六 工会经济技术工作",
                                      "表七 职工文化体育工作", "表八 工会经审工作"}));
}

}  // namespace
