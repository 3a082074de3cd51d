// velmora-cli as a script sees it: exit codes, standard output and standard error.
#include <gtest/gtest.h>

#include "support/run_cli.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

TEST(Cli, VerbsExitCodesAndOutput) {
  TempDir dir;
  std::filesystem::path db = dir.copyOfShipped("work.mdb");
  WriteFileBytes(dir / "text.mdb", "not a database\n");
  std::string D = "--db " + ShellQuote(db.string()) + " ";
  struct Case {
    std::string args;
    int code;
    std::string out;  // must occur in standard output
    std::string err;  // must occur in standard error
  } cases[] = {
      {D + "info", 0, "label: 默认数据库\nrecords: 0\nstate0: 0\nstate1: 0\nstate2: 0\n", ""},
      {D + "sql \"insert into dt_data (c901,c902,RecordState) values (110101000001,'O''Brien工会',2)\"", 0,
       "changed: 1", ""},
      {D + "sql \"select c901, c902, 1/4 as q, iif(1>2,1,) as n from dt_data\"", 0,
       "c901\tc902\tq\tn\n110101000001\tO'Brien工会\t0.25\t\n", ""},
      {D + "info", 0, "records: 1\nstate0: 0\nstate1: 0\nstate2: 1\n", ""},
      {D + "sql \"select * from no_such_table\"", 1, "", "no_such_table"},
      {D + "compact", 0, "压缩操作成功", ""},
      {D + "frobnicate", 2, "", "usage"},
      {D + "sql", 2, "", "usage"},
      {"", 2, "", "usage"},
      {"--db", 2, "", "usage"},
      {D + "generate --records x --out " + ShellQuote((dir / "g.mdb").string()), 2, "", "usage"},
      {D + "generate --records 10", 2, "", "usage"},
      {D + "generate --records 10 --out /x --faulty 150", 2, "", "--faulty"},
      {"--db " + ShellQuote((dir / "missing.mdb").string()) + " info", 1, "", "没有找到系统数据文件，请重新安装。"},
      {"--db " + ShellQuote((dir / "text.mdb").string()) + " info", 1, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    CliResult r = RunCli(c.args, dir.path());
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFileBytes(dir / "text.mdb"), "not a database\n");  // never touched
}

TEST(Cli, GenerateWritesANewDatabaseOfRecords) {
  TempDir dir;
  std::filesystem::path out = dir / "gen.mdb";
  CliResult r = RunCli("generate --records 300 --seed 7 --faulty 10 --out " + ShellQuote(out.string()), dir.path());
  ASSERT_EQ(r.code, 0) << r.err;
  CliResult info = RunCli("--db " + ShellQuote(out.string()) + " info", dir.path());
  ASSERT_EQ(info.code, 0) << info.err;
  EXPECT_NE(info.out.find("records: 300\nstate0: 0\n"), std::string::npos) << info.out;
  // a run that cannot write its output fails and leaves nothing behind
  CliResult again = RunCli("generate --records 5 --out " + ShellQuote((dir / "nofolder" / "x.mdb").string()), dir.path());
  EXPECT_EQ(again.code, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "nofolder"));
  // a failed run leaves an existing output as it was
  const std::string before = ReadFileBytes(out);
  CliResult bad = RunCli("--db " + ShellQuote((dir / "missing.mdb").string()) + " generate --records 5 --out " +
                             ShellQuote(out.string()),
                         dir.path());
  EXPECT_EQ(bad.code, 1);
  EXPECT_EQ(ReadFileBytes(out), before);
}

}  // namespace
}  // namespace velmora::testing
