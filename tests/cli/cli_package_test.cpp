// velmora-cli package, backup and restore, as a script at the upper-level office runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/text/gbk_encoder.h"
#include "support/database.h"
#include "support/run_cli.h"
#include "support/test_paths.h"


namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::Count;
using testing::ReadFileBytes;
using testing::RunCli;
using testing::ShellQuote;
using testing::TempDir;

std::string Db(const fs::path& file) { return "--db " + ShellQuote(file.string()) + " "; }

class CliPackage : public ::testing::Test {
 protected:
  CliPackage() {
    const CliResult g = RunCli("generate --records 40 --faulty 0 --out " + ShellQuote(unit().string()), dir.path());
    EXPECT_EQ(g.code, 0) << g.err;
    upper = dir.copyOfShipped("upper.mdb");
  }
  fs::path unit() const { return dir / "unit.mdb"; }

  TempDir dir;
  fs::path upper;
};

TEST_F(CliPackage, ExportInfoImportAndTheSameAgain) {
  CliResult e = RunCli(Db(unit()) + "package export --out " + ShellQuote((dir / "a").string()) + " --label 某区总工会", dir.path());
  ASSERT_EQ(e.code, 0) << e.err;
  EXPECT_NE(e.out.find("records: 40\n"), std::string::npos);
  CliResult info = RunCli("package info " + ShellQuote((dir / "a.dat").string()), dir.path());
  EXPECT_EQ(info.code, 0) << info.err;
  EXPECT_EQ(info.out, "label: 某区总工会\nrecords: 40\nmanifest: ok\n");

  const std::string report = ShellQuote((dir / "r.txt").string());
  CliResult i = RunCli(Db(upper) + "package import " + ShellQuote((dir / "a.dat").string()) + " --report " + report, dir.path());
  EXPECT_EQ(i.code, 0) << i.err;
  EXPECT_NE(i.out.find("imported: 40\nconflicts: 0\n"), std::string::npos) << i.out;
  EXPECT_EQ(Count(upper, "dt_data"), 40);

  CliResult again = RunCli(Db(upper) + "package import " + ShellQuote((dir / "a.dat").string()) + " --report " + report, dir.path());
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.out.find("already imported"), std::string::npos) << again.out;
  EXPECT_EQ(Count(upper, "dt_data"), 40);
}

TEST_F(CliPackage, DryRunAndBatchReportConflictsPerFileAndInTotal) {
  ASSERT_EQ(RunCli(Db(unit()) + "package export --out " + ShellQuote((dir / "a.dat").string()) + " --label 甲", dir.path()).code, 0);
  db::Connection u("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + unit().string());
  u.execute("update dt_data set c901 = c901 + 5000");
  ASSERT_EQ(RunCli(Db(unit()) + "package export --out " + ShellQuote((dir / "b.dat").string()) + " --label 乙", dir.path()).code, 0);
  db::Statement first(u, "select c901 from dt_data order by c901 limit 1");
  ASSERT_TRUE(first.step());
  const std::string code = first.value(0).toString();
  db::Connection up("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + upper.string());
  up.execute("insert into dt_data (c901, c902) values (" + code + ", 'x')");

  const std::string files = ShellQuote((dir / "a.dat").string()) + " " + ShellQuote((dir / "b.dat").string());
  const std::string report = " --report " + ShellQuote((dir / "r.txt").string());
  CliResult dry = RunCli(Db(upper) + "package import " + files + " --dry-run" + report, dir.path());
  EXPECT_EQ(dry.code, 1);
  EXPECT_NE(dry.out.find("conflict: " + code + ","), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("imported: 40\nconflicts: 1\n"), std::string::npos) << dry.out;
  EXPECT_EQ(Count(upper, "dt_data"), 1);

  CliResult batch = RunCli(Db(upper) + "package import " + files + report, dir.path());
  EXPECT_EQ(batch.code, 1);
  EXPECT_NE(batch.out.find("imported: 40\nconflicts: 1\n"), std::string::npos) << batch.out;
  EXPECT_NE(batch.out.find("report: " + (dir / "r.txt").string()), std::string::npos) << batch.out;
  EXPECT_EQ(Count(upper, "dt_data"), 41);
}

// Several files on the command line run as the window's batch does: nothing stops for an answer,
// every file gets its line on standard output and in the report, after the conflict blocks.
TEST_F(CliPackage, SeveralFilesReportEveryFilesOutcome) {
  const fs::path a = dir / "a.dat", b = dir / "b.dat", c = dir / "c.dat", noise = dir / "noise.dat";
  ASSERT_EQ(RunCli(Db(unit()) + "package export --out " + ShellQuote(a.string()) + " --label 甲", dir.path()).code, 0);
  db::Connection u("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + unit().string());
  db::Statement first(u, "select c901 from dt_data order by c901 limit 1");
  ASSERT_TRUE(first.step());
  const std::string code = first.value(0).toString();
  first = db::Statement();
  u.execute("update dt_data set c901 = c901 + 5000");
  ASSERT_EQ(RunCli(Db(unit()) + "package export --out " + ShellQuote(b.string()) + " --label 乙", dir.path()).code, 0);
  u.execute("update dt_data set c901 = c901 + 5000");
  u.execute("update dt_data set c901 = " + code + ", c902 = '另一个工会' where c901 = (select min(c901) from dt_data)");
  ASSERT_EQ(RunCli(Db(unit()) + "package export --out " + ShellQuote(c.string()) + " --label 丙", dir.path()).code, 0);
  testing::WriteFileBytes(noise, std::string(4096, '\x17'));
  const fs::path report = dir / "r.txt";
  ASSERT_EQ(RunCli(Db(upper) + "package import " + ShellQuote(a.string()), dir.path()).code, 0);

  CliResult r = RunCli(Db(upper) + "package import " + ShellQuote(a.string()) + " " + ShellQuote(c.string()) + " " +
                           ShellQuote(noise.string()) + " " + ShellQuote(b.string()) + " --report " +
                           ShellQuote(report.string()),
                       dir.path());
  EXPECT_EQ(r.code, 1);
  for (const std::string& line :
       {"file: " + a.string() + "\timported: 0\tconflicts: 0\talready imported\n",
        "file: " + c.string() + "\timported: 0\tconflicts: 1\tconflicts\nconflict: " + code + ",另一个工会\n",
        "file: " + noise.string() + "\timported: 0\tconflicts: 0\trefused\n",
        "file: " + b.string() + "\timported: 40\tconflicts: 0\timported\n", std::string("imported: 40\nconflicts: 1\n"),
        "report: " + report.string() + "\n"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  EXPECT_NE(r.err.find("【" + noise.string() + "】文件“" + noise.string() + "”不是有效的数据包"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("共4个文件：导入了1个（40条记录），已经导入过1个，编号冲突1个（1条记录），被拒绝1个。"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(Count(upper, "dt_data"), 80);

  text::GbkEncoder gbk;
  const std::string written = ReadFileBytes(report);
  EXPECT_EQ(written.rfind(gbk.Encode("在准备导入的名为【" + c.string() + "】的文件中"), 0), 0u);
  const std::string outcomes = gbk.Encode("在准备导入的4个文件中，各个文件的导入结果如下\r\n" + std::string(80, '-') +
                                          "\r\n【" + a.string() + "】已经导入过了（40条记录），没有改变任何数据\r\n【" +
                                          c.string() + "】有1条记录编号冲突，没有导入任何记录\r\n【" + noise.string() +
                                          "】没有导入：文件“" + noise.string() + "”不是有效的数据包");
  EXPECT_NE(written.find(outcomes), std::string::npos);
  EXPECT_NE(written.find(gbk.Encode("【" + b.string() + "】导入了40条记录\r\n")), std::string::npos);
}

TEST_F(CliPackage, RefusalsAndUsage) {
  db::Connection u("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + unit().string());
  u.execute("update dt_data set RecordState = 2 where id = 1");
  testing::WriteFileBytes(dir / "noise.dat", std::string(4096, '\x17'));
  struct Case {
    std::string args;
    int code;
    std::string err;
  };
  const std::vector<Case> cases{
      {Db(unit()) + "package export --out " + ShellQuote((dir / "x.dat").string()) + " --label 某区", 1, "不能上报"},
      {Db(unit()) + "package export --out " + ShellQuote((dir / "x.dat").string()) + " --label 默认数据库", 1, "必须修改默认的名称"},
      {Db(unit()) + "package export --out x.dat", 2, "usage"},
      {Db(unit()) + "package", 2, "usage"},
      {Db(unit()) + "package frob", 2, "usage"},
      {Db(upper) + "package import", 2, "usage"},
      {Db(upper) + "package import " + ShellQuote((dir / "noise.dat").string()), 1, "不是有效的数据包"},
      {"package info " + ShellQuote((dir / "noise.dat").string()), 1, ""},
      {Db(upper) + "backup", 2, "usage"},
      {Db(upper) + "backup --out " + ShellQuote(upper.string()), 1, "打开的数据库"},
      {Db(upper) + "restore --from " + ShellQuote(unit().string()), 2, "usage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    CliResult r = RunCli(c.args, dir.path());
    EXPECT_EQ(r.code, c.code) << r.out << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(dir / "x.dat"));
  EXPECT_EQ(Count(upper, "dt_data"), 0);
}

TEST_F(CliPackage, BackupAndRestore) {
  CliResult b = RunCli(Db(unit()) + "backup --out " + ShellQuote((dir / "b").string()), dir.path());
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_NE(b.out.find("备份成功"), std::string::npos);
  CliResult r = RunCli(Db(upper) + "restore --from " + ShellQuote((dir / "b.mdb").string()) + " --yes", dir.path());
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("数据恢复操作完成！"), std::string::npos);
  EXPECT_EQ(Count(upper, "dt_data"), 40);
}

// A kill -9 in the middle of the insert leaves the database as it was: none of the file's rows,
// and a file that passes the engine's integrity check.
TEST(CliPackageKill, KilledImportLeavesNoneOfTheRows) {
  TempDir dir;
  const fs::path unit = dir / "unit.mdb", upper = dir.copyOfShipped("upper.mdb"), package = dir / "big.dat";
  ASSERT_EQ(RunCli("generate --records 100000 --faulty 0 --out " + ShellQuote(unit.string()), dir.path()).code, 0);
  ASSERT_EQ(RunCli(Db(unit) + "package export --out " + ShellQuote(package.string()) + " --label 大", dir.path()).code, 0);
  const std::int64_t before = Count(upper, "dt_data");

  ASSERT_TRUE(testing::KillCliWhileItWrites({"--db", upper.string(), "package", "import", package.string(), "--report",
                                (dir / "r.txt").string()}, upper, 30))
      << "the import ended before it could be killed";
  EXPECT_EQ(Count(upper, "dt_data"), before);
  EXPECT_EQ(testing::IntegrityCheck(upper), "ok");
}

}  // namespace
}  // namespace velmora
