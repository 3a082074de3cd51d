// velmora-cli search as a script sees it: the count, then the codes in code order; a refused
// condition is a usage error and an engine failure names the cause, with nothing printed before it.
#include <gtest/gtest.h>

#include <string>

#include "support/database.h"
#include "support/run_cli.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

class CliSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_.copyOfShipped("work.mdb");
    Exec(file_, "insert into dt_data (id, c901, c902, z002) values "
                "(1, 110101000003, '江南机械厂', 5), (2, 110101000001, '100%_合格 O''Neil', 50), "
                "(3, 110101000002, '江南机械厂工会', 999999999999999), (4, 110101000004, '" +
                    longName_ + "', 0), (5, 110101000005, '100x合格 OXNeil', 7)");
  }
  CliResult run(const std::string& args) {
    return RunCli("--db " + ShellQuote(file_.string()) + " search " + args, dir_.path());
  }
  TempDir dir_;
  std::filesystem::path file_;
  const std::string longName_ = std::string(196, 'n') + "单位";  // 198 characters
};

TEST_F(CliSearchTest, PrintsTheCountAndTheCodesInCodeOrder) {
  struct Case {
    std::string args;
    std::string out;
  } cases[] = {
      {"--range '>=110101000002 AND <= 110101000004'", "count: 3\n110101000002\n110101000003\n110101000004\n"},
      {"--range '<110101000002 or >110101000004'", "count: 2\n110101000001\n110101000005\n"},
      {"--range '= 110101000003'", "count: 1\n110101000003\n"},
      {"--range '>99999999999999'", "count: 0\n"},
      {"--indicator z002 '>=7' '<=999999999999999'", "count: 3\n110101000001\n110101000002\n110101000005\n"},
      {"--indicator z002 '>999999999999999'", "count: 0\n"},
      {"--indicator z002 '>999999999999998'", "count: 1\n110101000002\n"},
      {"--name 机械厂", "count: 2\n110101000002\n110101000003\n"},
      {"--name '%_'", "count: 1\n110101000001\n"},
      {"--name \"O'Neil\"", "count: 1\n110101000001\n"},
      {"--name " + ShellQuote(longName_), "count: 1\n110101000004\n"},
      {"--name " + ShellQuote(longName_ + "x"), "count: 0\n"},
      {"--code 110101000005", "count: 1\n110101000005\n"},
      {"--code 110101000009", "count: 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const CliResult r = run(c.args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(CliSearchTest, RefusesWhatWouldNotBeAWellFormedCondition) {
  struct Case {
    std::string args;
    int code;
    std::string err;  // occurs in standard error
  } cases[] = {
      {"--range '> -5'", 2, "编号必须是 0 到 99999999999999 之间的整数"},
      {"--range '>= 100000000000000'", 2, "编号必须是 0 到 99999999999999 之间的整数"},
      {"--range '>= abc'", 2, "编号必须是"},
      {"--range '>=5 XOR <9'", 2, "usage:"},
      {"--range '=>5'", 2, "usage:"},
      {"--indicator z002 '> -5'", 2, "指标的范围只能是由数字 0 到 9 组成的整数"},
      {"--indicator z002 '>1.5'", 2, "指标的范围只能是由数字 0 到 9 组成的整数"},
      {"--indicator '' '>5'", 2, "请选择指标"},
      {"--indicator zz99 '>5'", 1, "no such column: zz99"},
      {"--code 12x", 2, "--code"},
      {"--code", 2, "usage:"},
      {"", 2, "usage:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const CliResult r = run(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace velmora::testing
