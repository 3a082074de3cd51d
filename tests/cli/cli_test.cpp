// velmora-cli as a script sees it: exit codes, standard output and standard error.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_cli.h"
#include "support/test_paths.h"
#include "support/database.h"

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

// Several statements run in order, each printing its result; the first failure ends the run. "--"
// ends the options, so a statement may start with "--".
TEST(Cli, SqlRunsEveryStatementInOrder) {
  TempDir dir;
  const std::string D = "--db " + ShellQuote(dir.copyOfShipped("work.mdb").string()) + " sql ";
  struct Case {
    std::string args;
    int code;
    std::string out;  // standard output exactly
    std::string err;  // must occur in standard error
  } cases[] = {
      {"\"insert into dt_data (c901, c902) values (1, 'a;b'); insert into dt_data (c901, c902) values (2, 'c'); "
       "select c901, c902 from dt_data order by c901\"",
       0, "changed: 1\nchanged: 1\nc901\tc902\n1\ta;b\n2\tc\n", ""},
      {"\"delete from dt_data where c901=1; select * from no_such_table; delete from dt_data\"", 1, "changed: 1\n",
       "no_such_table"},
      {"\"select count(*) as n from dt_data;\"", 0, "n\n1\n", ""},
      {"-- \"-- a note; with a semicolon\nselect c902 from dt_data\"", 0, "c902\nc\n", ""},
      {"-- \"-- x\"", 0, "", ""},
      {"\"-- x\"", 2, "", "unknown option -- x"},
      {"-- ", 2, "", "usage"},
      {"-- \"select 1\" \"select 2\"", 2, "", "usage"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    CliResult r = RunCli(D + c.args, dir.path());
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
}

// A database given with --db that cannot be opened: the message names the file and why, never
// the installation messages of the default database.
TEST(Cli, OpenFailuresNameTheFileAndTheCause) {
  TempDir dir;
  WriteFileBytes(dir / "text.mdb", "not a database, just some text that is long enough to be read as one\n");
  std::string damaged = ReadFileBytes(dir.copyOfShipped("damaged.mdb"));
  damaged[100] = '\xFF';  // the page type of the schema table
  WriteFileBytes(dir / "damaged.mdb", damaged);
  std::filesystem::create_directory(dir / "folder.mdb");
  db::CreateDatabase(ConnectionTo(dir / "other.mdb"));
  Exec(dir / "other.mdb", "create table t(x)");
  const std::filesystem::path locked = dir.copyOfShipped("locked.mdb");
  db::Connection holder(ConnectionTo(locked));
  Exec(holder, "begin exclusive; delete from ct_label");

  struct Case {
    std::string file;
    std::string cause;
  } cases[] = {
      {"missing.mdb", "找不到数据库文件"},
      {"folder.mdb", "不是文件"},
      {"text.mdb", "不是数据库文件"},
      {"damaged.mdb", "数据库文件已损坏"},
      {"locked.mdb", "数据库文件正被其他程序锁定"},
      {"other.mdb", "不是本软件的数据库文件"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = (dir / c.file).string();
    CliResult r = RunCli("--db " + ShellQuote(path) + " info", dir.path());
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.cause), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("软件安装不正确"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("没有找到系统数据文件"), std::string::npos) << r.err;
  }
  Exec(holder, "rollback");
  holder.close();
  EXPECT_EQ(ReadFileBytes(dir / "damaged.mdb"), damaged);  // never touched
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


// generate never writes over the open database or a file of another kind, replaces an existing
// database only with --force, and its output holds exactly the records it made.
TEST(Cli, GenerateRefusesOutputsItMustNotReplace) {
  TempDir dir;
  const std::filesystem::path src = dir.copyOfShipped("src.mdb");
  const std::string S = "--db " + ShellQuote(src.string()) + " ";
  ASSERT_EQ(RunCli(S + "generate --records 40 --seed 3 --out " + ShellQuote((dir / "big.mdb").string()), dir.path())
                .code,
            0);
  // the source holds records of its own: none of them goes into a new output
  ASSERT_EQ(RunCli(S + "sql \"insert into dt_data (c901, c902, c912, RecordState) values (5, 'real', 1, 0)\"",
                   dir.path())
                .code,
            0);
  WriteFileBytes(dir / "notes.txt", "keep me\n");
  const std::string notes = (dir / "notes.txt").string(), big = (dir / "big.mdb").string();

  struct Case {
    std::string args;
    int code;
    std::string changedFile;  // "" = no file may change
    std::string records;      // info of the output afterwards
  } cases[] = {
      {"generate --records 5 --out " + ShellQuote(big), 1, "", "records: 40\n"},
      {"generate --records 5 --out " + ShellQuote(src.string()), 1, "", "records: 1\n"},
      {"generate --records 5 --force --out " + ShellQuote(src.string()), 1, "", "records: 1\n"},
      {"generate --records 5 --force --out " + ShellQuote(notes), 1, "", ""},
      {"generate --records 5 --faulty nan --out " + ShellQuote((dir / "n.mdb").string()), 2, "", ""},
      {"generate --records 5 --faulty inf --out " + ShellQuote((dir / "n.mdb").string()), 2, "", ""},
      {"generate --records 5 --faulty -1 --out " + ShellQuote((dir / "n.mdb").string()), 2, "", ""},
      {"generate --records 5 --faulty 100.5 --out " + ShellQuote((dir / "n.mdb").string()), 2, "", ""},
      {"generate --records 5 --force --out " + ShellQuote(big), 0, big, "records: 5\n"},
      {"generate --records 7 --out " + ShellQuote((dir / "n.mdb").string()), 0, (dir / "n.mdb").string(),
       "records: 7\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const std::string srcBefore = ReadFileBytes(src), bigBefore = ReadFileBytes(big), notesBefore = ReadFileBytes(notes);
    CliResult r = RunCli(S + c.args, dir.path());
    EXPECT_EQ(r.code, c.code) << r.err;
    if (c.code != 0) {
      EXPECT_FALSE(r.err.empty());
    }
    EXPECT_TRUE(ReadFileBytes(src) == srcBefore);
    if (c.changedFile != big) {
      EXPECT_TRUE(ReadFileBytes(big) == bigBefore);
    }
    EXPECT_EQ(ReadFileBytes(notes), notesBefore);
    if (!c.records.empty()) {
      const std::string target = c.changedFile.empty() ? (c.args.find(big) != std::string::npos ? big : src.string())
                                                       : c.changedFile;
      CliResult info = RunCli("--db " + ShellQuote(target) + " info", dir.path());
      EXPECT_NE(info.out.find(c.records), std::string::npos) << info.out;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "n.mdb") && ReadFileBytes(dir / "n.mdb").empty());
}

}  // namespace
}  // namespace velmora::testing
