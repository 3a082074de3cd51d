// The summary compared with last year: a few records of this year in the open database and of last
// year in a file, a reporting package and the previous-year table; the three figures and the change
// of each cell, the threshold, the references the intake refuses and the workbook as saved.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "core/db/connection.h"
#include "core/groups/groups.h"
#include "core/jobs/job.h"
#include "core/intake/source_file.h"
#include "core/summary/sum_columns.h"
#include "core/summary/summary.h"
#include "core/summary/summary_compare.h"
#include "support/database.h"
#include "support/exchange_fixture.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "support/workbook_package.h"

namespace velmora::summary {
namespace {

namespace fs = std::filesystem;

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// Sheet 2's cells: 0 count, 1 and 2 the organisation types, 3.. z001..z009.
constexpr int kCount = 0, kZ001 = 3, kZ002 = 4, kZ003 = 5, kZ004 = 6, kZ005 = 7, kZ006 = 8, kZ007 = 9, kZ008 = 10;

// This year: industry 1 (农业) two units, industry 2 (林业) one. Last year: industry 1 one unit.
constexpr const char* kThisYear =
    "insert into dt_data(c901, c902, c904, c905, c912, RecordState, z001, z002, z003, z004, z005, z006, z007, z008) "
    "values (100000000001, '甲', 1, 1, 1, 1, 60, 5, 7, 3, 8, 13, 121, 241),"
    "       (100000000002, '乙', 1, 1, 1, 1, 60, 0, 0, 4, 0, 0, 0, 0),"
    "       (100000000003, '丙', 1, 2, 1, 1, 10, 0, 0, 0, 0, 0, 0, 0);";
constexpr const char* kLastYearValues = "(100000000001, '甲', 1, 1, 100, 4, 0, 10, 10, 10, 100, 200)";

class SummaryCompare : public testing::ExchangeFixture {
 protected:
  SummaryCompare() {
    upper.exec(kThisYear);
    unit.exec("delete from dt_data");
    unit.exec(std::string("insert into dt_data(c901, c902, c904, c905, z001, z002, z003, z004, z005, z006, z007, z008, "
                          "c912, RecordState) values ") +
              std::string(kLastYearValues).insert(std::string(kLastYearValues).size() - 1, ", 1, 1"));
    fs::create_directories(work());
  }
  db::Connection& ours() { return upper.session->SysADOConnection(); }
  fs::path work() const { return dir / "work"; }
  void fillPreviousYear() {
    upper.exec(std::string("insert into dt_data_2010(c901, c902, c904, c905, z001, z002, z003, z004, z005, z006, z007, "
                           "z008) values ") + kLastYearValues);
  }
  std::vector<CompareSheet> compare(const CompareReference& reference, double threshold = kDefaultCompareThreshold) {
    const SummaryRun current = Summarize(ours(), {2}, kByIndustry);
    const SummaryRun last = SummarizeReference(ours(), reference, {2}, kByIndustry, 0, work().string());
    return CompareRuns(current, last, threshold);
  }
};

// Each kind of reference gives last year's figures of the same rows; every cell's three values.
TEST_F(SummaryCompare, EachReferenceGivesTheThreeFiguresOfEveryCell) {
  fillPreviousYear();
  const fs::path package = exportPackage("last.dat", "上年");
  const struct {
    const char* name;
    CompareReference reference;
  } references[] = {{"last year's database", CompareReference::File(unit.file.string())},
                    {"a reporting package", CompareReference::File(package.string())},
                    {"the previous-year table", CompareReference::PreviousYear()}};
  const struct {
    std::size_t row;  // 0 农业, 1 林业
    int cell;
    double current, last, change;  // kNone: empty
    bool highlighted;
  } cells[] = {
      {0, kCount, 2, 1, 100, true},         {0, kZ001, 120, 100, 20, false},     // exactly the threshold
      {0, kZ002, 5, 4, 25, true},           {0, kZ003, 7, 0, kNone, false},      // last year 0
      {0, kZ004, 7, 10, -30, true},         {0, kZ005, 8, 10, -20, false},       // exactly the threshold down
      {0, kZ006, 13, 10, 30, true},         {0, kZ007, 121, 100, 21, true},      // just above
      {0, kZ008, 241, 200, 20.5, true},     {1, kCount, 1, kNone, kNone, false},  // no records last year
      {1, kZ001, 10, kNone, kNone, false},
  };
  for (const auto& r : references) {
    SCOPED_TRACE(r.name);
    const std::vector<CompareSheet> sheets = compare(r.reference);
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets[0].sheet, 2);
    const auto& rows = sheets[0].rows;
    ASSERT_EQ(rows.size(), 96u);  // every industry of this year's code table
    EXPECT_EQ(rows[0].label, "农业");
    EXPECT_EQ(rows[1].label, "林业");
    for (const auto& c : cells) {
      SCOPED_TRACE("row " + std::to_string(c.row) + " cell " + std::to_string(c.cell));
      const CompareCell& got = rows[c.row].cells.at(static_cast<std::size_t>(c.cell));
      EXPECT_DOUBLE_EQ(got.current.toDouble(), c.current);
      if (std::isnan(c.last)) {
        EXPECT_TRUE(got.last.isNull()) << got.last.toString();
      } else {
        EXPECT_DOUBLE_EQ(got.last.toDouble(), c.last);
      }
      if (std::isnan(c.change)) {
        EXPECT_FALSE(got.change) << *got.change;
      } else {
        ASSERT_TRUE(got.change);
        EXPECT_NEAR(*got.change, c.change, 1e-9);
      }
      EXPECT_EQ(got.highlighted, c.highlighted);
    }
  }
}

// By a custom group the groups are this year's, also against a package, which holds none.
TEST_F(SummaryCompare, ByAGroupTheReferenceIsSummedByThisYearsItems) {
  const std::int64_t g = groups::AddGroup(ours(), "两组");
  groups::AddItem(ours(), g, {"前两家", 100000000001, 100000000002, ">=", "<="});
  groups::AddItem(ours(), g, {"第三家", 100000000003, 100000000004, ">=", "<"});
  const fs::path package = exportPackage("last.dat", "上年");
  const SummaryRun current = Summarize(ours(), {2}, kByGroup, static_cast<int>(g));
  const SummaryRun last = SummarizeReference(ours(), CompareReference::File(package.string()), {2}, kByGroup,
                                             static_cast<int>(g), work().string());
  const std::vector<CompareSheet> sheets = CompareRuns(current, last, kDefaultCompareThreshold);
  ASSERT_EQ(sheets.size(), 1u);
  ASSERT_EQ(sheets[0].rows.size(), 2u);
  EXPECT_EQ(sheets[0].rows[0].label, "前两家");
  EXPECT_EQ(sheets[0].rows[0].cells[kZ001].current.toInt64(), 120);
  EXPECT_EQ(sheets[0].rows[0].cells[kZ001].last.toInt64(), 100);
  EXPECT_EQ(sheets[0].rows[1].label, "第三家");
  EXPECT_EQ(sheets[0].rows[1].cells[kCount].current.toInt64(), 1);
  EXPECT_EQ(sheets[0].rows[1].cells[kCount].last.toInt64(), 0);
  EXPECT_FALSE(sheets[0].rows[1].cells[kCount].change);
}

// A stop while last year is read ends the run without a word and without a workbook.
TEST_F(SummaryCompare, AStopWhileLastYearIsReadLeavesNothing) {
  struct StopAtSecondRead : jobs::Job {
    int reads = 0;
    void startInner(std::int64_t) override { ++reads; }
    bool stopRequested() const override { return reads >= 2; }
  } job;
  // Enough records last year for the read to look at the job on the way.
  testing::Exec(unit.file, "with recursive n(i) as (select 1 union all select i + 1 from n where i < 5000) "
                           "insert into dt_data(c901, c905, c912, RecordState) select 200000000000 + i, 1, 1, 1 from n");
  SheetTicks ticks(kLastSummarySheet, false);
  ticks[1] = true;
  testing::ScriptedPrompts prompts;
  CompareOptions options{CompareReference::File(unit.file.string()), kDefaultCompareThreshold, work().string()};
  EXPECT_FALSE(MakeCompareWorkbook(ours(), SummaryTemplatePath(testing::ProgramDir().string()), ticks, kByIndustry, 0,
                                   options, prompts, job));
  EXPECT_EQ(job.reads, 2);
  EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage();
  EXPECT_TRUE(fs::is_empty(work()));
}

TEST(SummaryCompareChange, PercentAndThreshold) {
  const struct {
    const char* name;
    db::Variant current, last;
    std::optional<double> change;
    bool beyond20;
  } cases[] = {
      {"rise", db::Variant(std::int64_t{150}), db::Variant(std::int64_t{100}), 50.0, true},
      {"fall to nothing", db::Variant(std::int64_t{0}), db::Variant(std::int64_t{40}), -100.0, true},
      {"last 0", db::Variant(std::int64_t{5}), db::Variant(std::int64_t{0}), std::nullopt, false},
      {"last empty", db::Variant(std::int64_t{5}), db::Variant(), std::nullopt, false},
      {"this empty", db::Variant(), db::Variant(std::int64_t{5}), std::nullopt, false},
      {"text", db::Variant(std::string("x")), db::Variant(std::int64_t{5}), std::nullopt, false},
      {"fractions at the threshold", db::Variant(1.2), db::Variant(1.0), 20.0, false},
      {"fractions at the threshold down", db::Variant(0.8), db::Variant(1.0), -20.0, false},
      {"fractions just above", db::Variant(1.2001), db::Variant(1.0), 20.01, true},
      {"large codes", db::Variant(std::int64_t{9007199254740993}), db::Variant(std::int64_t{9007199254740992}), 0.0,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<double> change = ChangePercent(c.current, c.last);
    ASSERT_EQ(change.has_value(), c.change.has_value());
    if (change) {
      EXPECT_NEAR(*change, *c.change, 1e-9);
    }
    EXPECT_EQ(BeyondThreshold(change, 20), c.beyond20);
  }
  // The threshold is the user's: 10 % marks a change of 15 %, 50 % does not.
  EXPECT_TRUE(BeyondThreshold(15.0, 10));
  EXPECT_FALSE(BeyondThreshold(15.0, 50));
  EXPECT_FALSE(BeyondThreshold(-15.0, 50));
}

// A reference whose dt_data is a view, that has none or whose records cannot be read ends in the
// intake's message: the comparison is told, nothing is written.
TEST_F(SummaryCompare, ARefusedReferenceEndsInTheIntakesMessage) {
  const fs::path view = dir.copyOfShipped("view.mdb");
  testing::Exec(view, "alter table dt_data rename to dt_real; create view dt_data as select * from dt_real;");
  const fs::path none = dir.copyOfShipped("none.mdb");
  testing::Exec(none, "drop table dt_data;");
  const fs::path broken = dir.copyOfShipped("broken.mdb");
  testing::Exec(broken, "insert into dt_data(c901, c905, z001) values (100000000001, 1, 5);");
  testing::BreakTable(broken, "dt_data");
  const struct {
    const char* name;
    fs::path file;
    intake::IntakeError::Kind kind;
  } refused[] = {{"a view where dt_data should be", view, intake::IntakeError::Kind::NotATable},
                 {"no dt_data", none, intake::IntakeError::Kind::NoTable},
                 {"a damaged dt_data", broken, intake::IntakeError::Kind::Damaged}};
  SheetTicks ticks(kLastSummarySheet, false);
  ticks[1] = true;
  for (const auto& r : refused) {
    SCOPED_TRACE(r.name);
    std::string text;
    try {
      SummarizeReference(ours(), CompareReference::File(r.file.string()), {2}, kByIndustry, 0, work().string());
      ADD_FAILURE() << "read";
    } catch (const intake::IntakeError& e) {
      EXPECT_EQ(e.kind(), r.kind) << e.what();
      text = e.what();
    }
    testing::ScriptedPrompts prompts;
    CompareOptions options{CompareReference::File(r.file.string()), kDefaultCompareThreshold, work().string()};
    EXPECT_FALSE(MakeCompareWorkbook(ours(), SummaryTemplatePath(testing::ProgramDir().string()), ticks, kByIndustry, 0, options,
                                     prompts));
    EXPECT_EQ(prompts.lastMessage(), text);
  }
  // The working copies are gone.
  EXPECT_TRUE(fs::is_empty(work()));
}

TEST_F(SummaryCompare, AnEmptyPreviousYearTableIsToldAndNotCompared) {
  SheetTicks ticks(kLastSummarySheet, false);
  ticks[1] = true;
  EXPECT_FALSE(PreviousYearHasRecords(ours()));
  testing::ScriptedPrompts prompts;
  CompareOptions options{CompareReference::PreviousYear(), kDefaultCompareThreshold, work().string()};
  EXPECT_FALSE(MakeCompareWorkbook(ours(), SummaryTemplatePath(testing::ProgramDir().string()), ticks, kByIndustry, 0, options,
                                   prompts));
  EXPECT_EQ(prompts.lastMessage(), kNoPreviousYearText);
  fillPreviousYear();
  EXPECT_TRUE(PreviousYearHasRecords(ours()));
}

// The saved workbook: one of the summary's worksheets with three rows a class, the changes beyond
// the threshold in bold red and nothing else marked.
struct SavedCell {
  std::string value;
  bool boldRed = false;
  std::string format;
};

std::map<std::string, SavedCell> ReadOnlySheet(const fs::path& file, std::string& sheetName) {
  const testing::PackageParts parts = testing::ReadPackage(file);
  pugi::xml_document styles = testing::ParseXml(parts.at("xl/styles.xml"));
  const pugi::xml_node sheet = styles.child("styleSheet");
  std::vector<bool> redFonts;
  for (pugi::xml_node f : sheet.child("fonts").children("font"))
    redFonts.push_back(f.child("b") && std::string(f.child("color").attribute("rgb").value()) == "FFFF0000");
  std::map<int, std::string> codes = {{2, "0.00"}, {10, "0.00%"}};  // built in
  for (pugi::xml_node f : sheet.child("numFmts").children("numFmt"))
    codes[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();
  std::vector<std::pair<bool, std::string>> looks;
  for (pugi::xml_node xf : sheet.child("cellXfs").children("xf")) {
    const auto font = static_cast<std::size_t>(xf.attribute("fontId").as_int());
    const int format = xf.attribute("numFmtId").as_int();
    looks.emplace_back(font < redFonts.size() && redFonts[font], codes[format]);
  }
  pugi::xml_document book = testing::ParseXml(parts.at("xl/workbook.xml"));
  const pugi::xml_node only = book.child("workbook").child("sheets").child("sheet");
  EXPECT_FALSE(only.next_sibling("sheet"));
  sheetName = only.attribute("name").value();
  pugi::xml_document rels = testing::ParseXml(parts.at("xl/_rels/workbook.xml.rels"));
  std::string target;
  for (pugi::xml_node r : rels.child("Relationships").children("Relationship"))
    if (std::string(r.attribute("Id").value()) == only.attribute("r:id").value()) target = r.attribute("Target").value();
  target = target.rfind("/", 0) == 0 ? target.substr(1) : "xl/" + target;
  pugi::xml_document xml = testing::ParseXml(parts.at(target));
  std::map<std::string, SavedCell> cells;
  for (pugi::xml_node row : xml.child("worksheet").child("sheetData").children("row")) {
    for (pugi::xml_node c : row.children("c")) {
      SavedCell cell;
      const auto style = static_cast<std::size_t>(c.attribute("s").as_int(0));
      if (style < looks.size()) std::tie(cell.boldRed, cell.format) = looks[style];
      if (std::string(c.attribute("t").value()) == "inlineStr") cell.value = c.child("is").child("t").text().get();
      else if (c.child("v")) cell.value = c.child_value("v");
      cells[c.attribute("r").value()] = cell;
    }
  }
  return cells;
}

TEST_F(SummaryCompare, TheWorkbookHoldsThreeRowsAClassAndMarksTheChangesBeyondTheThreshold) {
  SheetTicks ticks(kLastSummarySheet, false);
  ticks[1] = true;
  testing::ScriptedPrompts prompts;
  CompareOptions options{CompareReference::File(unit.file.string()), kDefaultCompareThreshold, work().string()};
  std::optional<CompareBook> book =
      MakeCompareWorkbook(ours(), SummaryTemplatePath(testing::ProgramDir().string()), ticks, kByIndustry, 0, options, prompts);
  ASSERT_TRUE(book) << prompts.lastMessage();
  EXPECT_EQ(book->highlighted, 7);  // 农业: the count, the first type, z002, z004, z006, z007, z008
  ASSERT_EQ(book->sheets.size(), 1u);
  EXPECT_EQ(book->sheets[0].rows, 96);
  const fs::path saved = dir / "对比.xlsx";
  book->workbook.save(saved.string());

  std::string name;
  const std::map<std::string, SavedCell> cells = ReadOnlySheet(saved, name);
  EXPECT_EQ(name, SheetTitle(2));
  auto at = [&](const std::string& ref) {
    auto it = cells.find(ref);
    return it == cells.end() ? SavedCell{} : it->second;
  };
  EXPECT_EQ(at("A2").value, "所在行业");
  const struct {
    const char* ref;
    const char* value;
    bool boldRed;
  } expected[] = {
      {"A9", "农业（本年）", false}, {"A10", "农业（上年）", false}, {"A11", "农业（增减%）", false},
      {"B9", "2", false},           {"B10", "1", false},           {"B11", "100", true},
      {"E9", "120", false},         {"E10", "100", false},         {"E11", "20", false},
      {"F11", "25", true},          {"G11", "", false},            {"H11", "-30", true},
      {"I11", "-20", false},        {"L11", "20.5", true},
      {"A12", "林业（本年）", false}, {"B12", "1", false},           {"B13", "", false},
      {"B14", "", false},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.ref);
    EXPECT_EQ(at(e.ref).value, e.value);
    EXPECT_EQ(at(e.ref).boldRed, e.boldRed);
  }
  // 96 industries of three rows each: rows 9 to 296.
  EXPECT_NE(at("A296").value, "");
  EXPECT_EQ(at("A297").value, "");
  EXPECT_EQ(at("B11").format, "0.00");
  EXPECT_EQ(at("E11").format, "0.00");
}

}  // namespace
}  // namespace velmora::summary
