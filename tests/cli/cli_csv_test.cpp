// velmora-cli csv, as a script at the upper-level office runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

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

TEST(CliCsv, ExportImportConflictsAndTheGate) {
  TempDir dir;
  const fs::path unit = dir / "unit.mdb", upper = dir.copyOfShipped("upper.mdb");
  ASSERT_EQ(RunCli("generate --records 30 --faulty 0 --out " + ShellQuote(unit.string()), dir.path()).code, 0);

  CliResult e = RunCli(Db(unit) + "csv export --out " + ShellQuote((dir / "out").string()), dir.path());
  ASSERT_EQ(e.code, 0) << e.err;
  EXPECT_EQ(e.out, "records: 30\ncsv: " + (dir / "out.csv").string() + "\n");

  const std::string report = (dir / "r.txt").string();
  CliResult i = RunCli(Db(upper) + "csv import " + ShellQuote((dir / "out.csv").string()) + " --report " +
                           ShellQuote(report), dir.path());
  EXPECT_EQ(i.code, 0) << i.err;
  EXPECT_NE(i.out.find("imported: 30\n"), std::string::npos) << i.out;
  EXPECT_EQ(Count(upper, "dt_data"), 30);

  CliResult again = RunCli(Db(upper) + "csv import " + ShellQuote((dir / "out.csv").string()) + " --report " +
                               ShellQuote(report), dir.path());
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.out.find("conflicts: 30\n"), std::string::npos) << again.out;
  EXPECT_NE(again.out.find("report: " + report + "\n"), std::string::npos) << again.out;
  EXPECT_TRUE(fs::exists(report));
  EXPECT_EQ(Count(upper, "dt_data"), 30);

  RunCli(Db(unit) + "sql \"update dt_data set RecordState=0 where c901=(select min(c901) from dt_data)\"", dir.path());
  CliResult gate = RunCli(Db(unit) + "csv export --out " + ShellQuote((dir / "gate.csv").string()), dir.path());
  EXPECT_EQ(gate.code, 1);
  EXPECT_EQ(gate.err, "存在临时保存或逻辑错误的数据，不能导出上报数据!\n");
  EXPECT_FALSE(fs::exists(dir / "gate.csv"));

  CliResult bad = RunCli(Db(upper) + "csv import " + ShellQuote((dir / "r.txt").string()), dir.path());
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.err.find("文件格式不对"), std::string::npos) << bad.err;
  EXPECT_EQ(RunCli(Db(upper) + "csv", dir.path()).code, 2);
}

TEST(CliCsvKill, KilledImportLeavesNoneOfTheRows) {
  TempDir dir;
  const fs::path unit = dir / "unit.mdb", upper = dir.copyOfShipped("upper.mdb"), file = dir / "big.csv";
  ASSERT_EQ(RunCli("generate --records 100000 --faulty 0 --out " + ShellQuote(unit.string()), dir.path()).code, 0);
  ASSERT_EQ(RunCli(Db(unit) + "csv export --out " + ShellQuote(file.string()), dir.path()).code, 0);
  const std::int64_t before = Count(upper, "dt_data");

  ASSERT_TRUE(testing::KillCliWhileItWrites({"--db", upper.string(), "csv", "import", file.string(), "--report",
                                (dir / "r.txt").string()}, upper, 30))
      << "the import ended before it could be killed";
  EXPECT_EQ(Count(upper, "dt_data"), before);
  EXPECT_EQ(Count(upper, "dt_data_dt_data"), 0);
  EXPECT_EQ(testing::IntegrityCheck(upper), "ok");
}

}  // namespace
}  // namespace velmora
