// The summary workbook filled from the one-pass figures, read back from the saved package on its own
// (libzip + pugixml), and the worksheet list file of the summary dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "core/db/connection.h"
#include "core/groups/groups.h"
#include "core/office/office_error.h"
#include "core/office/cell_address.h"
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

// One saved sheet: "B9" → the stored value; numbers keep their text, texts are prefixed "t:".
struct ReadSheet {
  std::string name;
  std::map<std::string, std::string> cells;
  std::string at(const std::string& ref) const {
    auto it = cells.find(ref);
    return it == cells.end() ? std::string() : it->second;
  }
};

std::string TextOf(pugi::xml_node is) {
  std::string text;
  for (const pugi::xpath_node& t : is.select_nodes(".//*[local-name()='t']")) text += t.node().text().get();
  return text;
}

// The sheets of a saved workbook in tab order, read from its parts without the editor.
std::vector<ReadSheet> ReadBack(const fs::path& file) {
  const testing::PackageParts parts = testing::ReadPackage(file);
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
    ReadSheet sheet{s.attribute("name").value(), {}};
    std::string target = targets[s.attribute("r:id").value()];
    if (target.rfind("/", 0) == 0) target = target.substr(1);
    else target = "xl/" + target;
    pugi::xml_document xml = testing::ParseXml(parts.at(target));
    for (pugi::xml_node row : xml.child("worksheet").child("sheetData").children("row")) {
      for (pugi::xml_node c : row.children("c")) {
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
      EXPECT_EQ(sheet.at("A2"), "t:" + ClassificationLabel(c.classification));
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
}

}  // namespace
}  // namespace velmora::summary
