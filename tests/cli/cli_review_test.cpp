// velmora-cli review and roster as a script runs them: the counts, one line per finding and unit in
// the agreed form, verified findings left out unless asked for, and what bad arguments end in.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/review/verdicts.h"
#include "support/database.h"
#include "support/run_cli.h"
#include "support/test_paths.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::ShellQuote;

constexpr std::int64_t kBase = 120000000000;

std::vector<std::string> Lines(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

// Twelve units both years with b001 up by about a tenth; unit 5 jumped (170 → 4000), unit 9 went to zero;
// unit 30 only last year, unit 31 only this year.
class CliReview : public ::testing::Test {
 protected:
  CliReview() : current(dir.copyOfShipped("this.mdb")), last(dir.copyOfShipped("last.mdb")) {
    std::string now, before;
    auto row = [](std::int64_t n, std::int64_t b001) {
      return "insert into dt_data(c901, c902, c912, RecordState, b001) values(" + std::to_string(kBase + n) +
             ", '单位" + std::to_string(n) + "', 1, 1, " + std::to_string(b001) + ");";
    };
    for (int n = 1; n <= 12; ++n) {
      const std::int64_t x = 100 + 10 * n;
      before += row(n, x);
      now += row(n, n == 5 ? 4000 : n == 9 ? 0 : x + x / 10 + (n % 3) - 1);
    }
    before += row(30, 10);
    now += row(31, 10);
    testing::Exec(current, now);
    testing::Exec(last, before);
  }
  CliResult run(const std::string& args) {
    return testing::RunCli("--db " + ShellQuote(current.string()) + " " + args, dir.path());
  }
  std::string reference() const { return "--reference " + ShellQuote(last.string()) + " "; }

  testing::TempDir dir;
  fs::path current, last;
};

TEST_F(CliReview, FindingsInTheAgreedFormAndVerifiedOnesOnlyWithAll) {
  CliResult r = run("review " + reference() + "--fields b001");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 30), "matched: 12\nnew: 1\nmissing: 1\n");
  const std::vector<std::string> findings = Lines(r.out, "finding: ");
  ASSERT_EQ(findings.size(), 2u) << r.out;
  // The jump first, with its ratio in the shortest form and its score; then the drop to zero.
  const std::string jump = "finding: " + std::to_string(kBase + 5) + "\tb001\thigh\t150\t4000\t26.6666666666667\t";
  EXPECT_EQ(findings[0].substr(0, jump.size()), jump);
  EXPECT_NEAR(std::stod(findings[0].substr(jump.size())), 21430.8458430281, 1e-6);  // worked out apart
  EXPECT_EQ(findings[1], "finding: " + std::to_string(kBase + 9) + "\tb001\tto-zero\t190\t0\t\t");
  EXPECT_EQ(Lines(r.out, "findings: "), std::vector<std::string>{"findings: 2"});

  {
    db::Connection c(testing::ConnectionTo(current));
    review::ReviewFinding f;
    f.code = kBase + 5;
    f.field = "b001";
    f.last = 150;
    f.current = 4000;
    review::MarkVerified(c, f, last.string(), "");
  }
  r = run("review " + reference() + "--fields b001");
  EXPECT_EQ(Lines(r.out, "finding: ").size(), 1u);
  EXPECT_EQ(Lines(r.out, "findings: "), std::vector<std::string>{"findings: 1"});
  r = run("review " + reference() + "--fields b001 --all");
  EXPECT_EQ(Lines(r.out, "finding: ").size(), 2u);

  // Every field: the ones without enough units are said with the reason.
  r = run("review " + reference());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("skipped: z001\t可比较的单位少于10个\n"), std::string::npos);
}

TEST_F(CliReview, RosterListsTheNewAndTheMissingUnits) {
  const fs::path book = dir / "上报情况.xlsx";
  CliResult r = run("roster " + reference() + "--xlsx " + ShellQuote(book.string()));
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "matched: 12\nnew: 1\nmissing: 1\nunit: new\t" + std::to_string(kBase + 31) + "\t单位31\nunit: missing\t" +
                       std::to_string(kBase + 30) + "\t单位30\nwritten: " + book.string() + "\n");
  EXPECT_TRUE(fs::is_regular_file(book));
}

TEST_F(CliReview, BadArgumentsAndReferences) {
  const fs::path view = dir.copyOfShipped("view.mdb");
  testing::Exec(view, "alter table dt_data rename to dt_real; create view dt_data as select * from dt_real;");
  const struct {
    std::string args;
    int code;
    std::string err;  // a part of standard error
  } cases[] = {
      {"review", 2, "--reference"},
      {"review " + reference() + "--previous-year", 2, "--reference"},
      {"review " + reference() + "--u 2", 2, "--u 2"},
      {"review " + reference() + "--c nan", 2, "--c nan"},
      {"review " + reference() + "--fields b001,c902", 1, "c902"},
      {"review --reference " + ShellQuote((dir / "gone.mdb").string()), 1, "gone.mdb"},
      {"review --reference " + ShellQuote(view.string()), 1, "dt_data"},
      {"roster --previous-year", 0, ""},  // an empty previous-year table: every unit is new
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const CliResult r = run(c.args);
    EXPECT_EQ(r.code, c.code) << r.out << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace velmora
