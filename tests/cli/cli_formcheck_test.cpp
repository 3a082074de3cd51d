// velmora-cli formcheck as a script sees it.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/run_cli.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

TEST(CliFormCheck, PrintsTheFiringRules) {
  TempDir dir;
  std::string D = "--db " + ShellQuote(dir.copyOfShipped("work.mdb").string()) + " formcheck ";

  CliResult zero = RunCli(D, dir.path());
  EXPECT_EQ(zero.code, 0) << zero.err;
  EXPECT_EQ(zero.err, "");
  EXPECT_EQ(std::count(zero.out.begin(), zero.out.end(), '\n'), 9) << zero.out;
  EXPECT_EQ(zero.out.substr(0, zero.out.find('\n') + 1),
            "1\tz002\tz002 > z001\t[职工(人)]必须大于[基层工会涵盖单位(个)]\n");
  EXPECT_NE(zero.out.find("\n6\tj021\tj021<z002\t[职工节能减排义务监督员(人)]必须小于[职工(人)]\n"), std::string::npos);

  CliResult passing = RunCli(D + "--values 'c904=1, z001=1,Z002=10,z006=5,z010=1,z012=1,z015=1'", dir.path());
  EXPECT_EQ(passing.code, 0) << passing.err;
  EXPECT_EQ(passing.out, "");

  // The largest values the boxes take.
  CliResult largest = RunCli(D + "--values 'c904=1,z001=1,z002=99999999999999,b005=12345678.123456,w001=5,b029=.5'",
                             dir.path());
  EXPECT_EQ(largest.code, 0) << largest.err;
  EXPECT_EQ(largest.err, "");
}

TEST(CliFormCheck, UsageErrors) {
  TempDir dir;
  std::string D = "--db " + ShellQuote(dir.copyOfShipped("work.mdb").string()) + " formcheck ";
  struct Case {
    std::string args;
    std::string err;  // must occur in standard error
  } cases[] = {
      {"--values z001=x", "z001 的值 \"x\" 不是数字"},
      {"--values z001", "\"z001\" 应写作 字段=数值"},
      {"--values =3", "应写作"},
      {"--values zz99=1", "表单上没有字段 zz99"},
      {"--values c902=1", "c902 不是数值字段"},
      // Only what the form's boxes hold: digits, a point and up to 6 decimals in the amounts, 14 digits.
      {"--values z001=nan", "z001 的值 \"nan\" 不是数字"},
      {"--values z001=inf", "z001 的值 \"inf\" 不是数字"},
      {"--values b005=-inf", "b005 的值 \"-inf\" 不是数字"},
      {"--values z002=1e308", "z002 的值 \"1e308\" 不是数字"},
      {"--values z002=-1", "z002 的值 \"-1\" 不是数字"},
      {"--values z002=+5", "z002 的值 \"+5\" 不是数字"},
      {"--values z002=0x10", "不是数字"},
      {"--values z002=1.5", "z002 是整数字段，不能有小数"},
      {"--values z002=123456789012345", "超过 14 位数字"},
      {"--values z002=99999999999999999999", "超过 14 位数字"},
      {"--values b005=123456789.123456", "超过 14 位数字"},
      {"--values b005=1.1234567", "小数超过 6 位"},
      {"--values b005=1.2.3", "不是数字"},
      {"--values w001=6", "w001 的值 \"6\" 大于上限 5"},
      {"--values z022=3", "大于上限 2"},
      {"--values c904=1234567", "超过 6 个字符"},
      {"--values", "--values needs a value"},
      {"--frob 1", "unknown option --frob"},
      {"extra", "usage"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    CliResult r = RunCli(D + c.args, dir.path());
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace velmora::testing
