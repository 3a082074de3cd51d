// The review of this year against last year as the program reads the two: units matched by code,
// values that are no number left out, the reference as a file, a package or the previous-year table,
// verdicts, and what a hostile or unreadable reference ends in.
#include "core/review/year_review.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/exchange/reporting_package.h"
#include "core/intake/source_file.h"
#include "core/review/field_streams.h"
#include "core/review/verdicts.h"
#include "support/database.h"
#include "support/exchange_fixture.h"
#include "support/stopping_job.h"

namespace velmora::review {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kBase = 110000000000;

// A unit's row: code, state, and values of b001 and f010 (text for a value that is none).
struct UnitRow {
  std::int64_t n;  // the code is kBase + n
  int state;
  std::string b001, f010;
};

std::string Insert(const std::string& table, const UnitRow& r) {
  return "insert into " + table + "(c901, c902, c912, RecordState, b001, f010) values(" + std::to_string(kBase + r.n) +
         ", '单位" + std::to_string(r.n) + "', " + std::to_string(r.state) + ", 1, " + r.b001 + ", " + r.f010 + ");";
}

// The previous-year table has no reporting state, and its f008 is this year's f010.
std::string InsertPreviousYear(const UnitRow& r) {
  return "insert into dt_data_2010(c901, c902, RecordState, b001, f008) values(" + std::to_string(kBase + r.n) +
         ", '单位" + std::to_string(r.n) + "', 1, " + r.b001 + ", " + r.f010 + ");";
}

// Twenty units reporting both years with b001 moving a little and f010 as it was; unit 7's b001
// jumped, unit 3's b001 came from zero, and the values that are no number: text and a negative
// number last year, NULL this year. Unit 40 reported only last year, unit 41 only this year, unit
// 42 is not reporting this year (state 3).
struct Years {
  std::vector<UnitRow> last, current;
};

Years MakeYears() {
  Years y;
  for (int n = 1; n <= 20; ++n) {
    const int x = 100 + 10 * n;
    const int move = (n % 3) - 1;  // −1, 0 or +1 per cent
    y.last.push_back({n, 1, std::to_string(x), std::to_string(50 + n)});
    y.current.push_back({n, 1, std::to_string(x + x * move / 100), std::to_string(50 + n)});
  }
  y.current[6].b001 = "4000";    // unit 7
  y.last[2].b001 = "0";          // unit 3: 0 → 130
  y.current[2].b001 = "130000";  // well above the field's median
  y.last[4].b001 = "'abc'";      // unit 5: text
  y.last[5].b001 = "-60";        // unit 6: no entry box takes it
  y.current[7].b001 = "NULL";    // unit 8
  y.last.push_back({40, 1, "10", "10"});
  y.current.push_back({41, 1, "10", "10"});
  y.current.push_back({42, 3, "10", "10"});
  return y;
}

// What the field test makes of b001 from the values as they stand above: the oracle of the reading.
FieldReview ExpectedB001(const Years& y) {
  std::map<int, double> last, current;
  for (const UnitRow& r : y.last)
    if (r.n <= 20 && !last.count(static_cast<int>(r.n)) && r.b001.front() != '\'' && r.b001.front() != '-')
      last[static_cast<int>(r.n)] = std::stod(r.b001);
  std::vector<double> positive;
  for (const UnitRow& r : y.current)
    if (r.state <= 2 && r.b001 != "NULL") {
      if (r.n <= 20) current[static_cast<int>(r.n)] = std::stod(r.b001);
      if (std::stod(r.b001) > 0) positive.push_back(std::stod(r.b001));
    }
  std::vector<UnitValues> units;
  for (const auto& [n, x] : last)
    if (current.count(n)) units.push_back({kBase + n, x, current[n]});
  return ReviewValues(units, Median(positive), {});
}

class YearReviewTest : public testing::ExchangeFixture {
 protected:
  YearReviewTest() {
    years = MakeYears();
    std::string sql;
    for (const UnitRow& r : years.current) sql += Insert("dt_data", r);
    upper.exec(sql);
    lastFile = dir.copyOfShipped("last.mdb");
    sql.clear();
    for (const UnitRow& r : years.last) sql += Insert("dt_data", r);
    testing::Exec(lastFile, sql);
  }

  ReviewResult Run(const Reference& reference, ReviewOptions options = {}, jobs::Job& job = jobs::NoJob()) {
    options.fields = {"b001", "f010"};
    return RunReview(*upper.session, reference, options, job);
  }

  Years years;
  fs::path lastFile;
};

std::vector<std::tuple<std::int64_t, FindingKind, double, double>> Keys(const std::vector<Finding>& findings) {
  std::vector<std::tuple<std::int64_t, FindingKind, double, double>> keys;
  for (const Finding& f : findings) keys.emplace_back(f.unit, f.kind, f.last, f.current);
  return keys;
}

std::vector<std::tuple<std::int64_t, FindingKind, double, double>> Keys(const std::vector<ReviewFinding>& findings,
                                                                       const std::string& field) {
  std::vector<std::tuple<std::int64_t, FindingKind, double, double>> keys;
  for (const ReviewFinding& f : findings)
    if (f.field == field) keys.emplace_back(f.code, f.kind, f.last, f.current);
  return keys;
}

TEST_F(YearReviewTest, EachReferenceIsReadAsTheFieldTestExpects) {
  // The same last year as a package and as the previous-year table (f010 there is f008).
  testing::Office lastOffice;
  open(lastOffice, lastFile);
  const fs::path package = dir / "last.dat";
  exchange::WritePackage(*lastOffice.session, package.string(), "上年");
  std::string sql;
  for (const UnitRow& r : years.last) sql += InsertPreviousYear(r);
  upper.exec(sql);

  const FieldReview expected = ExpectedB001(years);
  ASSERT_FALSE(expected.skipped);
  ASSERT_GE(expected.findings.size(), 2u);  // unit 7 high, unit 3 from zero
  const struct {
    const char* name;
    Reference reference;
  } cases[] = {{"last year's database", {Reference::Kind::File, lastFile.string()}},
               {"a reporting package", {Reference::Kind::File, package.string()}},
               {"the previous-year table", {Reference::Kind::PreviousYear, {}}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ReviewResult r = Run(c.reference);
    EXPECT_EQ(r.roster.matched, 20);
    ASSERT_EQ(r.roster.missing.size(), 1u);
    EXPECT_EQ(r.roster.missing[0].code, kBase + 40);
    EXPECT_EQ(r.roster.missing[0].name, "单位40");
    ASSERT_EQ(r.roster.added.size(), 1u);
    EXPECT_EQ(r.roster.added[0].code, kBase + 41);
    EXPECT_EQ(Keys(r.findings, "b001"), Keys(expected.findings));
    EXPECT_TRUE(Keys(r.findings, "f010").empty());  // f010 (f008 last year) did not move
    ASSERT_EQ(r.fields.size(), 2u);
    EXPECT_EQ(r.fields[0].tested, expected.tested);
    EXPECT_DOUBLE_EQ(r.fields[0].medianRatio, expected.medianRatio);
    EXPECT_EQ(r.fields[1].skipped.value_or(""), kTooFewUnitsText);  // all unchanged: they leave the set
    EXPECT_EQ(r.findings.front().name, "单位7");
    EXPECT_EQ(r.totalFindings, static_cast<std::int64_t>(r.findings.size()));
  }
}

// A file of last year with only the codes and one field (no state, no names): every row is a unit,
// the field is tested as from any other file, the others are skipped with the reason.
TEST_F(YearReviewTest, AReferenceWithOnlyCodesAndOneFieldIsStillReviewed) {
  const fs::path bare = dir.copyOfShipped("bare.mdb");
  std::string sql = "alter table dt_data rename to dt_old; create table dt_data(c901 DOUBLE, b001 INTEGER);";
  for (const UnitRow& r : years.last)
    sql += "insert into dt_data values(" + std::to_string(kBase + r.n) + ", " + r.b001 + ");";
  testing::Exec(bare, sql);
  const ReviewResult r = Run({Reference::Kind::File, bare.string()});
  EXPECT_EQ(r.roster.matched, 20);
  ASSERT_EQ(r.roster.missing.size(), 1u);
  EXPECT_EQ(r.roster.missing[0].name, "");
  EXPECT_EQ(Keys(r.findings, "b001"), Keys(ExpectedB001(years).findings));
  ASSERT_EQ(r.fields.size(), 2u);
  EXPECT_EQ(r.fields[1].skipped.value_or(""), kNoReferenceFieldText);
}

TEST_F(YearReviewTest, AVerifiedFindingStaysHiddenUntilAValueChanges) {
  const Reference reference{Reference::Kind::File, lastFile.string()};
  ReviewResult r = Run(reference);
  ASSERT_FALSE(r.findings.empty());
  const ReviewFinding top = r.findings.front();
  EXPECT_FALSE(top.verified);
  MarkVerified(upper.session->SysADOConnection(), top, r.reference, "电话核实：新并入两个分会");

  r = Run(reference);
  EXPECT_TRUE(r.findings.front().verified);
  EXPECT_EQ(r.findings.front().note, "电话核实：新并入两个分会");
  EXPECT_FALSE(r.findings.back().verified);
  const std::vector<Verdict> kept = LoadVerdicts(upper.session->SysADOConnection());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].reference, lastFile.string());
  EXPECT_EQ(kept[0].time.size(), 19u);

  // A package of this database does not carry the verdicts.
  upper.exec("update dt_data set RecordState = 1");
  const fs::path package = dir / "upper.dat";
  exchange::WritePackage(*upper.session, package.string(), "上报");
  intake::SourceFile sent(package.string(), dir.path().string());
  EXPECT_FALSE(sent.hasTable(kVerdictTable));

  upper.exec("update dt_data set b001 = 4001 where c901 = " + std::to_string(top.code));
  r = Run(reference);
  ASSERT_EQ(r.findings.front().code, top.code);
  EXPECT_FALSE(r.findings.front().verified);  // shown again: this year's value changed
  ClearVerdict(upper.session->SysADOConnection(), top.code, top.field);
  EXPECT_TRUE(LoadVerdicts(upper.session->SysADOConnection()).empty());
}

TEST_F(YearReviewTest, OnlyTheFindingsOfMostImpactAreKeptButAllAreCounted) {
  ReviewOptions options;
  options.maxFindings = 1;
  const ReviewResult all = Run({Reference::Kind::File, lastFile.string()});
  const ReviewResult one = Run({Reference::Kind::File, lastFile.string()}, options);
  ASSERT_EQ(one.findings.size(), 1u);
  EXPECT_EQ(one.totalFindings, all.totalFindings);
  EXPECT_EQ(one.findings[0].code, all.findings[0].code);
  EXPECT_EQ(one.findings[0].field, all.findings[0].field);
}

TEST_F(YearReviewTest, AnUnreadableReferenceEndsInTheIntakesMessage) {
  const fs::path view = dir.copyOfShipped("view.mdb");
  testing::Exec(view, "alter table dt_data rename to dt_real; create view dt_data as select * from dt_real;");
  const fs::path none = dir.copyOfShipped("none.mdb");
  testing::Exec(none, "drop table dt_data;");
  const fs::path codeless = dir.copyOfShipped("codeless.mdb");
  testing::Exec(codeless, "alter table dt_data rename to dt_old; create table dt_data(c902 VARCHAR(60), b001 INTEGER);");
  const fs::path text = dir / "notes.mdb";
  { std::ofstream(text) << "not a database at all, just a clerk's notes"; }
  const struct {
    const char* name;
    fs::path file;
    intake::IntakeError::Kind kind;
    const char* says;
  } cases[] = {{"a view where the table should be", view, intake::IntakeError::Kind::NotATable, "dt_data"},
               {"no table", none, intake::IntakeError::Kind::NoTable, kNoReferenceTableText},
               {"no code column", codeless, intake::IntakeError::Kind::Layout, "c901"},
               {"not a database", text, intake::IntakeError::Kind::NotDatabase, "notes.mdb"},
               {"no file", dir / "gone.mdb", intake::IntakeError::Kind::Missing, "gone.mdb"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      Run({Reference::Kind::File, c.file.string()});
      ADD_FAILURE() << "reviewed";
    } catch (const intake::IntakeError& e) {
      EXPECT_EQ(e.kind(), c.kind) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

TEST_F(YearReviewTest, AStoppedReviewEndsWithItsMessageAndLeavesNoWorkFile) {
  for (std::int64_t after : {1, 2, 3}) {
    SCOPED_TRACE(after);
    testing::StoppingJob job(testing::StoppingJob::Counting::EventCalls, after);
    try {
      Run({Reference::Kind::File, lastFile.string()}, {}, job);
      ADD_FAILURE() << "not stopped";
    } catch (const intake::IntakeError& e) {
      EXPECT_EQ(e.kind(), intake::IntakeError::Kind::Stopped);
      EXPECT_STREQ(e.what(), kReviewStoppedText);
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
      EXPECT_EQ(entry.path().filename().string().rfind("~vm", 0), std::string::npos) << entry.path();
  }
}

// Values go in field by field and come back in their order, across buffer boundaries, whatever
// their size or kind.
TEST(FieldStreams, ValuesComeBackInTheirOrder) {
  testing::TempDir dir;
  const double none = std::nan("");
  const std::vector<std::vector<double>> fields = {
      {},
      {0, 1, 2, 3, 4, 5, 6},
      {none, 7, none, none},
      {2.5, 4294967293.0, 4294967294.0, 1e14, 3, 0.125, 12345678901.0, -1},  // wide ones among whole ones
  };
  for (std::size_t buffer : {3u, 4u, 5u, 1000u}) {
    SCOPED_TRACE(buffer);
    FieldStreams streams(dir.path().string(), fields.size(), buffer);
    for (std::size_t i = 0; i < 8; ++i)  // interleaved, as rows give them
      for (std::size_t f = 0; f < fields.size(); ++f)
        if (i < fields[f].size()) streams.add(f, fields[f][i]);
    streams.finish();
    for (std::size_t f = 0; f < fields.size(); ++f) {
      std::vector<double> back;
      streams.read(f, [&](std::uint64_t i, double v) {
        EXPECT_EQ(i, back.size());
        back.push_back(v);
      });
      ASSERT_EQ(back.size(), fields[f].size()) << f;
      for (std::size_t i = 0; i < back.size(); ++i)
        if (std::isnan(fields[f][i]))
          EXPECT_TRUE(std::isnan(back[i]));
        else
          EXPECT_EQ(back[i], fields[f][i]) << f << "," << i;
    }
  }
}

}  // namespace
}  // namespace velmora::review
