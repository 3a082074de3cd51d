// velmora-cli prints one record a line: a line break or another control character in a package
// label, a unit name, a database label, a stored value or a path is shown escaped, so a script
// reading the output line by line cannot be handed a forged line.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "support/run_cli.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

std::string Db(const fs::path& file) { return "--db " + ShellQuote(file.string()) + " "; }

std::vector<std::string> Lines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CliOutputLines : public ::testing::Test {
 protected:
  CliOutputLines() {
    const CliResult g = RunCli("generate --records 6 --faulty 0 --out " + ShellQuote(unit().string()), dir.path());
    EXPECT_EQ(g.code, 0) << g.err;
  }
  fs::path unit() const { return dir / "unit.mdb"; }
  TempDir dir;
};

TEST_F(CliOutputLines, APackageLabelIsShownOnTheLabelLineWhateverItHolds) {
  const struct Case {
    std::string label;
    std::string shown;
  } cases[] = {
      {"甲\nrecords: 5\nmanifest: ok", "甲\\nrecords: 5\\nmanifest: ok"},
      {"乙\r\nmanifest: ok", "乙\\r\\nmanifest: ok"},
      {"丙\tx\\y", "丙\\tx\\\\y"},
      {"丁\x1b[2J\x7f", "丁\\x1B[2J\\x7F"},
      {"某区总工会", "某区总工会"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    const fs::path package = dir / ("p" + std::to_string(++n) + ".dat");
    const CliResult e =
        RunCli(Db(unit()) + "package export --out " + ShellQuote(package.string()) + " --label " + ShellQuote(c.label),
               dir.path());
    ASSERT_EQ(e.code, 0) << e.err;
    const CliResult info = RunCli("package info " + ShellQuote(package.string()), dir.path());
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_EQ(Lines(info.out), (std::vector<std::string>{"label: " + c.shown, "records: 6", "manifest: ok"}));
  }
}

// (A unit name with a control character is refused by the record check before it could conflict.)
TEST_F(CliOutputLines, ConflictsOfAnImportAreOneLineEachAndSoIsTheFileName) {
  db::Connection u("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + unit().string());
  db::Statement first(u, "select c901 from dt_data order by c901 limit 1");
  ASSERT_TRUE(first.step());
  const std::string code = first.value(0).toString();
  first = db::Statement();
  const fs::path package = dir / "a\nconflict: 2,forged.dat";
  ASSERT_EQ(RunCli(Db(unit()) + "package export --out " + ShellQuote(package.string()) + " --label 甲", dir.path()).code,
            0);
  const fs::path upper = dir.copyOfShipped("upper.mdb");
  {
    db::Connection up("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + upper.string());
    up.execute("insert into dt_data (c901, c902) values (" + code + ", 'x')");
  }
  const CliResult r = RunCli(Db(upper) + "package import " + ShellQuote(package.string()) + " --dry-run --report " +
                                 ShellQuote((dir / "r\nreport: forged.txt").string()),
                             dir.path());
  EXPECT_EQ(r.code, 1) << r.err;
  int conflictLines = 0, fileLines = 0, reportLines = 0;
  for (const std::string& line : Lines(r.out)) {
    SCOPED_TRACE(line);
    const bool known = line.rfind("file: ", 0) == 0 || line.rfind("conflict: ", 0) == 0 ||
                       line.rfind("imported: ", 0) == 0 || line.rfind("conflicts: ", 0) == 0 ||
                       line.rfind("report: ", 0) == 0;
    EXPECT_TRUE(known);
    conflictLines += line.rfind("conflict: ", 0) == 0;
    fileLines += line.rfind("file: ", 0) == 0;
    reportLines += line.rfind("report: ", 0) == 0;
  }
  EXPECT_EQ(conflictLines, 1) << r.out;
  EXPECT_EQ(fileLines, 1) << r.out;
  EXPECT_LE(reportLines, 1) << r.out;
  EXPECT_NE(r.out.find("a\\nconflict: 2,forged.dat"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\nconflict: " + code + ","), std::string::npos) << r.out;
  for (const std::string& line : Lines(r.err)) EXPECT_NE(line.rfind("report: forged", 0), 0u) << r.err;
}

TEST_F(CliOutputLines, StoredTextsAreShownEscapedByteForByte) {
  const struct Case {
    std::string expression;
    std::string shown;
  } cases[] = {
      {"'a'||char(10)||'b'", "a\\nb"},
      {"'a'||char(13)||'b'", "a\\rb"},
      {"'a'||char(9)||'b'", "a\\tb"},
      {"'a\\b'", "a\\\\b"},
      {"'a'||char(27)||char(1)||char(127)", "a\\x1B\\x01\\x7F"},
      {"cast(x'ff41c3' as text)", "\\xFFA\\xC3"},
      {"'a'||char(155)", "a\\xC2\\x9B"},
      {"'工会 (甲)'", "工会 (甲)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    const CliResult r = RunCli(Db(unit()) + "sql " + ShellQuote("select " + c.expression + " as v"), dir.path());
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "v\n" + c.shown + "\n");
  }
}

TEST_F(CliOutputLines, TheDatabaseLabelAndTheOutputPathsStayOnTheirLines) {
  ASSERT_EQ(RunCli(Db(unit()) + "sql \"update ct_label set db_name = '某区'||char(10)||'records: 99'\"", dir.path()).code,
            0);
  const CliResult info = RunCli(Db(unit()) + "info", dir.path());
  EXPECT_EQ(info.code, 0) << info.err;
  const std::vector<std::string> lines = Lines(info.out);
  ASSERT_EQ(lines.size(), 5u) << info.out;
  EXPECT_EQ(lines[0], "label: 某区\\nrecords: 99");

  const fs::path backup = dir / "b\nbackup: forged.mdb";
  const CliResult b = RunCli(Db(unit()) + "backup --out " + ShellQuote(backup.string()), dir.path());
  EXPECT_EQ(b.code, 0) << b.err;
  EXPECT_TRUE(fs::exists(backup));
  EXPECT_EQ(Lines(b.out), (std::vector<std::string>{"备份成功", "backup: " + (dir / "b\\nbackup: forged.mdb").string()}));
}

}  // namespace
}  // namespace velmora::testing
