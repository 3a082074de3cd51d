// velmora-cli check as a script sees it: the three ways of choosing records, the counts, the
// report, the exit codes.
#include <gtest/gtest.h>

#include "core/text/gbk_encoder.h"
#include "support/run_cli.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

TEST(CliCheck, WaysOfCheckingCountsAndExitCodes) {
  TempDir dir;
  const std::filesystem::path db = dir.copyOfShipped("work.mdb");
  const std::string D = "--db " + ShellQuote(db.string()) + " ";
  const std::string report = (dir / "report.txt").string();
  const std::string R = " --report " + ShellQuote(report);
  // 1 and 3 fail, 2 passes, 4 does not report
  const std::string insert =
      "sql \"insert into dt_data (c901, c902, c912, RecordState, z002, z006, z020, w001) values "
      "(5, 'a', 1, 0, 2, 2, 1, 6), (6, 'b', 1, 0, 2, 2, 1, 0), (7, 'c', 2, 0, 2, 2, 1, 9), (8, 'd', 3, 0, 0, 0, 0, 0)\"";
  ASSERT_EQ(RunCli(D + insert, dir.path()).code, 0);
  const std::string states = "sql \"select group_concat(RecordState, '') as s from (select RecordState from dt_data order by c901)\"";

  struct Case {
    std::string args;
    int code;
    std::string out;     // must occur in standard output
    std::string err;     // must occur in standard error
    std::string states;  // RecordState of 5, 6, 7, 8 afterwards ("" = not looked at)
  } cases[] = {
      {"check", 2, "", "usage", "0000"},
      {"check --all --range 1 2", 2, "", "usage", "0000"},
      {"check --range 5", 2, "", "usage", "0000"},
      {"check --range 0 7", 2, "", "请输入逻辑检查的范围", "0000"},
      {"check --range '' 7", 2, "", "请输入逻辑检查的范围", "0000"},
      {"check --range 5x 7", 2, "", "usage", "0000"},
      {"check --codes 5,x", 2, "", "usage", "0000"},
      {"check --all --frobnicate", 2, "", "usage", "0000"},
      {"check --all --report " + ShellQuote((dir / "missing" / "r.txt").string()), 1, "", "missing", "0000"},
      {"check --range 6 5" + R, 0, "checked: 1\nfailed units: 0\nerror items: 0\n", "", "0100"},
      {"check --codes 5,8" + R, 0, "checked: 1\nfailed units: 1\nerror items: 1\n", "", "2100"},
      {"check --all" + R, 0, "checked: 3\nfailed units: 2\nerror items: 2\nreport: " + report + "\n", "", "2120"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    CliResult r = RunCli(D + c.args, dir.path());
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    // A check that did not run names no counts and no report that was never written.
    if (c.code != 0) {
      EXPECT_EQ(r.out, "");
    }
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_NE(RunCli(D + states, dir.path()).out.find("s\n" + c.states + "\n"), std::string::npos);
  }
  const std::string text = ReadFileBytes(report);
  EXPECT_NE(text.find(text::GbkEncoder().Encode("共有2个单位的数据存在逻辑错误！\r\n共有2个逻辑错误项！\r\n")),
            std::string::npos);
}


// Output paths the check refuses before it changes anything, and those it writes.
TEST(CliCheck, ReportIsNeverWrittenOverADatabaseOrAnotherKindOfFile) {
  TempDir dir;
  const std::filesystem::path db = dir.copyOfShipped("a.mdb");
  const std::filesystem::path other = dir.copyOfShipped("other.mdb");
  const std::string D = "--db " + ShellQuote(db.string()) + " ";
  ASSERT_EQ(RunCli(D + "sql \"insert into dt_data (c901, c902, c912, RecordState, z002, z006, z020, w001) values "
                       "(5, 'a', 1, 0, 2, 2, 1, 6)\"",
                   dir.path())
                .code,
            0);
  WriteFileBytes(dir / "notes.txt", "my notes\r\n");
  const std::string previous = text::GbkEncoder().Encode("#2012基层调查表逻辑检查结果\r\nold\r\n");
  WriteFileBytes(dir / "old.txt", previous);
  std::filesystem::create_symlink(db, dir / "link.mdb");
  const std::string states = "sql \"select RecordState from dt_data where c901=5\"";

  struct Case {
    std::string report;
    int code;
    bool written;  // the report is there afterwards and the state changed
  } cases[] = {
      {db.string(), 1, false},
      {(dir / "link.mdb").string(), 1, false},
      {db.string() + "-journal", 1, false},
      {other.string(), 1, false},
      {(dir / "notes.txt").string(), 1, false},
      {dir.path().string(), 1, false},
      {"/dev/full", 1, false},
      {(dir / "old.txt").string(), 0, true},
      {(dir / "new.txt").string(), 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    const bool existed = std::filesystem::exists(c.report);
    const std::string before = existed && std::filesystem::is_regular_file(c.report) ? ReadFileBytes(c.report) : "";
    const std::string dbBefore = ReadFileBytes(db), otherBefore = ReadFileBytes(other);
    CliResult r = RunCli(D + "check --all --report " + ShellQuote(c.report), dir.path());
    EXPECT_EQ(r.code, c.code) << r.err;
    if (c.written) {
      EXPECT_NE(ReadFileBytes(c.report).find(text::GbkEncoder().Encode("共有1个单位")), std::string::npos);
      EXPECT_NE(RunCli(D + states, dir.path()).out.find("\n2\n"), std::string::npos);
      ASSERT_EQ(RunCli(D + "sql \"update dt_data set RecordState=0\"", dir.path()).code, 0);
    } else {
      EXPECT_FALSE(r.err.empty());
      EXPECT_TRUE(ReadFileBytes(db) == dbBefore);
      EXPECT_TRUE(ReadFileBytes(other) == otherBefore);
      if (existed && std::filesystem::is_regular_file(c.report)) {
        EXPECT_TRUE(ReadFileBytes(c.report) == before);
      }
      EXPECT_NE(RunCli(D + states, dir.path()).out.find("\n0\n"), std::string::npos);
    }
  }
}

TEST(CliCheck, TextInAnIndicatorColumnIsCounted) {
  TempDir dir;
  const std::filesystem::path db = dir.copyOfShipped("a.mdb");
  const std::string D = "--db " + ShellQuote(db.string()) + " ";
  ASSERT_EQ(RunCli(D + "sql \"insert into dt_data (c901, c902, c912, RecordState, z002, z006, z020, w001) values "
                       "(5, 'a', 1, 0, 'zwei', 2, 1, 0), (6, 'b', 1, 0, 2, 2, 1, 'x'), (7, 'c', 1, 0, 2, 2, 1, 0)\"",
                   dir.path())
                .code,
            0);
  CliResult r = RunCli(D + "check --all --report " + ShellQuote((dir / "r.txt").string()), dir.path());
  EXPECT_EQ(r.code, 0) << r.err;
  const std::string tail = "non-numeric values: 2\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
}

// Range bounds and codes are organisation codes: up to 12 digits; anything else is a usage error
// that names the argument, and no record changes.
TEST(CliCheck, BoundsAndCodesAreCodesOfTwelveDigits) {
  TempDir dir;
  const std::filesystem::path db = dir.copyOfShipped("work.mdb");
  const std::string D = "--db " + ShellQuote(db.string()) + " ";
  ASSERT_EQ(RunCli(D + "sql \"insert into dt_data (c901, c902, c912, RecordState) values (999999999999, 'a', 1, 0)\"",
                   dir.path()).code,
            0);
  const std::string huge(400, '9');
  struct Case {
    std::string args;
    std::string err;  // must occur in standard error
  } cases[] = {
      {"check --range 1 " + huge, "--range: \"" + huge + "\" 不是单位编号"},
      {"check --range " + huge + " 1", "不是单位编号"},
      {"check --range 1 1000000000000", "不是单位编号"},
      {"check --range 1 inf", "--range: \"inf\" 不是单位编号"},
      {"check --range -1 5", "不是单位编号"},
      {"check --range 1e3 5", "不是单位编号"},
      {"check --range 1.5 5", "不是单位编号"},
      {"check --codes 5," + huge, "--codes: \"" + huge + "\" 不是单位编号"},
      {"check --codes 5,,6", "--codes: \"\" 不是单位编号"},
      {"check --codes nan", "不是单位编号"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.substr(0, 60));
    CliResult r = RunCli(D + c.args + " --report " + ShellQuote((dir / "r.txt").string()), dir.path());
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("no such column"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "r.txt"));

  // The largest code and leading zeros are codes.
  CliResult largest = RunCli(D + "check --range 0001 999999999999 --report " + ShellQuote((dir / "r.txt").string()),
                             dir.path());
  EXPECT_EQ(largest.code, 0) << largest.err;
  EXPECT_NE(largest.out.find("checked: 1\n"), std::string::npos) << largest.out;
}

}  // namespace
}  // namespace velmora::testing
