// velmora-cli import-records, migrate and tidy, as a script at the upper-level office runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/exchange/year_migration.h"
#include "support/database.h"
#include "support/run_cli.h"
#include "support/test_paths.h"


namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::Count;
using testing::RunCli;
using testing::ShellQuote;
using testing::TempDir;

std::string Db(const fs::path& file) { return "--db " + ShellQuote(file.string()) + " "; }

TEST(CliRecords, ImportRecordsPrintsWhatWentInUnderEitherPrinciple) {
  TempDir dir;
  const fs::path unit = dir / "unit.mdb";
  ASSERT_EQ(RunCli("generate --records 5 --faulty 0 --out " + ShellQuote(unit.string()), dir.path()).code, 0);
  const std::string third = testing::Scalar(unit, "SELECT c901 FROM dt_data ORDER BY rowid LIMIT 1 OFFSET 2").toString();
  struct Case {
    const char* name;
    std::string flags;
    int code;
    std::string out;      // what standard output ends with
    std::int64_t stored;  // rows of dt_data afterwards
  };
  const std::vector<Case> cases{
      {"give everything up", "", 1, "imported: 0\nskipped: 0\n", 1},
      {"skip the failing one", " --skip-failing", 0, "导入操作已经完成。\nimported: 4\nskipped: 1\n", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path upper = dir.copyOfShipped(std::string("upper-") + (c.flags.empty() ? "a" : "b") + ".mdb");
    testing::Exec(upper, "INSERT INTO dt_data(c901,c902,c912,RecordState) VALUES (" + third + ",'已有的单位工会',1,1)");
    const CliResult r = RunCli(Db(upper) + "import-records " + ShellQuote(unit.string()) + c.flags, dir.path());
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_NE(r.err.find("已有的单位工会"), std::string::npos) << r.err;
    EXPECT_EQ(Count(upper, "dt_data"), c.stored);
  }
  const CliResult usage = RunCli("import-records", dir.path());
  EXPECT_EQ(usage.code, 2);
}

TEST(CliRecords, MigrateAndTidyPrintTheRowsTheyChanged) {
  TempDir dir;
  const fs::path db = dir.copyOfShipped("office.mdb");
  testing::Exec(db,
                "INSERT INTO dt_data_2010(c901,c902,f004) VALUES (100000000001,'甲',7), (100000000002,'乙',8);"
                "INSERT INTO dt_data(c901,c902,c912) VALUES (100000000003,'丙',0), (100000000004,'丁',2)");
  const CliResult migrate = RunCli(Db(db) + "migrate", dir.path());
  EXPECT_EQ(migrate.code, 0) << migrate.err;
  EXPECT_EQ(migrate.out, "数据已经转换成功!\nmigrated: 2\n");
  EXPECT_EQ(Count(db, "dt_data_2010"), 0);
  // The migrated records carry c912 1; the tidy finds the one record with 0.
  const CliResult tidy = RunCli(Db(db) + "tidy", dir.path());
  EXPECT_EQ(tidy.code, 0) << tidy.err;
  EXPECT_EQ(tidy.out, "数据整理完成\ntidied: 1\n");
  EXPECT_EQ(Count(db, "dt_data where c912=0"), 0);
  // Migrating the same codes again fails and changes nothing.
  testing::Exec(db, "INSERT INTO dt_data_2010(c901,c902) VALUES (100000000001,'甲')");
  const CliResult again = RunCli(Db(db) + "migrate", dir.path());
  EXPECT_EQ(again.code, 1);
  EXPECT_EQ(Count(db, "dt_data_2010"), 1);
  EXPECT_EQ(Count(db, "dt_data"), 4);
  // Nothing to migrate is said, not reported as a migration.
  testing::Exec(db, "DELETE FROM dt_data_2010");
  const CliResult none = RunCli(Db(db) + "migrate", dir.path());
  EXPECT_EQ(none.code, 0) << none.err;
  EXPECT_EQ(none.out, std::string(exchange::kNothingToMigrateText) + "\nmigrated: 0\n");
}

TEST(CliRecordsKill, KilledImportLeavesNoneOfTheRows) {
  TempDir dir;
  const fs::path unit = dir / "unit.mdb", upper = dir.copyOfShipped("upper.mdb");
  ASSERT_EQ(RunCli("generate --records 100000 --faulty 0 --out " + ShellQuote(unit.string()), dir.path()).code, 0);
  const std::int64_t before = Count(upper, "dt_data");

  ASSERT_TRUE(testing::KillCliWhileItWrites({"--db", upper.string(), "import-records", unit.string()}, upper, 100))
      << "the import ended before it could be killed";
  EXPECT_EQ(Count(upper, "dt_data"), before);
  EXPECT_EQ(testing::IntegrityCheck(upper), "ok");
}

}  // namespace
}  // namespace velmora
