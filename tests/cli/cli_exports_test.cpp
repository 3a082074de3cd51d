// velmora-cli rules export and datalist as a script sees them.
#include <gtest/gtest.h>

#include "core/text/gbk_decoder.h"
#include "support/database.h"
#include "support/run_cli.h"
#include "support/saved_workbook.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

TEST(CliExports, RulesAndDataListWriteTheirFiles) {
  TempDir dir;
  const auto db = dir.copyOfShipped("work.mdb");
  Exec(db, "INSERT INTO dt_data (id, c901, c902, RecordState) VALUES (1, 100, '甲', 1), (2, 200, '乙', 1);"
           "INSERT INTO DT_GroupItem (id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol)"
           " VALUES (77, '一组', 1, 100, 200, '>=', '<')");
  const std::string D = "--db " + ShellQuote(db.string()) + " ";

  const auto txt = dir / "导出逻辑.txt";
  CliResult rules = RunCli(D + "rules export --out " + ShellQuote(txt.string()), dir.path());
  ASSERT_EQ(rules.code, 0) << rules.err;
  EXPECT_NE(rules.out.find("pages: 7\n"), std::string::npos) << rules.out;
  text::GbkDecoder gbk;
  const std::string content = gbk.Decode(ReadFileBytes(txt));
  EXPECT_EQ(content.rfind("#2012基层调查表逻辑规则\r\n", 0), 0u);
  EXPECT_NE(content.find("表1 工会组织建设状况"), std::string::npos);
  EXPECT_NE(content.find("  判断规则："), std::string::npos);

  const auto book = dir / "rules.xlsx";
  EXPECT_EQ(RunCli(D + "rules export --out " + ShellQuote(book.string()), dir.path()).code, 0);
  EXPECT_EQ(ReadSavedWorkbook(book).cell("A1")->value, "页号");

  struct Case {
    std::string args;
    int code;
    std::string firstCode;  // A5 of the workbook when written
    std::string output;     // must occur in standard output or error
  };
  const std::vector<Case> cases{
      {"--tables 1,5", 0, "100", "records: 2"},
      {"--range 200 100", 0, "200", "records: 1"},
      {"--group-item 77", 0, "100", "records: 1"},
      {"--range 0 500", 1, "", "请输入单位编号的范围"},
      {"--range 300 400", 1, "", "数据表为空"},
      {"--group-item 5", 1, "", "没有编号为 5 的自定义分组项"},
      {"--tables 9", 2, "", "usage:"},
      {"--range 1 2 --group-item 77", 2, "", "usage:"},
  };
  int n = 0;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args);
    const auto out = dir / ("list" + std::to_string(++n) + ".xlsx");
    CliResult r = RunCli(D + "datalist " + k.args + " --out " + ShellQuote(out.string()), dir.path());
    EXPECT_EQ(r.code, k.code) << r.err;
    EXPECT_NE((r.out + r.err).find(k.output), std::string::npos) << r.out << r.err;
    EXPECT_EQ(std::filesystem::exists(out), k.code == 0);
    if (k.code == 0) {
      EXPECT_EQ(ReadSavedWorkbook(out).cell("A5")->value, k.firstCode);
    }
  }
}

TEST(CliExports, SearchExportsItsResult) {
  TempDir dir;
  const auto db = dir.copyOfShipped("work.mdb");
  Exec(db, "INSERT INTO dt_data (id, c901, c902, RecordState) VALUES (1, 100, 'O''Brien', 1), (2, 200, '乙', 1)");
  const std::string D = "--db " + ShellQuote(db.string()) + " search --code 100 ";
  const auto book = dir / "r.xlsx", mdb = dir / "r.mdb";
  CliResult x = RunCli(D + "--xlsx " + ShellQuote(book.string()), dir.path());
  ASSERT_EQ(x.code, 0) << x.err;
  EXPECT_NE(x.out.find("count: 1\n"), std::string::npos);
  EXPECT_NE(x.out.find("Excel文件已经正确导出到：'" + book.string()), std::string::npos) << x.out;
  EXPECT_EQ(ReadSavedWorkbook(book).sheetName, "Velmora查询结果");
  CliResult m = RunCli(D + "--mdb " + ShellQuote(mdb.string()), dir.path());
  ASSERT_EQ(m.code, 0) << m.err;
  EXPECT_EQ(Scalar(mdb, "SELECT c902 FROM [Velmora查询结果]").toString(), "O'Brien");
  CliResult none = RunCli("--db " + ShellQuote(db.string()) + " search --code 300 --mdb " +
                              ShellQuote((dir / "n.mdb").string()),
                          dir.path());
  EXPECT_EQ(none.code, 1);
  EXPECT_NE(none.err.find("数据表为空"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "n.mdb"));
}

}  // namespace
}  // namespace velmora::testing
