// velmora-cli groups: list, add, export and import as a script runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/database.h"
#include "support/run_cli.h"
#include "support/test_paths.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::RunCli;
using testing::ShellQuote;

std::string Db(const fs::path& file) { return "--db " + ShellQuote(file.string()) + " "; }

class CliGroups : public ::testing::Test {
 protected:
  CliGroups() : unit(dir.copyOfShipped("unit.mdb")), upper(dir.copyOfShipped("upper.mdb")) {}
  CliResult run(const fs::path& db, const std::string& args) { return RunCli(Db(db) + args, dir.path()); }
  testing::TempDir dir;
  fs::path unit, upper;
};

TEST_F(CliGroups, AddListExportImport) {
  CliResult add = run(unit, "groups add --name " + ShellQuote("O'Brien \"区\" 100%") + " --item " +
                                ShellQuote("北京,>=,110000000000,<,120000000000") + " --item " +
                                ShellQuote("天津, 河北,>,120000000000,<=,130000000000"));
  ASSERT_EQ(add.code, 0) << add.err;
  EXPECT_EQ(add.out, "group: 1\nitems: 2\n");
  ASSERT_EQ(run(unit, "groups add --name 空").code, 0);
  CliResult list = run(unit, "groups list");
  EXPECT_EQ(list.code, 0) << list.err;
  EXPECT_EQ(list.out, "1\tO'Brien \"区\" 100%\t2\n2\t空\t0\n");
  EXPECT_EQ(testing::Scalar(unit, "select Title from DT_GroupItem where id=2").toString(), "天津, 河北");

  const fs::path out = dir / "g";
  CliResult exported = run(unit, "groups export --out " + ShellQuote(out.string()));
  ASSERT_EQ(exported.code, 0) << exported.err;
  EXPECT_TRUE(fs::exists(dir / "g.mdb"));
  CliResult imported = run(upper, "groups import --from " + ShellQuote(out.string()));
  ASSERT_EQ(imported.code, 0) << imported.err;
  EXPECT_EQ(imported.out, "数据分组导入操作完成！\n");
  EXPECT_EQ(run(upper, "groups list").out, list.out);
}

TEST_F(CliGroups, RefusedItemsAndUsageStoreNothing) {
  struct Case {
    std::string args;
    int code;
    std::string err;  // a part of standard error
  };
  const std::vector<Case> cases{
      {"groups add --name g --item " + ShellQuote("甲,>=,5,<,5"), 1, "上限必须大于下限！"},
      {"groups add --name g --item " + ShellQuote(",>=,1,<,5"), 1, "必须输入本组数据的名称！"},
      {"groups add --name g --item " + ShellQuote("甲,=,1,<,5"), 1, "编号下限"},
      {"groups add --name '' --item " + ShellQuote("甲,>=,1,<,5"), 1, "名称"},
      {"groups add --name g --item " + ShellQuote("甲,>=,-1,<,5"), 2, "--item"},
      {"groups add --name g --item " + ShellQuote("甲,>=,1,<"), 2, "--item"},
      {"groups add --item " + ShellQuote("甲,>=,1,<,5"), 2, "usage"},
      {"groups", 2, "usage"},
      {"groups list extra", 2, "usage"},
      {"groups export", 2, "usage"},
      {"groups import --from " + ShellQuote((dir / "none.mdb").string()), 1, "不存在"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args);
    CliResult r = run(unit, k.args);
    EXPECT_EQ(r.code, k.code) << r.err;
    EXPECT_NE(r.err.find(k.err), std::string::npos) << r.err;
    EXPECT_EQ(testing::Scalar(unit, "select count(*) from CT_Group").toInt64(), 0);
  }
}

TEST_F(CliGroups, AForgedItemIsRefusedByTheImportAndByTheSummary) {
  testing::Exec(unit, "insert into dt_data (c901) values (110000000001), (120000000001), (130000000001)");
  const fs::path forged = dir.copyOfShipped("forged.mdb");
  const std::string forge =
      "insert into CT_Group (ID, Name, orderstr) values (1, '地区', 'id ASC');"
      "insert into DT_GroupItem (Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) values "
      "('一', 1, 110000000000, 120000000000, '>=0 or 1=1 or c901>=', '<')";
  testing::Exec(forged, forge);
  CliResult imported = run(unit, "groups import --from " + ShellQuote(forged.string()));
  EXPECT_EQ(imported.code, 1);
  for (const char* part : {"地区", "一", ">=0 or 1=1 or c901>="})
    EXPECT_NE(imported.err.find(part), std::string::npos) << imported.err;
  EXPECT_EQ(run(unit, "groups list").out, "");

  // Stored by hand in the database itself: the summary refuses it instead of counting every unit.
  testing::Exec(unit, forge);
  CliResult summary = run(unit, "summary --by group:1 --sheets 2");
  EXPECT_EQ(summary.code, 1) << summary.out;
  EXPECT_NE(summary.err.find(">=0 or 1=1 or c901>="), std::string::npos) << summary.err;
  EXPECT_EQ(summary.out.find("一\t3"), std::string::npos) << summary.out;
}

TEST_F(CliGroups, ExportRefusesTheOpenDatabase) {
  ASSERT_EQ(run(unit, "groups add --name g").code, 0);
  const std::string before = testing::ReadFileBytes(unit);
  CliResult r = run(unit, "groups export --out " + ShellQuote(unit.string()));
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(r.err.empty());
  EXPECT_EQ(testing::ReadFileBytes(unit), before);
}

}  // namespace
}  // namespace velmora
