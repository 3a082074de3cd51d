// Generated records: reproducible, realistic, consistent with the rule table and the code tables,
// closed fields zero, the faulty share as asked, and nothing half-written when a run stops.
#include "core/records/generator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/records/generator_random.h"
#include "support/test_paths.h"
#include "support/database.h"
#include "core/db/statement.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::ShippedDatabase;
using testing::TempDir;

constexpr std::int64_t kRecords = 2000;

// The first column of the first row of a statement in the program's dialect.
std::int64_t Scalar(db::Connection& c, const std::string& sql) {
  db::Statement st(c, sql);
  return st.step() ? st.int64(0) : -1;
}

std::vector<std::string> Texts(db::Connection& c, const std::string& sql) {
  std::vector<std::string> out;
  for (const db::Variant& v : testing::Column(c, sql)) out.push_back(v.toString());
  return out;
}

// Every value of every record, in code order.
std::string DumpRecords(const fs::path& file) {
  db::Connection c(testing::ConnectionTo(file));
  db::Statement st = db::Statement::Native(c, "SELECT * FROM dt_data ORDER BY c901");
  std::string dump;
  while (st.step()) {
    for (int i = 0; i < st.columnCount(); ++i) {
      dump += st.isNull(i) ? std::string("<null>") : st.text(i);
      dump += '|';
    }
    dump += '\n';
  }
  return dump;
}

fs::path Generated(const TempDir& dir, const std::string& name, std::uint64_t seed, double faulty = 5,
                   std::int64_t records = kRecords) {
  fs::path file = dir.copyOfShipped(name);
  GenerateRecords(file.string(), GenerateOptions{records, seed, faulty});
  return file;
}

// One generated database shared by the read-only checks.
class GeneratedDatabase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    file_ = Generated(*dir_, "generated.mdb", 11);
  }
  static void TearDownTestSuite() { dir_.reset(); }

  GeneratedDatabase() : connection(testing::ConnectionTo(file_)) {}
  std::int64_t count(const std::string& where) { return Scalar(connection, "SELECT count(*) FROM dt_data WHERE " + where); }

  static std::unique_ptr<TempDir> dir_;
  static fs::path file_;
  db::Connection connection;
};
std::unique_ptr<TempDir> GeneratedDatabase::dir_;
fs::path GeneratedDatabase::file_;

TEST_F(GeneratedDatabase, SameSeedGivesTheSameRecordsAndAnotherSeedOthers) {
  TempDir dir;
  const std::string reference = DumpRecords(file_);
  EXPECT_EQ(DumpRecords(Generated(dir, "same.mdb", 11)), reference);
  const fs::path viaCopy = dir / "copy.mdb";
  GenerateDatabase(ShippedDatabase().string(), viaCopy.string(), GenerateOptions{kRecords, 11, 5});
  EXPECT_EQ(DumpRecords(viaCopy), reference);
  EXPECT_NE(DumpRecords(Generated(dir, "other.mdb", 12)), reference);
}

// The rule table holds each rule's firing condition. The entry form evaluates the rules on whole
// numbers, so they must also hold with the amounts rounded to whole yuan.
TEST_F(GeneratedDatabase, PassingRecordsFireNoRuleAndFailingRecordsFireOne) {
  // Of two columns with the same name the first one counts: the rounded amounts come first.
  const std::string roundedFirst = "SELECT round(b005) AS b005, round(b006) AS b006, round(b011) AS b011, "
                             "round(b025) AS b025, round(b029) AS b029, round(j011) AS j011, * FROM dt_data";
  struct Source {
    const char* what;
    std::string from;
  };
  const Source sources[] = {{"stored values", "dt_data"}, {"amounts rounded", "(" + roundedFirst + ")"}};

  const std::vector<std::string> ids = Texts(connection, "SELECT id FROM dt_logic ORDER BY id");
  const std::vector<std::string> expressions = Texts(connection, "SELECT expression FROM dt_logic ORDER BY id");
  ASSERT_EQ(expressions.size(), 125u);
  std::string anyFires;
  for (const auto& e : expressions) anyFires += (anyFires.empty() ? "(" : " OR (") + e + ")";

  for (const auto& source : sources) {
    SCOPED_TRACE(source.what);
    for (std::size_t i = 0; i < expressions.size(); ++i)
      EXPECT_EQ(Scalar(connection, "SELECT count(*) FROM " + source.from + " WHERE RecordState=1 AND (" +
                                       expressions[i] + ")"),
                0)
          << "rule " << ids[i] << ": " << expressions[i];
    EXPECT_EQ(Scalar(connection, "SELECT count(*) FROM " + source.from + " WHERE RecordState=2 AND NOT (" +
                                     anyFires + ")"),
              0);
  }
  EXPECT_GT(count("RecordState=1"), 0);
  EXPECT_GT(count("RecordState=2"), 0);
  EXPECT_EQ(count("RecordState NOT IN (1, 2)"), 0);
}

TEST_F(GeneratedDatabase, CodesAreUniqueTwelveDigitsWithinTheirDivision) {
  EXPECT_EQ(Scalar(connection, "SELECT count(DISTINCT c901) FROM dt_data"), kRecords);
  EXPECT_EQ(Scalar(connection, "SELECT count(DISTINCT id) FROM dt_data"), kRecords);
  EXPECT_EQ(count("c901 < 100000000000 OR c901 > 999999999999 OR c901 <> round(c901)"), 0);
  EXPECT_EQ(count("CAST(c901 / 1000000 AS INTEGER) <> c903"), 0);
}

TEST_F(GeneratedDatabase, CodeColumnsUseCodesOfTheirTables) {
  struct Case {
    const char* column;
    const char* violation;
  };
  const Case cases[] = {
      {"c903", "c903 NOT IN (SELECT ID FROM CT_CityName WHERE Code3<>0)"},
      {"c904", "c904 NOT IN (SELECT ID FROM CT_LevelCode WHERE ID<>0)"},
      {"c905", "c905 NOT IN (SELECT ID FROM CT_Industry WHERE ID<>0)"},
      {"c906", "c906 NOT IN (SELECT ID FROM CT_Economic WHERE ID<>0)"},
      {"c907", "c907 NOT IN (SELECT ID FROM CT_UnionDomain WHERE Code2<>0)"},
      {"c909", "c909 NOT IN (SELECT ID FROM CT_HoldSituation)"},
      {"c909 of 169", "c906=169 AND (c909=1 OR c909 NOT IN (SELECT ID FROM CT_HoldSituation1 WHERE ID<>0))"},
      {"c912", "c912 NOT IN (SELECT ID FROM CT_state WHERE ID<>0) OR c912 > 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(count(c.violation), 0) << c.column;
  // the picks spread over the tables
  EXPECT_GT(Scalar(connection, "SELECT count(DISTINCT c906) FROM dt_data"), 10);
  EXPECT_GT(Scalar(connection, "SELECT count(DISTINCT c903) FROM dt_data"), 100);
}

TEST_F(GeneratedDatabase, HoldingSituationFollowsTheUnitCategory) {
  struct Case {
    const char* categories;
    const char* allowed;
  };
  const Case cases[] = {
      {"110, 151, 161", "c909 = 1"},
      {"120, 130", "c909 = 2"},
      {"170, 200, 300", "c909 = 3"},
      {"401, 402, 500, 600, 701, 702, 703, 704", "c909 = 0"},
      {"140, 159, 190, 169", "c909 BETWEEN 1 AND 3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.categories);
    EXPECT_GT(count(std::string("c906 IN (") + c.categories + ")"), 0);
    EXPECT_EQ(count(std::string("c906 IN (") + c.categories + ") AND NOT (" + c.allowed + ")"), 0);
  }
}

std::string AnyNonZero(char prefix, int from, int to) {
  std::string sql;
  for (int n = from; n <= to; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "%c%03d", prefix, n);
    sql += (sql.empty() ? "" : " OR ") + std::string(name) + " <> 0";
  }
  return "(" + sql + ")";
}

TEST_F(GeneratedDatabase, FieldsClosedByTheUnitCategoryAreZero) {
  const std::string enterprise = AnyNonZero('b', 27, 28);
  const std::string contracts = AnyNonZero('h', 1, 10);
  const std::string boards = AnyNonZero('h', 11, 22);
  const std::string pages4to6 = "(" + AnyNonZero('l', 1, 10) + " OR " + AnyNonZero('f', 1, 26) + " OR " +
                                AnyNonZero('j', 1, 23) + ")";
  struct Case {
    const char* categories;
    std::string closed;
  };
  const Case cases[] = {
      {"500", enterprise + " OR " + contracts + " OR " + boards + " OR " + pages4to6},
      {"401, 402, 701, 702, 703, 704", enterprise + " OR " + boards},
      {"110, 600", boards},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.categories);
    EXPECT_EQ(count(std::string("c906 IN (") + c.categories + ") AND (" + c.closed + ")"), 0);
  }
  // Open fields are filled where the category keeps them open.
  EXPECT_GT(count("c906 NOT IN (500, 401, 402, 701, 702, 703, 704, 110, 600) AND " + boards), 0);
  EXPECT_GT(count("c906 NOT IN (500) AND " + pages4to6), 0);
  EXPECT_GT(count("c906 NOT IN (500, 401, 402, 701, 702, 703, 704) AND " + enterprise), 0);
}

TEST_F(GeneratedDatabase, CoverTextsAreValid) {
  struct Case {
    const char* what;
    const char* violation;
  };
  const Case cases[] = {
      {"c900 stamp", "length(c900) <> 32 OR c900 GLOB '*[^0-9A-F]*'"},
      {"c902 name", "c902 NOT LIKE '%工会' OR length(c902) > 60 OR instr(c902, '''') OR instr(c902, '\"') "
                    "OR instr(c902, '`')"},
      {"c907 category", "c907 NOT GLOB '[A-Z][0-9][0-9]'"},
      {"c910 person", "length(trim(c910)) = 0 OR length(c910) > 50"},
      {"c911 telephone", "length(c911) < 7 OR c911 GLOB '*[^0-9-]*'"},
      {"amounts of two decimals", "abs(b005*100 - round(b005*100)) > 1e-6 OR abs(b006*100 - round(b006*100)) > 1e-6 "
                                  "OR abs(b029*100 - round(b029*100)) > 1e-6 OR abs(j011*100 - round(j011*100)) > 1e-6"},
  };
  for (const auto& c : cases) EXPECT_EQ(count(c.violation), 0) << c.what;
  EXPECT_GT(Scalar(connection, "SELECT count(DISTINCT c902) FROM dt_data"), kRecords * 9 / 10);
}

TEST_F(GeneratedDatabase, SizesAreThoseOfRealUnits) {
  EXPECT_EQ(count("z002 < 3 OR z002 > 10000"), 0);
  EXPECT_GT(count("z002 < 30"), kRecords / 5);
  EXPECT_GT(count("z002 >= 1000"), 0);
  EXPECT_GT(count("z006 < z002"), kRecords / 2);  // not every employee joins
  EXPECT_GT(count("b003 > 0"), 0);                // some units owe wages
}

// The upper half of a 64 x 64 bit product, on which every drawn number rests: a wrong carry
// changes every generated file.
TEST(Generator, HighHalfOfTheProductIsExact) {
  using velmora::generator::Random;
  constexpr std::uint64_t kMax = ~std::uint64_t{0};
  struct Case {
    std::uint64_t a, b, high;
  } cases[] = {
      {0, kMax, 0},
      {kMax, kMax, kMax - 1},
      {std::uint64_t{1} << 32, std::uint64_t{1} << 32, 1},
      {kMax, 2, 1},
      {0xFFFFFFFFu, 0xFFFFFFFFu, 0},
      {0x8000000000000000u, 3, 1},
      {0x123456789ABCDEF0u, 0x0FEDCBA987654321u, 0x0121FA00AD77D742u},
      {0xFFFFFFFF00000001u, 0xFFFFFFFF00000001u, 0xFFFFFFFE00000002u},
  };
  for (const Case& c : cases) EXPECT_EQ(Random::MulHigh(c.a, c.b), c.high) << c.a << " * " << c.b;
}

TEST(Generator, FaultyShareFollowsTheOption) {
  const double percents[] = {0, 5, 30, 100};
  for (double percent : percents) {
    SCOPED_TRACE(percent);
    TempDir dir;
    fs::path file = dir.copyOfShipped();
    GenerateResult result = GenerateRecords(file.string(), GenerateOptions{kRecords, 5, percent});
    db::Connection c(testing::ConnectionTo(file));
    const std::int64_t faulty = Scalar(c, "SELECT count(*) FROM dt_data WHERE RecordState=2");
    EXPECT_EQ(result.records, kRecords);
    EXPECT_EQ(result.faulty, faulty);
    EXPECT_NEAR(100.0 * static_cast<double>(faulty) / kRecords, percent, percent == 0 || percent == 100 ? 0 : 2.5);
  }
}

TEST(Generator, AppendingContinuesCodesAndRowNumbers) {
  TempDir dir;
  fs::path file = Generated(dir, "twice.mdb", 1, 5, 1000);
  GenerateRecords(file.string(), GenerateOptions{1000, 2, 5});
  db::Connection c(testing::ConnectionTo(file));
  EXPECT_EQ(Scalar(c, "SELECT count(*) FROM dt_data"), 2000);
  EXPECT_EQ(Scalar(c, "SELECT count(DISTINCT c901) FROM dt_data"), 2000);
  EXPECT_EQ(Scalar(c, "SELECT count(DISTINCT id) FROM dt_data"), 2000);
}

// A job that counts what it is told and stops once `stopAt` records are done (never when -1).
struct CountingJob : jobs::Job {
  std::int64_t stopAt = -1;
  std::int64_t total = -1, done = 0;
  int starts = 0, finishes = 0, polls = 0;
  void start(std::int64_t t, std::int64_t d) override {
    ++starts;
    total = t;
    done = d;
  }
  void step(std::int64_t count) override { done += count; }
  void finish() override { ++finishes; }
  bool stopRequested() const override { return stopAt >= 0 && done >= stopAt; }
  void processEvents(bool) override { ++polls; }
};

TEST(Generator, StoppedRunsLeaveFilesAsTheyWere) {
  TempDir dir;
  CountingJob stop;
  stop.stopAt = 0;

  const fs::path fresh = dir / "fresh.mdb";
  EXPECT_TRUE(GenerateDatabase(ShippedDatabase().string(), fresh.string(), {500, 1, 5}, stop).cancelled);
  EXPECT_TRUE(fs::is_empty(dir.path()));

  // a file that is no database is never an output; a database only when it may be replaced
  const fs::path existing = dir / "existing.mdb";
  testing::WriteFileBytes(existing, "earlier content");
  EXPECT_THROW(GenerateDatabase(ShippedDatabase().string(), existing.string(), {500, 1, 5, true}, stop),
               GenerateError);
  EXPECT_EQ(testing::ReadFileBytes(existing), "earlier content");
  const fs::path database = Generated(dir, "database.mdb", 1, 5, 30);
  const std::string records = DumpRecords(database);
  EXPECT_THROW(GenerateDatabase(ShippedDatabase().string(), database.string(), {500, 1, 5}, stop), GenerateError);
  EXPECT_TRUE(GenerateDatabase(ShippedDatabase().string(), database.string(), {500, 1, 5, true}, stop).cancelled);
  EXPECT_EQ(DumpRecords(database), records);
  for (const auto& e : fs::directory_iterator(dir.path())) EXPECT_NE(e.path().filename().string()[0], '~');

  const fs::path inPlace = Generated(dir, "inplace.mdb", 1, 5, 300);
  const std::string before = DumpRecords(inPlace);
  EXPECT_TRUE(GenerateRecords(inPlace.string(), {500, 2, 5}, stop).cancelled);
  EXPECT_EQ(DumpRecords(inPlace), before);
  db::Connection c(testing::ConnectionTo(inPlace));
  EXPECT_EQ(Texts(c, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
}

TEST(Generator, TheJobCountsEveryRecordAndCanStopMidway) {
  TempDir dir;
  CountingJob job;
  EXPECT_FALSE(GenerateDatabase(ShippedDatabase().string(), (dir / "p.mdb").string(), {20000, 1, 5}, job).cancelled);
  EXPECT_EQ(job.total, 20000);
  EXPECT_EQ(job.done, 20000);
  EXPECT_EQ(job.starts, 1);
  EXPECT_EQ(job.finishes, 1);
  EXPECT_GE(job.polls, 3);  // every few thousand records and at the end, not per record
  EXPECT_LE(job.polls, 20);

  // A stop after some thousands of records: nothing at the output, the job finished.
  CountingJob midway;
  midway.stopAt = 9000;
  EXPECT_TRUE(GenerateDatabase(ShippedDatabase().string(), (dir / "q.mdb").string(), {20000, 1, 5}, midway).cancelled);
  EXPECT_FALSE(fs::exists(dir / "q.mdb"));
  EXPECT_LT(midway.done, 20000);
  EXPECT_EQ(midway.finishes, 1);
}

TEST(Generator, RefusesBadOptionsAndDatabasesWithoutCodes) {
  TempDir dir;
  const fs::path out = dir / "out.mdb";
  EXPECT_THROW(GenerateDatabase(ShippedDatabase().string(), out.string(), {-1, 1, 5}), GenerateError);
  EXPECT_THROW(GenerateDatabase(ShippedDatabase().string(), out.string(), {10, 1, 120}), GenerateError);

  const fs::path bare = dir / "bare.mdb";
  db::CreateDatabase(testing::ConnectionTo(bare));
  EXPECT_ANY_THROW(GenerateDatabase(bare.string(), out.string(), {10, 1, 5}));
  EXPECT_FALSE(fs::exists(out));

  // a database with the records table but an empty code table
  const fs::path noCodes = dir.copyOfShipped("nocodes.mdb");
  {
    db::Connection c(testing::ConnectionTo(noCodes));
    c.execute("DELETE FROM CT_Industry");
  }
  EXPECT_THROW(GenerateRecords(noCodes.string(), {10, 1, 5}), GenerateError);
  fs::remove(bare);
  fs::remove(noCodes);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
}  // namespace velmora
