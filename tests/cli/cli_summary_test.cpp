// velmora-cli summary as a script sees it: the classifications, the worksheets, the exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

TEST(CliSummary, WorksheetsRowsAndExitCodes) {
  TempDir dir;
  const std::filesystem::path db = dir.copyOfShipped("work.mdb");
  const std::string D = "--db " + ShellQuote(db.string()) + " ";
  ASSERT_EQ(RunCli(D + "sql \"insert into dt_data (c901, c904, c905, c912, z001, w004) values "
                       "(110000000001, 1, 1, 1, 5, 1), (110000000002, 2, 1, 1, 7, 0); "
                       "insert into CT_Group (ID, Name) values (7, 'g'); "
                       "insert into DT_GroupItem (Title, GroupID, LowBoundary, HighBoundary) values "
                       "('甲', 7, 110000000000, 110000000002), ('乙', 7, 110000000002, 120000000000)\"",
                   dir.path())
                .code,
            0);
  struct Case {
    std::string args;
    int code;
    std::string out;  // must occur in standard output
  } cases[] = {
      {"summary", 2, ""},
      {"summary --by nothing", 2, ""},
      {"summary --by industry --sheets 2,x", 2, ""},
      {"summary --by industry --sheets 21", 2, ""},
      {"summary --by industry --sheets 1", 0, ""},
      {"summary --by industry --sheets 2", 0, "sheet: 2\t表一  工会组织建设状况(1)\t所在行业\n"},
      {"summary --by type --sheets 2", 0, "\n单独基层工会\t1\t1\t0\t5\t"},
      {"summary --by type --sheets 19", 0, "\n联合基层工会\t0\t0\t0\t0\t1\n"},
      {"summary --by group:7 --sheets 2", 0, "\tg\n甲\t1\t"},  // the group by its name
      {"summary --by group:7 --sheets 2", 0, "\n乙\t1\t0\t1\t7\t"},
      {"summary --by group:8 --sheets 2", 0, "sheet: 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const CliResult r = RunCli(D + c.args, dir.path());
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    if (c.code == 2) {
      EXPECT_EQ(r.out, "");
    }
  }
  const CliResult all = RunCli(D + "summary --by state", dir.path());
  EXPECT_EQ(all.code, 0);
  std::size_t sheets = 0;
  for (std::size_t at = all.out.find("sheet: "); at != std::string::npos; at = all.out.find("sheet: ", at + 1)) ++sheets;
  EXPECT_EQ(sheets, 19u);
}

TEST(CliSummary, OutWritesTheWorkbookOrNothing) {
  TempDir dir;
  const std::filesystem::path db = dir.copyOfShipped("work.mdb");
  const std::string D = "--db " + ShellQuote(db.string()) + " ";
  ASSERT_EQ(RunCli(D + "sql \"insert into dt_data (c901, c904, c905, c912, z001) values (110000000001, 1, 1, 1, 5)\"",
                   dir.path())
                .code,
            0);
  const std::string before = ReadFileBytes(db);
  struct Case {
    std::string args;
    std::string file;  // written when code is 0
    int code;
    std::string out;
  } cases[] = {
      {"--by type --sheets 2,6", "a.xlsx", 0, "sheet: 2\t表一  工会组织建设状况(1)\trows: 2\nsheet: 6\t"},
      {"--by industry", "all.xlsx", 0, "sheet: 20\t表八  工会经审工作\trows: "},
      {"--by industry --sheets 1", "cover.xlsx", 1, ""},
      {"--by industry --sheets 2", "work.mdb", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args + " " + c.file);
    const std::filesystem::path out = dir / c.file;
    const CliResult r = RunCli(D + "summary " + c.args + " --out " + ShellQuote(out.string()), dir.path());
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    if (c.code == 0) {
      EXPECT_TRUE(std::filesystem::exists(out));
    } else if (c.file != "work.mdb") {
      EXPECT_FALSE(std::filesystem::exists(out));
    }
  }
  EXPECT_EQ(ReadFileBytes(db), before);
}

// --compare: the comparison workbook with last year's file, its changes beyond the threshold counted.
TEST(CliSummary, CompareWritesTheComparisonWorkbook) {
  TempDir dir;
  const std::filesystem::path db = dir.copyOfShipped("work.mdb");
  const std::filesystem::path last = dir.copyOfShipped("last.mdb");
  const std::string D = "--db " + ShellQuote(db.string()) + " ";
  ASSERT_EQ(RunCli(D + "sql \"insert into dt_data (c901, c904, c905, c912, z001, z002) values "
                       "(110000000001, 1, 1, 1, 5, 3)\"",
                   dir.path())
                .code,
            0);
  ASSERT_EQ(RunCli("--db " + ShellQuote(last.string()) +
                       " sql \"insert into dt_data (c901, c904, c905, c912, z001, z002) values "
                       "(110000000001, 1, 1, 1, 4, 3)\"",
                   dir.path())
                .code,
            0);
  const std::string L = ShellQuote(last.string());
  struct Case {
    std::string args;
    std::string file;  // written when code is 0
    int code;
    std::vector<std::string> out;  // each must occur in standard output
    std::string err;               // must occur in standard error
  } cases[] = {
      {"--compare " + L, "a.xlsx", 0,
       {"\t所在行业\n", "reference: " + last.string() + "\n", "sheet: 2\t表一  工会组织建设状况(1)\trows: 96\n",
        "highlighted: 1\n"},  // z001 +25 %
       ""},
      {"--compare " + L + " --threshold 25", "b.xlsx", 0, {"highlighted: 0\n"}, ""},
      {"--compare " + L + " --threshold 24.5", "c.xlsx", 0, {"highlighted: 1\n"}, ""},
      {"--compare " + L + " --threshold 0", "d.xlsx", 2, {}, "--threshold"},
      {"--compare " + L + " --threshold x", "e.xlsx", 2, {}, "--threshold"},
      {"--threshold 10", "f.xlsx", 2, {}, "--threshold"},
      {"--compare " + ShellQuote((dir / "missing.mdb").string()), "g.xlsx", 1, {}, "不存在"},
      {"--compare " + ShellQuote(db.string()), "h.xlsx", 1, {}, "不能与它自己对比"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const std::filesystem::path out = dir / c.file;
    const CliResult r =
        RunCli(D + "summary --by industry --sheets 2 " + c.args + " --out " + ShellQuote(out.string()), dir.path());
    EXPECT_EQ(r.code, c.code) << r.err;
    for (const std::string& o : c.out) EXPECT_NE(r.out.find(o), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    if (c.code == 0) {
      EXPECT_NE(r.out.find("workbook: " + out.string() + "\t"), std::string::npos) << r.out;
      EXPECT_EQ(ReadFileBytes(out).substr(0, 2), "PK");
    } else {
      EXPECT_FALSE(std::filesystem::exists(out));
    }
  }
}

}  // namespace
}  // namespace velmora::testing
