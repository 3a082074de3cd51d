// The roster: units matched by code, the new ones and the ones not reported yet; what a file from
// elsewhere may hold instead of a code is not a unit.
#include "core/review/roster.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/db/connection.h"
#include "core/intake/source_file.h"
#include "core/jobs/job.h"
#include "support/database.h"
#include "support/test_paths.h"

namespace velmora::review {
namespace {

std::vector<std::int64_t> Codes(const std::vector<RosterUnit>& units) {
  std::vector<std::int64_t> codes;
  for (const RosterUnit& u : units) codes.push_back(u.code);
  return codes;
}

std::vector<RosterUnit> Units(std::vector<std::int64_t> codes) {
  std::vector<RosterUnit> units;
  for (std::int64_t c : codes) units.push_back({c, "单位" + std::to_string(c)});
  return units;
}

TEST(Roster, MatchedNewAndMissingByCode) {
  const struct {
    const char* name;
    std::vector<std::int64_t> current, reference;
    std::int64_t matched;
    std::vector<std::int64_t> added, missing;
  } cases[] = {
      {"both empty", {}, {}, 0, {}, {}},
      {"no reference", {3, 1, 2}, {}, 0, {1, 2, 3}, {}},
      {"nobody reported yet", {}, {5, 4}, 0, {}, {4, 5}},
      {"the same units", {1, 2, 3}, {3, 2, 1}, 3, {}, {}},
      {"interleaved", {1, 3, 5, 7}, {2, 3, 4, 7, 9}, 2, {1, 5}, {2, 4, 9}},
      {"a code twice counts once", {1, 1, 2}, {2, 2, 8}, 1, {1}, {8}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Roster r = CompareUnits(Units(c.current), Units(c.reference));
    EXPECT_EQ(r.matched, c.matched);
    EXPECT_EQ(Codes(r.added), c.added);
    EXPECT_EQ(Codes(r.missing), c.missing);
  }
  const Roster named = CompareUnits(Units({7}), Units({8}));
  EXPECT_EQ(named.added[0].name, "单位7");
  EXPECT_EQ(named.missing[0].name, "单位8");
}

TEST(Roster, ReportingUnitsAreWholeNumberCodesInState1Or2) {
  testing::TempDir dir;
  const auto file = dir / "units.mdb";
  db::CreateDatabase(testing::ConnectionTo(file));
  db::Connection c(testing::ConnectionTo(file));
  testing::Exec(c,
                "create table dt_data(c901, c902 text, c912);"
                "insert into dt_data values(100000000003, '丙', 1);"
                "insert into dt_data values(100000000001, '甲', 2);"
                "insert into dt_data values(100000000002, '乙', 3);"        // not reporting this year
                "insert into dt_data values('100000000004', '丁', 1);"      // a code as text
                "insert into dt_data values(NULL, '戊', 1);"
                "insert into dt_data values(100000000005.5, '己', 1);"      // not a whole number
                "insert into dt_data values(-1, '庚', 1);"
                "insert into dt_data values(100000000001, '甲二', 1);"      // the code again
                "insert into dt_data values(100000000006, '辛', NULL);");   // no state
  const std::vector<RosterUnit> units = ReportingUnits(c);
  EXPECT_EQ(Codes(units), (std::vector<std::int64_t>{100000000001, 100000000003}));
  EXPECT_EQ(units[0].name, "甲");
}

}  // namespace
}  // namespace velmora::review

namespace velmora::review {
namespace {

// Last year's file as the intake reads it: a copy of the shipped database with a few units, and the
// same file with dt_data made a view or taken away.
TEST(Roster, ReferenceUnitsAreReadThroughTheIntake) {
  testing::TempDir dir;
  const auto ours = dir.copyOfShipped("ours.mdb");
  const auto last = dir.copyOfShipped("last.mdb");
  testing::Exec(last, "insert into dt_data(c901, c902, c912) values(100000000002, '乙', 1);"
                      "insert into dt_data(c901, c902, c912) values(100000000001, '甲', 2);"
                      "insert into dt_data(c901, c902, c912) values(100000000009, '壬', 3);");
  const auto view = dir.copyOfShipped("view.mdb");
  testing::Exec(view, "alter table dt_data rename to dt_real; create view dt_data as select * from dt_real;");
  const auto none = dir.copyOfShipped("none.mdb");
  testing::Exec(none, "drop table dt_data;");
  db::Connection c(testing::ConnectionTo(ours));

  intake::SourceFile reference(last.string(), dir.path().string());
  EXPECT_EQ(Codes(ReferenceUnits(reference, c, jobs::NoJob())),
            (std::vector<std::int64_t>{100000000001, 100000000002}));

  const struct {
    const char* name;
    std::filesystem::path file;
    intake::IntakeError::Kind kind;
  } refused[] = {{"a view where the table should be", view, intake::IntakeError::Kind::NotATable},
                 {"no table", none, intake::IntakeError::Kind::NoTable}};
  for (const auto& r : refused) {
    SCOPED_TRACE(r.name);
    intake::SourceFile file(r.file.string(), dir.path().string());
    try {
      ReferenceUnits(file, c, jobs::NoJob());
      ADD_FAILURE() << "read";
    } catch (const intake::IntakeError& e) {
      EXPECT_EQ(e.kind(), r.kind) << e.what();
    }
  }
}

}  // namespace
}  // namespace velmora::review
