// The two exports of a result set: the workbook with its headers, formats and values, and the
// database file with its table made again from the result's columns.
#include "core/export/query_export.h"

#include <gtest/gtest.h>

#include <functional>

#include <filesystem>
#include <optional>
#include <set>

#include "core/db/connection.h"
#include "core/db/error.h"
#include "core/jobs/job.h"
#include "support/database.h"
#include "support/saved_workbook.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::exports {
namespace {

namespace fs = std::filesystem;
using testing::Count;
using testing::Exec;
using testing::ReadFileBytes;
using testing::Rows;
using testing::ScriptedPrompts;
using testing::TempDir;

// A new database file holding what the statements make.
void NewDatabase(const fs::path& path, const std::string& sql) {
  db::CreateDatabase(testing::ConnectionTo(path));
  Exec(path, sql);
}

class QueryExportTest : public ::testing::Test {
 protected:
  QueryExportTest() : file(dir.copyOfShipped()), connection(testing::ConnectionTo(file)) {
    Exec(connection,
         "CREATE TABLE sample (b BIT, d DATE, i INTEGER, f DOUBLE, s VARCHAR(12), t TEXT);"
         "INSERT INTO sample VALUES (1, 41030, 1234567, 2.5, 'O''Brien', '甲');"
         "INSERT INTO sample VALUES (0, 0, -3, 0, '', NULL);"
         "INSERT INTO sample VALUES (NULL, '2012-05-01', NULL, NULL, NULL, 'x')");
    today.tm_year = 112;
    today.tm_mon = 5;
    today.tm_mday = 9;
  }

  ExportContext context() { return ExportContext{prompts, jobs::NoJob(), file.string(), dir.path().string(), today}; }

  static catalogue::TFieldData Column(const std::string& field, const std::string& hint, bool shown = true) {
    catalogue::TFieldData f;
    f.ShowName = field;
    f.Hint = hint;
    f.QueryShow = shown;
    return f;
  }

  TempDir dir;
  fs::path file;
  db::Connection connection;
  ScriptedPrompts prompts;
  std::tm today{};
};

TEST_F(QueryExportTest, AResultWithoutRecordsIsReportedByBothExportsAndAsksForNoFile) {
  const ExportSource none{connection, "select * from dt_data where c901=-1"};
  ExportContext c = context();
  EXPECT_TRUE(SaveQueryAsExcel(c, none, "Velmora查询结果", {Column("c901", "编号")}).empty);
  EXPECT_TRUE(SaveQueryAsAccess(c, none, "Velmora查询结果").empty);
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{kExcelEmptyText, kAccessEmptyText}));
  EXPECT_TRUE(prompts.fileRequests.empty());
  // Written to a known path, the empty result leaves nothing there either.
  EXPECT_FALSE(ExportQueryToWorkbook(c, none, "t", {Column("c901", "编号")}, (dir / "a.xlsx").string()).exported);
  EXPECT_FALSE(ExportQueryToDatabase(c, none, "t", (dir / "a.mdb").string()).exported);
  EXPECT_FALSE(fs::exists(dir / "a.xlsx"));
  EXPECT_FALSE(fs::exists(dir / "a.mdb"));
}

TEST_F(QueryExportTest, TheSaveDialogProposesTitleAndDateAndTheExtensionIsAppended) {
  struct Case {
    std::string answer;
    bool excel;
    std::string expected;  // "" when nothing is written
  };
  const std::string d = dir.path().string() + "/";
  const std::vector<Case> cases{
      {d + "结果", true, d + "结果.xlsx"},
      {d + "r.xlsx", true, d + "r.xlsx"},
      {d + "r.XLSX", true, d + "r.XLSX.xlsx"},
      {d + "结果", false, d + "结果.mdb"},
      {d + "r.mdb", false, d + "r.mdb"},
      {"   ", true, ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.answer);
    prompts = {};
    prompts.fileAnswers.push_back(k.answer);
    ExportContext c = context();
    const ExportSource rows{connection, "select * from sample"};
    const ExportOutcome out = k.excel ? SaveQueryAsExcel(c, rows, "Velmora查询结果", {Column("i", "整数")})
                                      : SaveQueryAsAccess(c, rows, "Velmora查询结果");
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.fileRequests[0].fileName, "Velmora查询结果-2012-06-09");
    EXPECT_EQ(prompts.fileRequests[0].title, kExportCaption);
    EXPECT_EQ(prompts.fileRequests[0].filter, k.excel ? kExcelFilter : kAccessFilter);
    EXPECT_EQ(out.path, k.expected);
    if (k.expected.empty()) {
      EXPECT_TRUE(prompts.messages.empty());
    } else {
      EXPECT_TRUE(fs::exists(k.expected));
      EXPECT_EQ(prompts.lastMessage(),
                k.excel ? kExcelDoneText + k.expected : std::string(kAccessDoneText) + k.expected + "'！");
    }
  }
  // Names no longer than the extension are kept as they are.
  EXPECT_EQ(ExportFileName("abcd", ".mdb"), "abcd");
  EXPECT_EQ(ExportFileName("abcde", ".mdb"), "abcde.mdb");
  EXPECT_EQ(ExportFileName("a.xls", ".xlsx"), "a.xls");
}

TEST_F(QueryExportTest, TheWorkbookHoldsDateHeadersAndValuesByFieldType) {
  ExportContext c = context();
  const fs::path out = dir / "list.xlsx";
  const catalogue::TFieldDataArray columns{Column("b", "是否"),   Column("d", "日期"), Column("s", "隐藏", false),
                                           Column("i", "整数"),   Column("f", "金额"), Column("s", "文字"),
                                           Column("t", "备注")};
  const ExportOutcome done =
      ExportQueryToWorkbook(c, {connection, "select * from sample order by rowid"}, "查询[1]", columns, out.string());
  ASSERT_TRUE(done.exported) << prompts.lastMessage();
  EXPECT_EQ(done.records, 3);
  const testing::SavedWorkbook wb = testing::ReadSavedWorkbook(out);
  EXPECT_EQ(wb.sheetName, "查询_1_");
  auto text = [&](const std::string& ref) {
    const testing::SavedCell* cell = wb.cell(ref);
    return cell ? (cell->number ? "#" : "") + cell->value : std::string("<none>");
  };
  struct Expect {
    const char* ref;
    std::string value;  // "#" + number for number cells, "<none>" for no cell
  };
  const std::vector<Expect> cells{
      {"A2", "导出日期:"}, {"B2", "2012-06-09"}, {"A3", "是否"},     {"B3", "日期"},     {"C3", "整数"},
      {"D3", "金额"},      {"E3", "文字"},       {"F3", "备注"},     {"G3", "<none>"},   {"A4", "<none>"},
      {"A5", "是"},        {"B5", "#41030"},     {"C5", "#1234567"}, {"D5", "#2.5"},     {"E5", "O'Brien"},
      {"F5", "甲"},        {"A6", "不是"},       {"B6", "<none>"},   {"C6", "#-3"},      {"D6", "#0"},
      {"A7", "不是"},      {"B7", "#41030"},     {"C7", "<none>"},   {"F7", "x"},
  };
  for (const Expect& e : cells) EXPECT_EQ(text(e.ref), e.value) << e.ref;
  ASSERT_NE(wb.cell("A2"), nullptr);
  EXPECT_TRUE(wb.cell("A2")->style.bold);
  EXPECT_EQ(wb.cell("A2")->style.size, 12);
  EXPECT_EQ(wb.cell("B2")->style.numberFormat, "@");
  EXPECT_EQ(wb.columnStyles.at(1).numberFormat, "@");
  EXPECT_EQ(wb.columnStyles.at(2).numberFormat, "yyyy-mm-dd") << "dates";
  EXPECT_EQ(wb.columnStyles.at(3).numberFormat, "#,##0_ ");
  EXPECT_EQ(wb.columnStyles.at(4).numberFormat, "\"￥\"#,##0.00;\"￥\"-#,##0.00");
  for (int column = 1; column <= 6; ++column) EXPECT_TRUE(wb.widths.count(column)) << column;
}

TEST_F(QueryExportTest, ListColumnsLoseTheSortMarkerOnly) {
  const catalogue::TFieldDataArray columns =
      ListColumns({{"c901", "统计编号▲"}, {"c902", "单位名称▼"}, {"c903", "行业"}, {"c904", "▲类别"}});
  std::vector<std::string> hints;
  for (const auto& c : columns) {
    hints.push_back(c.Hint);
    EXPECT_TRUE(c.QueryShow);
  }
  EXPECT_EQ(hints, (std::vector<std::string>{"统计编号", "单位名称", "行业", "▲类别"}));
}

TEST_F(QueryExportTest, TheDatabaseFileGetsEveryColumnWithItsTypeAndAnOldTableIsReplaced) {
  const fs::path out = dir / "out.mdb";
  NewDatabase(out, "CREATE TABLE [Velmora查询结果] (old INTEGER); INSERT INTO [Velmora查询结果] VALUES (7);"
            "CREATE TABLE other (k INTEGER); INSERT INTO other VALUES (1)");
  ExportContext c = context();
  for (bool inTransaction : {true, false}) {
  std::optional<db::Transaction> tx;
  if (inTransaction) tx.emplace(connection);
  ASSERT_TRUE(ExportQueryToDatabase(c, {connection, "select * from sample order by rowid"}, "Velmora查询结果",
                                    out.string())
                  .exported)
      << prompts.lastMessage();
  }
  db::Connection target(testing::ConnectionTo(out));
  const auto types = Rows(target, "SELECT name, type FROM pragma_table_info('Velmora查询结果')");
  std::vector<std::string> described;
  for (const auto& r : types) described.push_back(r[0].toString() + " " + r[1].toString());
  EXPECT_EQ(described,
            (std::vector<std::string>{"b BIT", "d DATE", "i INTEGER", "f DOUBLE", "s VARCHAR(12)", "t TEXT"}));
  std::vector<std::string> rows;
  for (const auto& r : Rows(target, "SELECT b, d, i, f, s, t, typeof(d), typeof(t) FROM [Velmora查询结果] ORDER BY rowid")) {
    std::string line;
    for (const auto& v : r) line += v.toString() + "|";
    rows.push_back(line);
  }
  ASSERT_EQ(rows.size(), 3u);
  // Numbers blank go in as 0, dates blank as null; texts as they are, quotes included.
  EXPECT_EQ(rows[0], "1|41030|1234567|2.5|O'Brien|甲|integer|text|");
  EXPECT_EQ(rows[1], "0|0|-3|0|||integer|text|");
  EXPECT_EQ(rows[2], "0|2012-05-01|0|0||x|text|text|");
  EXPECT_EQ(Count(target, "other"), 1) << "other tables stay";
}

TEST_F(QueryExportTest, AFailureDuringTheRowsKeepsThePreviousTableAndReportsNoExport) {
  // The third row of the result cannot be read.
  connection.createFunction("boom", 1, [](const std::vector<db::Variant>& a) -> db::Variant {
    if (a[0].toInt64() == 3) throw db::DbError("磁盘已满");
    return a[0];
  });
  Exec(connection, "CREATE TABLE n (k INTEGER); INSERT INTO n VALUES (1),(2),(3),(4)");
  const ExportSource failing{connection, "select boom(k) as k from n", 4};
  const fs::path existing = dir / "existing.mdb", fresh = dir / "fresh.mdb";
  NewDatabase(existing, "CREATE TABLE result (old INTEGER); INSERT INTO result VALUES (7)");
  const std::string before = ReadFileBytes(existing);

  ExportContext c = context();
  // The engine's copy, and the row-by-row copy taken while the source is inside a transaction.
  for (bool inTransaction : {false, true}) {
    SCOPED_TRACE(inTransaction);
    prompts = {};
    std::optional<db::Transaction> tx;
    if (inTransaction) tx.emplace(connection);
    EXPECT_FALSE(ExportQueryToDatabase(c, failing, "result", existing.string()).exported);
    ASSERT_GE(prompts.messages.size(), 2u) << prompts.lastMessage();
    EXPECT_NE(prompts.messages[0].find("磁盘已满"), std::string::npos);
    EXPECT_EQ(prompts.messages[0].rfind("运行中发生错误：", 0), 0u);
    EXPECT_EQ(prompts.messages[1].rfind("INSERT INTO ", 0), 0u) << "the last statement built";
    EXPECT_NE(prompts.messages[1].find("[result]"), std::string::npos);
    tx.reset();
    EXPECT_EQ(testing::Scalar(existing, "SELECT group_concat(old) FROM result").toString(), "7");
    EXPECT_EQ(testing::Scalar(existing, "SELECT count(*) FROM sqlite_master").toInt64(), 1);
  }

  prompts = {};
  EXPECT_FALSE(ExportQueryToDatabase(c, failing, "result", fresh.string()).exported);
  EXPECT_FALSE(fs::exists(fresh)) << "a file made for the export goes again";

  prompts = {};
  EXPECT_FALSE(ExportQueryToWorkbook(c, failing, "r", {Column("k", "k")}, (dir / "r.xlsx").string()).exported);
  EXPECT_EQ(prompts.messages.size(), 1u);
  EXPECT_FALSE(fs::exists(dir / "r.xlsx")) << "no half workbook";
  for (const auto& e : fs::directory_iterator(dir.path())) EXPECT_NE(e.path().extension(), ".tmp") << e.path();
}

TEST_F(QueryExportTest, PathsThatMustNotBeWrittenAreRefusedUntouched) {
  const fs::path text = dir / "notes.mdb", book = dir / "notes.xlsx", real = dir / "real.xlsx";
  testing::WriteFileBytes(text, "不是数据库\r\n");
  testing::WriteFileBytes(book, "plain text");
  NewDatabase(dir / "db.xlsx", "CREATE TABLE x (a)");
  struct Case {
    const char* name;
    bool excel;
    fs::path path;
  };
  const std::vector<Case> cases{
      {"a text file named .mdb", false, text},  {"the open database", false, file},
      {"the open database as a workbook", true, file}, {"a text file named .xlsx", true, book},
      {"a database named .xlsx", true, dir / "db.xlsx"}, {"a folder that is missing", true, dir / "no" / "a.xlsx"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    prompts = {};
    const std::string before = fs::exists(k.path) ? ReadFileBytes(k.path) : "";
    ExportContext c = context();
    const ExportSource rows{connection, "select * from sample"};
    const ExportOutcome out = k.excel ? ExportQueryToWorkbook(c, rows, "t", {Column("i", "i")}, k.path.string())
                                      : ExportQueryToDatabase(c, rows, "t", k.path.string());
    EXPECT_FALSE(out.exported);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].find("已经正确导出"), std::string::npos);
    if (!before.empty()) {
      EXPECT_EQ(ReadFileBytes(k.path), before);
    }
  }
  // An earlier workbook is replaced.
  ExportContext c = context();
  ASSERT_TRUE(ExportQueryToWorkbook(c, {connection, "select * from sample"}, "t", {Column("i", "i")}, real.string())
                  .exported);
  EXPECT_TRUE(ExportQueryToWorkbook(c, {connection, "select * from sample"}, "t", {Column("s", "s")}, real.string())
                  .exported);
  EXPECT_EQ(testing::ReadSavedWorkbook(real).cell("A3")->value, "s");
}

TEST_F(QueryExportTest, AStopLeavesNoFileAndTheProgressCountsTheRecords) {
  struct StopAfter : jobs::Job {
    std::int64_t total = -1, steps = 0, limit = 0;
    void start(std::int64_t t, std::int64_t) override { total = t; }
    void step(std::int64_t n) override { steps += n; }
    bool stopRequested() const override { return limit > 0 && steps >= limit; }
  };
  // More rows than the job is polled after.
  for (int i = 0; i < 7; ++i) Exec(connection, "INSERT INTO sample SELECT * FROM sample");
  for (std::int64_t limit : {0, 1}) {
    SCOPED_TRACE(limit);
    StopAfter job;
    job.limit = limit;
    ExportContext c{prompts, job, file.string(), dir.path().string(), today};
    const fs::path out = dir / ("stop" + std::to_string(limit) + ".xlsx");
    const bool done = ExportQueryToWorkbook(c, {connection, "select * from sample"}, "t", {Column("i", "i")},
                                            out.string())
                          .exported;
    EXPECT_EQ(job.total, 384);
    EXPECT_EQ(done, limit == 0);
    EXPECT_EQ(fs::exists(out), limit == 0);
  }
}

// A stopped export says that nothing was written (and is not an error), into a new database file
// and into one that exists alike.
TEST_F(QueryExportTest, AStoppedExportSaysNothingWasWritten) {
  struct StopAtOnce : jobs::Job {
    bool stopRequested() const override { return true; }
  };
  for (int i = 0; i < 7; ++i) Exec(connection, "INSERT INTO sample SELECT * FROM sample");
  const fs::path existing = dir / "existing.mdb";
  fs::copy_file(testing::ShippedDatabase(), existing);
  const std::string before = testing::ReadFileBytes(existing);
  struct Case {
    const char* name;
    std::function<ExportOutcome(ExportContext&)> run;
    fs::path out;
  } cases[] = {
      {"workbook",
       [&](ExportContext& c) {
         return ExportQueryToWorkbook(c, {connection, "select * from sample"}, "t", {Column("i", "i")},
                                      (dir / "stopped.xlsx").string());
       },
       dir / "stopped.xlsx"},
      {"new database",
       [&](ExportContext& c) {
         return ExportQueryToDatabase(c, {connection, "select * from sample"}, "t", (dir / "stopped.mdb").string());
       },
       dir / "stopped.mdb"},
      {"existing database",
       [&](ExportContext& c) { return ExportQueryToDatabase(c, {connection, "select * from sample"}, "t", existing.string()); },
       {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ScriptedPrompts shown;
    StopAtOnce job;
    ExportContext c{shown, job, file.string(), dir.path().string(), today};
    EXPECT_FALSE(k.run(c).exported);
    ASSERT_EQ(shown.messages.size(), 1u);
    EXPECT_EQ(shown.messages[0], kStoppedText);
    EXPECT_EQ(shown.shown[0].kind, MessageKind::Warning);
    if (!k.out.empty()) {
      EXPECT_FALSE(fs::exists(k.out));
    }
  }
  EXPECT_EQ(testing::ReadFileBytes(existing), before);
}

}  // namespace
}  // namespace velmora::exports
