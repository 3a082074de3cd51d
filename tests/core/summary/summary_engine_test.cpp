// The one-pass summary against the worksheets' own statements, cell for cell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/db/error.h"
#include "core/db/statement.h"
#include "core/records/generator.h"
#include "core/summary/sum_columns.h"
#include "core/summary/summary.h"
#include "support/database.h"
#include "support/test_paths.h"

namespace velmora::summary {
namespace {

using testing::Exec;
using testing::TempDir;

std::vector<int> AllSheets() {
  std::vector<int> s;
  for (int i = kFirstSummarySheet; i <= kLastSummarySheet; ++i) s.push_back(i);
  return s;
}

// Same label, same cells: same kind (null, integer, floating) and the same value and text.
void ExpectSameFigures(const SummarySheetResult& expected, const SummarySheetResult& actual) {
  SCOPED_TRACE("sheet " + std::to_string(expected.sheet));
  ASSERT_EQ(expected.sheet, actual.sheet);
  ASSERT_EQ(expected.rows.size(), actual.rows.size());
  for (std::size_t r = 0; r < expected.rows.size(); ++r) {
    const SummaryRow &e = expected.rows[r], &a = actual.rows[r];
    SCOPED_TRACE("row " + std::to_string(r) + " " + e.label);
    EXPECT_EQ(e.label, a.label);
    ASSERT_EQ(e.cells.size(), a.cells.size());
    for (std::size_t c = 0; c < e.cells.size(); ++c) {
      EXPECT_EQ(e.cells[c].raw().index(), a.cells[c].raw().index()) << "column " << c;
      EXPECT_EQ(e.cells[c].toString(), a.cells[c].toString()) << "column " << c;
    }
  }
}

class SummaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = dir.copyOfShipped();
    db.setConnectionString(testing::ConnectionTo(file));
  }
  void Generate(int records) {
    db.close();
    GenerateOptions options;
    options.records = records;
    options.seed = 11;
    GenerateRecords(file.string(), options);
  }
  // A record with the given column values; the others keep their defaults.
  void Insert(const std::string& columns, const std::string& values) {
    Exec(db, "insert into dt_data (" + columns + ") values (" + values + ")");
  }
  void Group(int id, const std::string& orderstr, const std::vector<std::string>& items) {
    Exec(db, "insert into CT_Group (ID, Name, orderstr) values (" + std::to_string(id) + ", 'g', '" + orderstr + "')");
    for (const std::string& item : items)
      Exec(db, "insert into DT_GroupItem (Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) values (" +
                   item + ")");
  }
  // Both ways over every worksheet; returns the one-pass figures.
  SummaryRun Compare(int classification, int groupId = 0) {
    SummaryRun fast = Summarize(db, AllSheets(), classification, groupId);
    EXPECT_FALSE(fast.stopped);
    EXPECT_EQ(fast.sheets.size(), AllSheets().size());
    for (std::size_t i = 0; i < fast.sheets.size(); ++i) {
      SummaryRun reference = SummarizeSheet(db, fast.sheets[i].sheet, classification, groupId);
      EXPECT_TRUE(reference.usedStatements);
      if (reference.sheets.size() == 1) ExpectSameFigures(reference.sheets[0], fast.sheets[i]);
      else ADD_FAILURE() << "no reference for sheet " << fast.sheets[i].sheet;
    }
    return fast;
  }
  // Records of every kind the form would refuse and a database may still hold.
  void InsertHostile() {
    const std::string cols = "c901,c904,c905,c906,c907,c912,z001,z002,z003,z022,b010,b011,h001,h004,h006,h010,s001,j011";
    const std::vector<std::string> rows = {
        "110000000001,1,1,110,'A01',1,5,3,2,1,1,2.5,0,1,2,0,0,1.25",
        "110000000002,2,1,110,'A01',1,7,4,0,2,3,0.5,-1,3,5,-2,4,-3.5",
        "110000000003,2,2,120,'Z00',2,-4,0,-3,0,-1,NULL,2,-1,-3,7,2,0",
        "110000000004,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL",
        "120000000000,3,99999,999,'Q99',9,1,1,1,1,1,1,1,1,1,1,1,1",
        "120000000001,1,2,120,'A02',1,99999999999999,88888888888888,12345678901234,99999999999999,"
        "77777777777777,0.1,99999999999999,66666666666666,55555555555555,44444444444444,33333333333333,1e13",
        "120000000002,1,2,120,'A02',3,-99999999999999,99999999999999,99999999999999,-99999999999999,"
        "-77777777777777,0.2,-99999999999998,99999999999999,-55555555555555,3,-33333333333333,0.3",
        "130000000000,2,3,130,'B01',4,1,NULL,5,NULL,2,NULL,3,NULL,1,NULL,2,NULL",
    };
    for (const std::string& r : rows) Insert(cols, r);
  }

  TempDir dir;
  std::filesystem::path file;
  db::Connection db;
};

TEST_F(SummaryTest, OnePassEqualsTheStatementsOnGeneratedRecords) {
  Generate(400);
  for (int classification = kByIndustry; classification <= kByState; ++classification) {
    SCOPED_TRACE("classification " + std::to_string(classification));
    SummaryRun run = Compare(classification);
    EXPECT_FALSE(run.usedStatements);
  }
  // Items that overlap, leave gaps and use every symbol.
  std::vector<db::Variant> codes = testing::Column(db, "select c901 from dt_data order by c901");
  ASSERT_GT(codes.size(), 100u);
  auto at = [&](std::size_t i) { return std::to_string(codes[i].toInt64()); };
  Group(1, "title DESC",
        {"'前段', 1, " + at(0) + ", " + at(150) + ", '>=', '<'", "'中段', 1, " + at(100) + ", " + at(250) + ", '>', '<='",
         "'后段', 1, " + at(300) + ", " + at(399) + ", '>=', '<='", "'空段', 1, 1, 2, '>=', '<'"});
  SummaryRun run = Compare(kByGroup, 1);
  EXPECT_FALSE(run.usedStatements);
}

TEST_F(SummaryTest, OnePassEqualsTheStatementsOnHostileRecords) {
  InsertHostile();
  for (int classification = kByIndustry; classification <= kByState; ++classification) {
    SCOPED_TRACE("classification " + std::to_string(classification));
    EXPECT_FALSE(Compare(classification).usedStatements);
  }
  Group(2, "LowValue DESC",
        {"'一', 2, 110000000000, 120000000000, '>=', '<'", "'二', 2, 120000000000, 130000000000, '>=', '<'",
         "'全', 2, 100000000000, 200000000000, '>', '<'", "'it''s', 2, 120000000001, 120000000002, '>=', '<'"});
  EXPECT_FALSE(Compare(kByGroup, 2).usedStatements);
  EXPECT_FALSE(Compare(kByGroup, 0).usedStatements);  // every group's items
}

TEST_F(SummaryTest, EmptyTableGivesEveryCodeARowWithEmptyCells) {
  for (int classification = kByIndustry; classification <= kByState; ++classification) {
    SummaryRun run = Compare(classification);
    for (const SummarySheetResult& sheet : run.sheets) {
      EXPECT_FALSE(sheet.rows.empty());
      for (const SummaryRow& row : sheet.rows)
        for (const db::Variant& cell : row.cells) EXPECT_TRUE(cell.isNull()) << row.label;
    }
  }
  EXPECT_EQ(Summarize(db, {2}, kByState).sheets.at(0).rows.size(),
            static_cast<std::size_t>(testing::Count(db, "CT_state")));
}

// The rows stand in code order; a record whose code is not in the table counts on no row.
TEST_F(SummaryTest, RowsInCodeOrderAndUnknownCodesOnNoRow) {
  Insert("c901,c905,c904", "1,1,1");
  Insert("c901,c905,c904", "2,99999,1");
  Insert("c901,c905,c904", "3,NULL,1");
  const SummarySheetResult sheet = Summarize(db, {2}, kByIndustry).sheets.at(0);
  std::vector<db::Variant> names = testing::Column(db, "select name from CT_Industry order by id");
  ASSERT_EQ(sheet.rows.size(), names.size());
  std::int64_t counted = 0;
  for (std::size_t r = 0; r < names.size(); ++r) {
    EXPECT_EQ(sheet.rows[r].label, names[r].toString());
    counted += sheet.rows[r].cells.at(0).toInt64();
  }
  EXPECT_EQ(counted, 1);
  EXPECT_EQ(sheet.rows.front().cells.at(0).toInt64(), 1);  // code 1 is the first row
}

TEST_F(SummaryTest, UnionDomainRowsAreLabelledWithTheirCode) {
  Insert("c901,c907", "1,'A01'");
  const SummarySheetResult sheet = Summarize(db, {3}, kByUnionDomain).sheets.at(0);
  std::vector<std::string> labels;
  for (const SummaryRow& r : sheet.rows) labels.push_back(r.label);
  EXPECT_NE(std::find(labels.begin(), labels.end(), "(A01)教育"), labels.end());
  EXPECT_NE(std::find_if(labels.begin(), labels.end(), [](const std::string& l) { return l.rfind("(Z00)", 0) == 0; }),
            labels.end());
  EXPECT_EQ(std::find_if(labels.begin(), labels.end(), [](const std::string& l) { return l.rfind("(A00)", 0) == 0; }),
            labels.end());
  EXPECT_TRUE(std::is_sorted(labels.begin(), labels.end()));
}

TEST_F(SummaryTest, GroupItemsStandInTheirStoredOrderAndShareNoBound) {
  Insert("c901", "110000000005");
  Insert("c901", "120000000000");
  Insert("c901", "125000000000");
  Group(3, "LowValue DESC",
        {"'一', 3, 110000000000, 120000000000, '>=', '<'", "'二', 3, 120000000000, 130000000000, '>=', '<'"});
  EXPECT_EQ(ReversedOrder("LowValue DESC"), "LowValue asc");
  EXPECT_EQ(ReversedOrder(""), "id desc");
  const SummaryRun run = Compare(kByGroup, 3);
  const SummarySheetResult& sheet = run.sheets.at(0);
  ASSERT_EQ(sheet.rows.size(), 2u);
  EXPECT_EQ(sheet.rows[0].label, "二");  // descending LowValue from row 9 down
  EXPECT_EQ(sheet.rows[0].cells.at(0).toInt64(), 2);
  EXPECT_EQ(sheet.rows[1].label, "一");
  EXPECT_EQ(sheet.rows[1].cells.at(0).toInt64(), 1);
}

// A symbol with a blank, a fractional bound or an order no list stores is refused by both ways,
// naming the group and the value, and never handed to the engine.
TEST_F(SummaryTest, ItemsAndOrdersNoDialogStoresAreRefusedBothWays) {
  Insert("c901,z001", "110000000005,4");
  struct Case {
    const char* name;
    std::string orderstr;
    std::string item;
    std::string named;
  };
  const std::vector<Case> cases{
      {"a symbol with a blank", "id ASC", "'一', 4, 110000000000, 120000000000, '>=', '< '", "“< ”"},
      {"a fractional bound", "id ASC", "'二', 4, 1.5, 120000000000, '>=', '<'", "1.5"},
      {"a column the view lacks", "nonsense ASC", "'一', 4, 1, 2, '>=', '<'", "nonsense ASC"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Exec(db, "delete from CT_Group; delete from DT_GroupItem");
    Group(4, k.orderstr, {k.item});
    for (bool fast : {true, false}) {
      try {
        fast ? Summarize(db, {2}, kByGroup, 4) : SummarizeSheet(db, 2, kByGroup, 4);
        ADD_FAILURE() << "no refusal";
      } catch (const groups::GroupRefused& e) {
        EXPECT_NE(std::string(e.what()).find(k.named), std::string::npos) << e.what();
      }
    }
  }
}

TEST_F(SummaryTest, CoverAndUnknownSheetsDoNothing) {
  for (int sheet : {1, 0, 21}) {
    EXPECT_TRUE(SummarizeSheet(db, sheet, kByIndustry, 0).sheets.empty());
    EXPECT_TRUE(Summarize(db, {sheet}, kByIndustry).sheets.empty());
  }
  EXPECT_EQ(Summarize(db, {1, 6}, kByIndustry).sheets.at(0).sheet, 6);
}

// Sums beyond 64 bits fail as the engine fails them, both ways.
TEST_F(SummaryTest, IntegerOverflowFailsAsTheEngineDoes) {
  Insert("c901,c905,z001", "1,1,9000000000000000000");
  Insert("c901,c905,z001", "2,1,9000000000000000000");
  EXPECT_THROW(SummarizeSheet(db, 2, kByIndustry, 0), db::DbError);
  EXPECT_THROW(Summarize(db, {2}, kByIndustry), db::DbError);
}

TEST_F(SummaryTest, TextInASummedColumnGoesToTheStatements) {
  Insert("c901,c905,z001", "1,1,'abc'");
  Insert("c901,c905,z001", "2,1,'12'");
  EXPECT_TRUE(Compare(kByIndustry).usedStatements);
}

class StopAfter : public jobs::Job {
 public:
  explicit StopAfter(int calls) : left_(calls) {}
  void processEvents(bool) override { --left_; }
  bool stopRequested() const override { return left_ <= 0; }
  void start(std::int64_t total, std::int64_t) override { started = total; }
  void finish() override { ++finished; }
  std::int64_t started = -1;
  int finished = 0;

 private:
  int left_;
};

TEST_F(SummaryTest, StopDuringARun) {
  Generate(10000);
  StopAfter job(1);
  const SummaryRun run = Summarize(db, AllSheets(), kByIndustry, 0, job);
  EXPECT_TRUE(run.stopped);
  EXPECT_TRUE(run.sheets.empty());
  EXPECT_EQ(job.started, 10000);
  EXPECT_EQ(job.finished, 1);
  StopAfter early(1);
  const SummaryRun reference = SummarizeSheet(db, 2, kByIndustry, 0, early);
  EXPECT_TRUE(reference.stopped);
  EXPECT_TRUE(reference.sheets.empty());
}

}  // namespace
}  // namespace velmora::summary
