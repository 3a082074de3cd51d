// The summary workbook filled from the one-pass figures, read back from the saved package on its own
// (libzip + pugixml), and the worksheet list file of the summary dialog.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "core/db/connection.h"
#include "core/groups/groups.h"
#include "core/office/office_error.h"
#include "core/office/cell_address.h"
#include "core/office/cell_text.h"
#include "core/office/template_workbook.h"
#include "core/records/generator.h"
#include "core/summary/sum_columns.h"
#include "core/summary/sum_table_list.h"
#include "core/summary/summary_workbook.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "support/workbook_package.h"

namespace velmora::summary {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// How a saved cell is shown: framed on all four sides by a line, and its number format code
// ("" for the general format).
struct CellLook {
  bool framed = false;
  std::string format;
};

// One saved sheet: "B9" → the stored value; numbers keep their text, texts are prefixed "t:".
struct ReadSheet {
  std::string name;
  std::map<std::string, std::string> cells;
  std::map<std::string, CellLook> looks;  // every cell element, written or only styled
  std::map<int, double> widths;           // 1-based column → width, for the columns given one
  std::string at(const std::string& ref) const {
    auto it = cells.find(ref);
    return it == cells.end() ? std::string() : it->second;
  }
  CellLook look(const std::string& ref) const {
    auto it = looks.find(ref);
    return it == looks.end() ? CellLook{} : it->second;
  }
  double width(int column) const {
    auto it = widths.find(column);
    return it == widths.end() ? 0 : it->second;
  }
};

std::string TextOf(pugi::xml_node is) {
  std::string text;
  for (const pugi::xpath_node& t : is.select_nodes(".//*[local-name()='t']")) text += t.node().text().get();
  return text;
}

// The look of every cell format of the style sheet, by index.
std::vector<CellLook> LooksOf(const pugi::xml_document& styles) {
  const pugi::xml_node sheet = styles.child("styleSheet");
  std::map<int, std::string> codes = {{0, ""}, {9, "0%"}, {10, "0.00%"}};
  for (pugi::xml_node f : sheet.child("numFmts").children("numFmt"))
    codes[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();
  std::vector<bool> framed;
  for (pugi::xml_node b : sheet.child("borders").children("border")) {
    bool all = true;
    for (const char* side : {"left", "right", "top", "bottom"}) {
      const std::string style = b.child(side).attribute("style").value();
      all = all && !style.empty() && style != "none";
    }
    framed.push_back(all);
  }
  std::vector<CellLook> looks;
  for (pugi::xml_node xf : sheet.child("cellXfs").children("xf")) {
    const int format = xf.attribute("numFmtId").as_int();
    const auto border = static_cast<std::size_t>(xf.attribute("borderId").as_int());
    looks.push_back({border < framed.size() && framed[border],
                     codes.count(format) ? codes[format] : "#" + std::to_string(format)});
  }
  return looks;
}

// The sheets of a saved workbook in tab order, read from its parts without the editor.
std::vector<ReadSheet> ReadBack(const fs::path& file) {
  const testing::PackageParts parts = testing::ReadPackage(file);
  const std::vector<CellLook> looks = LooksOf(testing::ParseXml(parts.at("xl/styles.xml")));
  std::vector<std::string> shared;
  if (parts.count("xl/sharedStrings.xml")) {
    pugi::xml_document doc = testing::ParseXml(parts.at("xl/sharedStrings.xml"));
    for (pugi::xml_node si : doc.child("sst").children("si")) shared.push_back(TextOf(si));
  }
  pugi::xml_document rels = testing::ParseXml(parts.at("xl/_rels/workbook.xml.rels"));
  std::map<std::string, std::string> targets;
  for (pugi::xml_node r : rels.child("Relationships").children("Relationship"))
    targets[r.attribute("Id").value()] = r.attribute("Target").value();
  pugi::xml_document book = testing::ParseXml(parts.at("xl/workbook.xml"));
  std::vector<ReadSheet> sheets;
  for (pugi::xml_node s : book.child("workbook").child("sheets").children("sheet")) {
    ReadSheet sheet;
    sheet.name = s.attribute("name").value();
    std::string target = targets[s.attribute("r:id").value()];
    if (target.rfind("/", 0) == 0) target = target.substr(1);
    else target = "xl/" + target;
    pugi::xml_document xml = testing::ParseXml(parts.at(target));
    for (pugi::xml_node col : xml.child("worksheet").child("cols").children("col"))
      for (int c = col.attribute("min").as_int(); c <= col.attribute("max").as_int(); ++c)
        if (col.attribute("width")) sheet.widths[c] = col.attribute("width").as_double();
    for (pugi::xml_node row : xml.child("worksheet").child("sheetData").children("row")) {
      for (pugi::xml_node c : row.children("c")) {
        const auto style = static_cast<std::size_t>(c.attribute("s").as_int(0));
        sheet.looks[c.attribute("r").value()] = style < looks.size() ? looks[style] : CellLook{};
        const std::string type = c.attribute("t").value();
        std::string value;
        if (type == "inlineStr") value = "t:" + TextOf(c.child("is"));
        else if (type == "s") value = "t:" + shared.at(std::stoul(c.child_value("v")));
        else if (type == "str") value = std::string("t:") + c.child_value("v");
        else if (c.child("v")) value = c.child_value("v");
        if (!value.empty()) sheet.cells[c.attribute("r").value()] = value;
      }
    }
    sheets.push_back(std::move(sheet));
  }
  return sheets;
}

std::string ActiveTab(const fs::path& file) {
  pugi::xml_document book = testing::ParseXml(testing::ReadPackage(file).at("xl/workbook.xml"));
  return book.child("workbook").child("bookViews").child("workbookView").attribute("activeTab").as_string("0");
}

// The cell as the engine's figure should read in the saved sheet.
std::string Expected(const db::Variant& v) {
  if (v.isNull()) return "";
  if (v.isText()) return "t:" + v.toString();
  return v.toString();
}

SheetTicks Ticks(std::initializer_list<int> sheets) {
  SheetTicks t(kLastSummarySheet, false);
  for (int s : sheets) t[static_cast<std::size_t>(s) - 1] = true;
  return t;
}
SheetTicks AllTicked() { return SheetTicks(kLastSummarySheet, true); }

class SummaryWorkbookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = dir.copyOfShipped();
    db.setConnectionString(testing::ConnectionTo(file));
  }
  void Generate(int records) {
    db.close();
    GenerateOptions options;
    options.records = records;
    options.seed = 5;
    GenerateRecords(file.string(), options);
  }
  std::string Template() const { return SummaryTemplatePath(testing::ProgramDir().string()); }
  // Makes the workbook and saves it; the saved path.
  fs::path Make(const SheetTicks& ticks, int classification, int groupId = 0, const std::string& templ = {}) {
    std::optional<SummaryBook> book =
        MakeSummaryWorkbook(db, templ.empty() ? Template() : templ, ticks, classification, groupId, prompts);
    if (!book) {
      ADD_FAILURE() << "no workbook: " << prompts.lastMessage();
      return {};
    }
    made = book->sheets;
    const fs::path out = dir / ("out" + std::to_string(++saved) + ".xlsx");
    book->workbook.save(out.string());
    return out;
  }

  TempDir dir;
  fs::path file;
  db::Connection db;
  testing::ScriptedPrompts prompts;
  std::vector<FilledSheet> made;
  int saved = 0;
};

TEST_F(SummaryWorkbookTest, EveryFilledCellIsTheStatementsFigure) {
  Generate(300);
  groups::AddGroup(db, "分段");
  const std::int64_t group = groups::ListGroups(db).front().id;
  groups::AddItem(db, group, {"前段", 0, 400000000000, ">=", "<"});
  groups::AddItem(db, group, {"全部", 0, 999999999999, ">=", "<="});
  struct Case {
    int classification;
    int groupId;
  };
  for (const Case& c : {Case{kByIndustry, 0}, Case{kByEconomic, 0}, Case{kByLevelCode, 0}, Case{kByUnionDomain, 0},
                        Case{kByState, 0}, Case{kByGroup, static_cast<int>(group)}}) {
    SCOPED_TRACE("classification " + std::to_string(c.classification));
    const fs::path out = Make(AllTicked(), c.classification, c.groupId);
    const std::vector<ReadSheet> sheets = ReadBack(out);
    ASSERT_EQ(sheets.size(), 20u);
    EXPECT_EQ(sheets[0].name, SheetTitle(1));
    for (int s = kFirstSummarySheet; s <= kLastSummarySheet; ++s) {
      SCOPED_TRACE("sheet " + std::to_string(s));
      const ReadSheet& sheet = sheets[static_cast<std::size_t>(s) - 1];
      EXPECT_EQ(sheet.name, SheetTitle(s));
      EXPECT_EQ(sheet.at("A2"), "t:" + (c.classification == kByGroup ? "分段" : ClassificationLabel(c.classification)));
      const SummaryRun reference = SummarizeSheet(db, s, c.classification, c.groupId);
      ASSERT_EQ(reference.sheets.size(), 1u);
      const auto& rows = reference.sheets[0].rows;
      ASSERT_FALSE(rows.empty());
      for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string row = std::to_string(9 + r);
        EXPECT_EQ(sheet.at("A" + row), "t:" + rows[r].label) << row;
        for (std::size_t k = 0; k < rows[r].cells.size(); ++k) {
          const std::string ref = office::AddressText({9 + static_cast<int>(r), 2 + static_cast<int>(k)});
          EXPECT_EQ(sheet.at(ref), Expected(rows[r].cells[k])) << ref;
        }
      }
      EXPECT_EQ(sheet.at("A" + std::to_string(9 + rows.size())), "") << "a row beyond the figures";
    }
    ASSERT_EQ(made.size(), 19u);
    EXPECT_EQ(made[4].sheet, 6);
  }
}

TEST_F(SummaryWorkbookTest, LabelGoesBelowATextInA2) {
  office::TemplateWorkbook templ = office::TemplateWorkbook::Open(Template());
  templ.sheet(6).setText(2, 1, "单位：个");
  const fs::path marked = dir / "marked.xlsx";
  templ.save(marked.string());

  const std::vector<ReadSheet> sheets = ReadBack(Make(Ticks({5, 6}), kByEconomic, 0, marked.string()));
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_EQ(sheets[0].at("A2"), "t:单位类别");
  EXPECT_EQ(sheets[1].at("A2"), "t:单位：个");
  EXPECT_EQ(sheets[1].at("A3"), "t:单位类别");
}

TEST_F(SummaryWorkbookTest, UntickedSheetsAreRemovedAndTheFirstIsActive) {
  SheetTicks allButCover = AllTicked();
  allButCover[0] = false;
  struct Case {
    const char* what;
    SheetTicks ticks;
    std::vector<int> kept;
  };
  const std::vector<Case> cases = {
      {"only sheet 6", Ticks({6}), {6}},
      {"everything but the cover", allButCover, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
      {"cover and the last", Ticks({1, 20}), {1, 20}},
      {"first and last summary sheet", Ticks({2, 20}), {2, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path out = Make(c.ticks, kByIndustry);
    const std::vector<ReadSheet> sheets = ReadBack(out);
    ASSERT_EQ(sheets.size(), c.kept.size());
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      EXPECT_EQ(sheets[i].name, SheetTitle(c.kept[i]));
      if (c.kept[i] != 1) {
        EXPECT_EQ(sheets[i].at("A2"), "t:所在行业");
      }
    }
    EXPECT_EQ(ActiveTab(out), "0");
  }
}

TEST_F(SummaryWorkbookTest, EmptyDatabaseGivesLabelledRowsWithEmptyCells) {
  const fs::path out = Make(Ticks({2}), kByState);
  const std::vector<ReadSheet> sheets = ReadBack(out);
  ASSERT_EQ(sheets.size(), 1u);
  ASSERT_EQ(made.size(), 1u);
  ASSERT_GT(made[0].rows, 0);
  for (int r = 0; r < made[0].rows; ++r) {
    EXPECT_NE(sheets[0].at("A" + std::to_string(9 + r)), "");
    // count(*) of a class without records is null: the cell stays empty.
    EXPECT_EQ(sheets[0].at("B" + std::to_string(9 + r)), "");
  }
}

TEST_F(SummaryWorkbookTest, RunsThatMakeNoWorkbookSayWhy) {
  // A template with 19 worksheets.
  office::TemplateWorkbook shortTemplate = office::TemplateWorkbook::Open(Template());
  shortTemplate.deleteSheet(20);
  const fs::path shortPath = dir / "short.xlsx";
  shortTemplate.save(shortPath.string());
  testing::WriteFileBytes(dir / "broken.xltx", "not a package");
  struct Case {
    const char* what;
    SheetTicks ticks;
    std::string templ;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"only the cover", Ticks({1}), Template(), kNothingToSummarise},
      {"nothing ticked: no word", Ticks({}), Template(), ""},
      {"template missing", AllTicked(), (dir / "none.xltx").string(), kTemplateOpenError},
      {"template not a package", AllTicked(), (dir / "broken.xltx").string(), kTemplateOpenError},
      {"template without sheet 20", Ticks({6}), shortPath.string(), kTemplateOpenError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompts.messages.clear();
    EXPECT_FALSE(MakeSummaryWorkbook(db, c.templ, c.ticks, kByIndustry, 0, prompts));
    if (c.message.empty()) {
      EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage();
      continue;
    }
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].rfind(c.message, 0), 0u) << prompts.messages[0];
  }
}

// Stops once the second worksheet's rows begin.
class StopAtSecondSheet : public jobs::Job {
 public:
  void stepOuter() override { ++outerDone; }
  void startInner(std::int64_t) override { ++inners; }
  bool stopRequested() const override { return outerDone >= 1; }
  int outerDone = 0, inners = 0;
};

TEST_F(SummaryWorkbookTest, StoppedRunGivesNoWorkbookAndShowingSavesInTheDocumentsFolder) {
  Generate(50);
  StopAtSecondSheet stop;
  EXPECT_FALSE(MakeSummaryWorkbook(db, Template(), Ticks({2, 3, 4}), kByIndustry, 0, prompts, stop));
  EXPECT_EQ(stop.outerDone, 1);

  std::optional<SummaryBook> book = MakeSummaryWorkbook(db, Template(), Ticks({6}), kByLevelCode, 0, prompts);
  ASSERT_TRUE(book);
  const fs::path docs = dir / "文档";
  fs::create_directories(docs);
  const std::string path = ShowSummaryWorkbook(*book, prompts, docs.string());
  EXPECT_EQ(fs::path(path).parent_path(), docs);
  EXPECT_EQ(fs::path(path).filename().string().rfind("汇总表-组织类型-", 0), 0u) << path;
  EXPECT_EQ(fs::path(path).extension(), ".xlsx");
  ASSERT_EQ(prompts.openedDocuments.size(), 1u);
  EXPECT_EQ(prompts.openedDocuments[0], path);
  EXPECT_EQ(ReadBack(path).size(), 1u);
}

// ---- how the workbook looks

// The columns from B on whose heading (row 3) names a ratio.
bool IsRatioHeading(const std::string& heading) { return heading.find("比例") != std::string::npos; }

// A ratio as "0.00%" shows it.
std::string AsPercent(const std::string& stored) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, std::stod(stored) * 100, std::chars_format::fixed, 2).ptr;
  return std::string(text, end) + "%";
}

// The heading rows 3 to 7 give a wrapped heading five lines at least; a line holds the column's
// width less the cell's margin.
bool HeadingFits(const std::string& heading, double width) {
  const double units = office::EstimatedColumnWidth(heading) - 1.5;
  return std::ceil(units / (width - 1.5)) <= 5;
}

// Every data row framed like the headings, the ratio columns as percentages over the unchanged
// figures, and every column wide enough for its heading and its figures.
void ExpectFinishedLook(const ReadSheet& sheet, int rows, int columns) {
  int ratios = 0;
  for (int c = 1; c <= columns; ++c) {
    const std::string column = office::AddressText({1, c}).substr(0, office::AddressText({1, c}).size() - 1);
    SCOPED_TRACE("column " + column);
    const std::string heading = sheet.at(column + "3");
    const bool ratio = c > 1 && IsRatioHeading(heading);
    ratios += ratio ? 1 : 0;
    EXPECT_TRUE(sheet.look(column + "8").framed) << "the column numbers are framed";
    const double width = sheet.width(c);
    if (c > 1) {
      EXPECT_TRUE(HeadingFits(heading.substr(2), width)) << heading << " in " << width;
    }
    for (int r = 9; r < 9 + rows; ++r) {
      const std::string ref = column + std::to_string(r);
      const CellLook look = sheet.look(ref);
      EXPECT_TRUE(look.framed) << ref;
      EXPECT_EQ(look.format, ratio ? "0.00%" : "") << ref;
      const std::string stored = sheet.at(ref);
      if (stored.empty()) continue;
      const std::string shown = stored.rfind("t:", 0) == 0 ? stored.substr(2) : ratio ? AsPercent(stored) : stored;
      EXPECT_GE(width, office::EstimatedColumnWidth(shown)) << ref << " shows " << shown;
    }
    EXPECT_FALSE(sheet.look(column + std::to_string(9 + rows)).framed) << "below the rows";
  }
  EXPECT_FALSE(sheet.look(office::AddressText({9, columns + 1})).framed) << "right of the headings";
  EXPECT_EQ(ratios, sheet.name == SheetTitle(4) ? 1 : 0);
}

TEST_F(SummaryWorkbookTest, DataRowsAreFramedRatiosArePercentagesAndColumnsFit) {
  Generate(300);
  for (int classification : {kByIndustry, kByUnionDomain, kByState}) {
    SCOPED_TRACE("classification " + std::to_string(classification));
    const std::vector<ReadSheet> sheets = ReadBack(Make(AllTicked(), classification));
    ASSERT_EQ(sheets.size(), 20u);
    ASSERT_EQ(made.size(), 19u);
    for (const FilledSheet& filled : made) {
      SCOPED_TRACE("sheet " + std::to_string(filled.sheet));
      ASSERT_GT(filled.rows, 0);
      ExpectFinishedLook(sheets[static_cast<std::size_t>(filled.sheet) - 1], filled.rows,
                         1 + SumColumnCount(filled.sheet));
    }
    // The ratio keeps the figure: 0.79874977102, not the 79.87 it shows.
    const ReadSheet& ratios = sheets[3];
    bool fraction = false;
    for (int r = 9; r < 9 + made[2].rows; ++r) {
      const std::string stored = ratios.at("E" + std::to_string(r));
      if (!stored.empty()) fraction = fraction || (std::stod(stored) > 0 && std::stod(stored) <= 1);
    }
    EXPECT_TRUE(fraction);
  }
}

TEST_F(SummaryWorkbookTest, ColumnsWidenForLargeFiguresAndNarrowHeadingsButNeverNarrow) {
  testing::Exec(db, "insert into dt_data (c901, c905, c912, z020, z003, z022, b005) values "
                    "(110000000001, 1, 1, 99999999999999, 5, 1, 123456789012.34), "
                    "(110000000002, 2, 1, 3, 4, 0, 0.5), (110000000003, 2, 1, 3, 4, 1, 0.5)");
  // A template whose column C of worksheet 5 is too narrow for its heading.
  office::TemplateWorkbook templ = office::TemplateWorkbook::Open(Template());
  const double usual = templ.sheet(4).columnWidth(3);
  templ.sheet(5).setColumnWidth(3, 4);
  const fs::path narrow = dir / "narrow.xlsx";
  templ.save(narrow.string());

  const std::vector<ReadSheet> sheets = ReadBack(Make(Ticks({4, 5}), kByIndustry, 0, narrow.string()));
  ASSERT_EQ(sheets.size(), 2u);
  ASSERT_EQ(made.size(), 2u);
  ExpectFinishedLook(sheets[0], made[0].rows, 1 + SumColumnCount(4));
  ExpectFinishedLook(sheets[1], made[1].rows, 1 + SumColumnCount(5));
  EXPECT_EQ(sheets[0].at("B9"), "99999999999999");
  EXPECT_GT(sheets[0].width(2), usual);
  EXPECT_EQ(sheets[0].width(3), usual) << "a column whose figures fit keeps its width";
  EXPECT_EQ(sheets[0].at("E9"), "1");
  EXPECT_EQ(sheets[0].at("E10"), "0.5");
  EXPECT_EQ(sheets[1].at("F9"), "123456789012.34");
  EXPECT_GT(sheets[1].width(6), usual);
  EXPECT_GT(sheets[1].width(3), 4);
}

TEST_F(SummaryWorkbookTest, GroupSummaryCarriesTheGroupsNameInA2AndItsFileName) {
  Generate(50);
  const std::int64_t coast = groups::AddGroup(db, "沿海/地区");
  groups::AddItem(db, coast, {"前段", 0, 400000000000, ">=", "<"});
  const std::int64_t inland = groups::AddGroup(db, "内陆地区");
  groups::AddItem(db, inland, {"后段", 400000000000, 999999999999, ">=", "<="});
  const fs::path docs = dir / "文档";
  fs::create_directories(docs);
  struct Case {
    std::int64_t group;
    std::string label;
    std::string fileStart;
  };
  for (const Case& c : {Case{coast, "沿海/地区", "汇总表-沿海_地区-"}, Case{inland, "内陆地区", "汇总表-内陆地区-"},
                        Case{0, "分    组", "汇总表-分    组-"}}) {
    SCOPED_TRACE(c.label);
    std::optional<SummaryBook> book =
        MakeSummaryWorkbook(db, Template(), Ticks({2, 4}), kByGroup, static_cast<int>(c.group), prompts);
    ASSERT_TRUE(book) << prompts.lastMessage();
    EXPECT_EQ(book->label, c.label);
    const fs::path path = ShowSummaryWorkbook(*book, prompts, docs.string());
    EXPECT_EQ(path.filename().string().rfind(c.fileStart, 0), 0u) << path;
    const std::vector<ReadSheet> sheets = ReadBack(path);
    ASSERT_EQ(sheets.size(), 2u);
    for (const ReadSheet& sheet : sheets) EXPECT_EQ(sheet.at("A2"), "t:" + c.label) << sheet.name;
  }
}

// ---- the worksheet list file

TEST(SumTableList, LinesBecomeEntries) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<SumTableEntry> entries;
  };
  const std::vector<Case> cases = {
      {"checked entry", "&1 1 \xb7\xe2\xc3\xe6\r\n", {{"封面", true, 1}}},
      {"unchecked and grey", "&1 0 a\r\n&1 2 b\r\n", {{"a", true, 0}, {"b", true, 2}}},
      {"heading stays disabled", "&1 1 //x\r\n//y\r\n", {{"//x", false, 1}, {"//y", false, 0}}},
      {"line without &", "abc def\r\n", {{"abc def", true, 0}}},
      {"short & lines", "&1\r\n&0 1\r\n", {{"", true, 0}, {"", false, 1}}},
      {"LF only, no final line end", "&1 1 a\n&0 0 b", {{"a", true, 1}, {"b", false, 0}}},
      {"blank lines skipped", "\r\n&1 1 a\r\n   \r\n", {{"a", true, 1}}},
      {"UTF-8 with a byte order mark", "\xEF\xBB\xBF&1 1 封面\r\n", {{"封面", true, 1}}},
      {"UTF-8 without one", "&1 0 封面\n", {{"封面", true, 0}}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ParseSumTable(c.bytes), c.entries);
  }
}

TEST(SumTableList, ShippedFileRoundTripsAndTicksEveryWorksheet) {
  const std::string bytes = testing::ReadFileBytes(testing::ProgramDir() / kSumTableFileName);
  const std::vector<SumTableEntry> entries = ParseSumTable(bytes);
  ASSERT_EQ(entries.size(), 28u);
  EXPECT_EQ(entries[0], (SumTableEntry{"封面", true, 1}));
  EXPECT_TRUE(entries[1].heading());
  EXPECT_EQ(entries[7].text, "工会保障工作统计表2");
  EXPECT_EQ(FormatSumTable(entries), bytes);
  EXPECT_EQ(TicksOf(entries), SheetTicks(kLastSummarySheet, true));

  std::vector<SumTableEntry> changed = entries;
  for (auto& e : changed) e.state = 0;
  changed[7].state = 1;
  EXPECT_EQ(ParseSumTable(FormatSumTable(changed)), changed);
  EXPECT_EQ(TicksOf(changed), Ticks({6}));
}

TEST(SumTableList, SavedWhereItCanBeAndReadFromThereFirst) {
  TempDir dir;
  const std::string program = (dir / "program").string(), settings = (dir / "settings").string();
  fs::create_directories(program);
  std::string error;
  EXPECT_FALSE(LoadSumTable(program, settings, error));
  EXPECT_NE(error.find("sumtable.vm"), std::string::npos);

  testing::WriteFileBytes(fs::path(program) / kSumTableFileName, "\r\n");
  EXPECT_FALSE(LoadSumTable(program, settings, error));
  EXPECT_NE(error.find("没有统计表列表"), std::string::npos) << error;

  const std::vector<SumTableEntry> entries = {{"封面", true, 1}, {"//h", false, 0}, {"表", true, 0}};
  auto where = SaveSumTable(program, settings, entries, error);
  ASSERT_TRUE(where) << error;
  EXPECT_EQ(fs::path(*where).parent_path(), fs::path(program));
  EXPECT_EQ(LoadSumTable(program, settings, error), entries);

  // A program "folder" that is a file cannot take the list: it goes to the settings folder and is
  // read from there.
  const std::string blocked = (dir / "blocked").string();
  testing::WriteFileBytes(blocked, "x");
  std::vector<SumTableEntry> second = entries;
  second[2].state = 1;
  where = SaveSumTable(blocked, settings, second, error);
  ASSERT_TRUE(where) << error;
  EXPECT_EQ(fs::path(*where).parent_path(), fs::path(settings));
  EXPECT_EQ(LoadSumTable(program, settings, error), second);
  // Once the program's folder takes it again, the settings copy goes.
  ASSERT_TRUE(SaveSumTable(program, settings, entries, error));
  EXPECT_FALSE(fs::exists(fs::path(settings) / kSumTableFileName));
  EXPECT_EQ(LoadSumTable(program, settings, error), entries);

  // An installed program's shipped files belong to the package: even a folder the user (an
  // administrator) could write to keeps its list, and the choice goes to the settings folder.
  const fs::path shipped = dir / "usr" / "share" / "velmora";
  fs::create_directories(shipped);
  testing::WriteFileBytes(shipped / kSumTableFileName, FormatSumTable(entries));
  where = SaveSumTable(shipped.string(), settings, second, error);
  ASSERT_TRUE(where) << error;
  EXPECT_EQ(fs::path(*where).parent_path(), fs::path(settings));
  EXPECT_EQ(testing::ReadFileBytes(shipped / kSumTableFileName), FormatSumTable(entries));
  EXPECT_EQ(LoadSumTable(shipped.string(), settings, error), second);
}

}  // namespace
}  // namespace velmora::summary
