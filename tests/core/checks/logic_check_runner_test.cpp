// The batch check over stored records: report file bytes, record states, the end of a run
// (congratulation, opened report, stop, failure), pause and resume, the statements of the three
// ways of checking and the report's file name.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/checks/logic_check_runner.h"
#include "core/checks/rule_text.h"
#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/session/session.h"
#include "core/text/gbk_encoder.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

using checks::LogicCheckResult;

class MapHints : public checks::FieldHints {
 public:
  std::map<std::string, std::string> hints{{"z022", "女职工组织"}, {"w001", "文化宫"}, {"s001", "经审会"}};
  std::optional<std::string> HintOf(const std::string& name) override {
    auto it = hints.find(name);
    if (it == hints.end()) return std::nullopt;
    return it->second;
  }
};

// The run's view of a dialog, scripted: pauses or stops after given records.
class ScriptedControl : public jobs::Job {
 public:
  std::int64_t total = -1, done = 0;
  std::int64_t pauseAfter = -1;   // pause once this many records are done ...
  int pausedWaits = 3;            // ... and resume after this many waits
  std::int64_t stopAfter = -1;
  int waits = 0, events = 0;
  bool paused_ = false, stop = false;

  int finishes = 0;
  void start(std::int64_t t, std::int64_t d) override {
    total = t;
    done = d;
  }
  void step(std::int64_t count) override { done += count; }
  void finish() override { ++finishes; }
  bool paused() const override { return paused_; }
  bool stopRequested() const override { return stop; }
  void processEvents(bool wait) override {
    ++events;
    if (wait) {
      EXPECT_TRUE(paused_);
      if (++waits == pausedWaits) paused_ = false;
      return;
    }
    if (done == pauseAfter && waits == 0) paused_ = true;
    if (done == stopAfter) stop = true;
  }
};

// Passing: two employees, both members, one part-time cadre. The failing ones add faults.
constexpr const char* kPassingColumns = "z002, z006, z020";
constexpr const char* kPassingValues = "2, 2, 1";

class CheckRun : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_.copyOfShipped("check.mdb");
    conn_.setConnectionString(session::DatabaseSession::ConnectionStringFor(file_.string()));
    options_.reportPath = (dir_ / "report.txt").string();
    options_.clock = [] { return checks::CheckTime{2013, 3, 7, 9, 5}; };
    options_.eventInterval = 1;
  }
  void Insert(double code, const std::string& name, const std::string& extraColumns = "",
              const std::string& extraValues = "", int state = 0, int c912 = 1) {
    conn_.execute("insert into dt_data (c901, c902, c912, RecordState, " + std::string(kPassingColumns) +
                  extraColumns + ") values (" + db::FormatNumber(code) + ", '" + name + "', " + std::to_string(c912) +
                  ", " + std::to_string(state) + ", " + kPassingValues + extraValues + ")");
  }
  std::vector<int> States() {
    db::Query q(conn_);
    q.setSql("select RecordState from dt_data order by c901");
    q.open();
    std::vector<int> states;
    for (q.first(); !q.eof(); q.next()) states.push_back(q["RecordState"].asInteger());
    return states;
  }
  LogicCheckResult Run(const std::string& sql = checks::AllRecordsSql("c912<=2")) {
    return checks::RunLogicCheck(conn_, sql, prompts_, hints_, options_);
  }
  std::string Report() { return ReadFileBytes(options_.reportPath); }
  static std::string Gbk(const std::string& utf8Lines) {
    std::string withCrLf;
    for (char c : utf8Lines) {
      if (c == '\n') withCrLf += '\r';
      withCrLf += c;
    }
    return text::GbkEncoder().Encode(withCrLf);
  }

  TempDir dir_;
  std::filesystem::path file_;
  db::Connection conn_;
  ScriptedPrompts prompts_;
  MapHints hints_;
  checks::LogicCheckOptions options_;
};

constexpr const char* kHead = "#2012基层调查表逻辑检查结果\n#检查时间：2013年03月07日 09:05\n\n\n";

TEST_F(CheckRun, FirstAndThirdOfThreeFail) {
  Insert(110101000001, "甲工会", ", z022, w001", ", 3, 6", 1);
  Insert(110101000002, "乙工会");
  Insert(110101000003, "丙工会", ", s001", ", 3");
  const LogicCheckResult r = Run();

  const std::string expected = std::string(kHead) +
                               "110101000001  甲工会的数据有错误\n" + std::string(80, '-') + "\n" +
                               "  判断规则：z022<=2\n  规则说明：[女职工组织]只能填写0、1或2\n\n"
                               "  判断规则：z003>0 or (z003=0 and z022=0)\n  规则说明：如果z003=0，那么[女职工组织]必须等于0\n\n"
                               "  判断规则：w001<=5\n  规则说明：[文化宫]不能大于5\n\n"
                               "110101000003  丙工会的数据有错误\n" + std::string(80, '-') + "\n" +
                               "  判断规则：s001<=2\n  规则说明：[经审会]只能填写0、1或2\n\n" +
                               std::string(49, '=') + "\n共有2个单位的数据存在逻辑错误！\n共有4个逻辑错误项！\n";
  EXPECT_EQ(Report(), Gbk(expected));
  EXPECT_NE(Report().find("\xB9\xB2\xD3\xD0"), std::string::npos);  // 共有 in GBK
  EXPECT_EQ(States(), (std::vector<int>{2, 1, 2}));
  EXPECT_EQ(r.end, LogicCheckResult::End::Completed);
  EXPECT_EQ(r.checked, 3);
  EXPECT_EQ(r.ErrorUnitCount, 2);
  EXPECT_EQ(r.ErrorItemCount, 4);
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_EQ(prompts_.openedDocuments, std::vector<std::string>{options_.reportPath});
}

TEST_F(CheckRun, EndsWithTheCongratulationWhenNothingFails) {
  struct Case {
    const char* what;
    int records;
  } cases[] = {{"no records", 0}, {"two passing records", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    conn_.execute("delete from dt_data");
    prompts_ = ScriptedPrompts();
    for (int i = 0; i < c.records; ++i) Insert(110101000001 + i, "工会");
    Insert(110101000009, "不报送的工会", ", w001", ", 9", 0, 3);  // c912 3 takes no part
    const LogicCheckResult r = Run();
    EXPECT_EQ(r.end, LogicCheckResult::End::Completed);
    EXPECT_EQ(r.checked, c.records);
    EXPECT_EQ(Report(), Gbk(kHead));
    EXPECT_EQ(prompts_.messages, std::vector<std::string>{checks::kCongratulation});
    EXPECT_TRUE(prompts_.openedDocuments.empty());
    std::vector<int> states(static_cast<std::size_t>(c.records), 1);
    states.push_back(0);
    EXPECT_EQ(States(), states);
  }
}

TEST_F(CheckRun, OnlyChangedStatesAreWritten) {
  conn_.execute("create table state_writes (c901 double)");
  conn_.execute(
      "create trigger count_state_writes after update of RecordState on dt_data begin "
      "insert into state_writes values (new.c901); end");
  Insert(1, "a", "", "", 1);            // passes, already 1
  Insert(2, "b", ", w001", ", 6", 2);   // fails, already 2
  Insert(3, "c", "", "", 0);            // passes, was 0
  Insert(4, "d", ", w001", ", 6", 1);   // fails, was 1
  Run();
  EXPECT_EQ(States(), (std::vector<int>{1, 2, 1, 2}));
  db::Query q(conn_);
  q.setSql("select c901 from state_writes order by c901");
  q.open();
  std::vector<std::int64_t> written;
  for (q.first(); !q.eof(); q.next()) written.push_back(q["c901"].asInt64());
  EXPECT_EQ(written, (std::vector<std::int64_t>{3, 4}));

  // without marking the passed records, a passing record keeps its state
  conn_.execute("update dt_data set RecordState=0");
  options_.markPassed = false;
  Run();
  EXPECT_EQ(States(), (std::vector<int>{0, 2, 0, 2}));
}

TEST_F(CheckRun, PauseAndResumeCheckEveryRecordOnce) {
  for (int i = 1; i <= 5; ++i) Insert(i, "工会" + std::to_string(i), ", w001", ", 6");
  ScriptedControl control;
  control.pauseAfter = 2;
  options_.job = &control;
  const LogicCheckResult r = Run();
  EXPECT_EQ(control.waits, 3);
  EXPECT_EQ(control.total, 5);
  EXPECT_EQ(control.done, 5);
  EXPECT_EQ(r.checked, 5);
  EXPECT_EQ(r.ErrorItemCount, 5);
  const std::string report = Report();
  for (int i = 1; i <= 5; ++i) {
    const std::string header = text::GbkEncoder().Encode(std::to_string(i) + "  工会" + std::to_string(i) + "的数据有错误");
    const std::size_t at = report.find(header);
    ASSERT_NE(at, std::string::npos) << i;
    EXPECT_EQ(report.find(header, at + 1), std::string::npos) << i;
  }
}

TEST_F(CheckRun, StopEndsAfterTheCurrentRecord) {
  for (int i = 1; i <= 5; ++i) Insert(i, "工会", ", w001", ", 6");
  ScriptedControl control;
  control.stopAfter = 2;
  options_.job = &control;
  const LogicCheckResult r = Run();
  EXPECT_EQ(r.end, LogicCheckResult::End::Stopped);
  EXPECT_EQ(r.checked, 2);
  EXPECT_EQ(States(), (std::vector<int>{2, 2, 0, 0, 0}));
  const std::string block = "  工会的数据有错误\n" + std::string(80, '-') + "\n  判断规则：w001<=5\n  规则说明：[文化宫]不能大于5\n\n";
  EXPECT_EQ(Report(), Gbk(std::string(kHead) + "1" + block + "2" + block));  // no totals
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_TRUE(prompts_.openedDocuments.empty());
  EXPECT_EQ(control.finishes, 1);
}

// The count of a statement that takes long is stopped through the engine: no state and no report
// changes, no message.
TEST_F(CheckRun, AStopWhileCountingChangesNothing) {
  for (int i = 1; i <= 3; ++i) Insert(i, "工会", ", w001", ", 6");
  const std::string previous = Gbk(std::string(kHead) + "an earlier run\n");
  WriteFileBytes(options_.reportPath, previous);
  ScriptedControl control;
  control.stop = true;
  options_.job = &control;
  const LogicCheckResult r =
      Run("select * from dt_data where c912<=2 and (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
          "WHERE i < 3000000) SELECT count(*) FROM n) > 0");
  EXPECT_EQ(r.end, LogicCheckResult::End::Stopped);
  EXPECT_EQ(r.checked, 0);
  EXPECT_GT(control.events, 0);
  EXPECT_EQ(control.total, -1);  // never started
  EXPECT_EQ(control.finishes, 1);
  EXPECT_EQ(States(), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(Report(), previous);
  EXPECT_TRUE(prompts_.messages.empty());
  std::set<std::string> entries;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path())) entries.insert(e.path().filename().string());
  EXPECT_EQ(entries, (std::set<std::string>{"check.mdb", "report.txt"}));
}

TEST_F(CheckRun, FailuresShowTheirTextAndChangeNeitherStatesNorReport) {
  Insert(1, "a", ", w001", ", 6");
  Insert(2, "b");
  const std::string previous = Gbk(std::string(kHead) + "an earlier run\n");
  WriteFileBytes(options_.reportPath, previous);

  // a record set without a column the rules read
  LogicCheckResult r = Run("select c901, c902, c904, z001 from dt_data where c912<=2");
  EXPECT_EQ(r.end, LogicCheckResult::End::Failed);
  EXPECT_EQ(prompts_.messages, std::vector<std::string>{"字段 'z002' 不存在"});
  EXPECT_EQ(States(), (std::vector<int>{0, 0}));
  EXPECT_EQ(Report(), previous);
  EXPECT_TRUE(prompts_.openedDocuments.empty());

  // a report that cannot be created: nothing changes
  prompts_ = ScriptedPrompts();
  options_.reportPath = (dir_ / "no such folder" / "report.txt").string();
  r = Run();
  EXPECT_EQ(r.end, LogicCheckResult::End::Failed);
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_NE(prompts_.messages[0].find("no such folder"), std::string::npos);
  EXPECT_EQ(States(), (std::vector<int>{0, 0}));
  EXPECT_EQ(r.checked, 0);

  // a device is no report: refused before any state changes
  prompts_ = ScriptedPrompts();
  options_.reportPath = "/dev/full";
  r = Run();
  EXPECT_EQ(r.end, LogicCheckResult::End::Failed);
  EXPECT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(States(), (std::vector<int>{0, 0}));
  EXPECT_TRUE(prompts_.openedDocuments.empty());

  // the open database itself
  prompts_ = ScriptedPrompts();
  options_.reportPath = file_.string();
  r = Run();
  EXPECT_EQ(r.end, LogicCheckResult::End::Failed);
  EXPECT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(States(), (std::vector<int>{0, 0}));

  // the connection is usable afterwards
  EXPECT_FALSE(conn_.inTransaction());
  conn_.execute("update dt_data set RecordState=0");
}

// The report cannot take its place at the end (its name is taken by a folder meanwhile): the
// states go back to what they were and no temporary file stays.
TEST_F(CheckRun, AReportThatCannotBeRenamedRollsTheStatesBack) {
  for (int i = 1; i <= 3; ++i) Insert(i, "工会", ", w001", ", 6");
  struct Blocker : ScriptedControl {
    std::filesystem::path target;
    void processEvents(bool wait) override {
      ScriptedControl::processEvents(wait);
      if (done == 2) {
        std::filesystem::create_directories(target / "inside");
      }
    }
  } control;
  control.target = options_.reportPath;
  options_.job = &control;
  const LogicCheckResult r = Run();
  EXPECT_EQ(r.end, LogicCheckResult::End::Failed);
  EXPECT_EQ(States(), (std::vector<int>{0, 0, 0}));
  std::set<std::string> entries;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path())) entries.insert(e.path().filename().string());
  EXPECT_EQ(entries, (std::set<std::string>{"check.mdb", "report.txt"}));
  EXPECT_TRUE(std::filesystem::is_directory(options_.reportPath));
}

TEST_F(CheckRun, RecordsWithTextInIndicatorsAreCounted) {
  Insert(1, "a");
  Insert(2, "b", ", z001, w002", ", 'abc', 'x'");
  Insert(3, "c", ", w001", ", '6'");  // a number written as text is a number
  const LogicCheckResult r = Run();
  EXPECT_EQ(r.end, LogicCheckResult::End::Completed);
  EXPECT_EQ(r.NonNumericRecords, 1);
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_NE(prompts_.messages.back().find("1"), std::string::npos) << prompts_.messages.back();
}

TEST(CheckStatements, TextsOfTheThreeWaysOfChecking) {
  session::EditionSettings edition;
  EXPECT_EQ(checks::CheckFilter(edition), "c912<=2");
  edition.EditionStateC912 = 0;
  EXPECT_EQ(checks::CheckFilter(edition), "c907<=2");
  EXPECT_EQ(checks::AllRecordsSql("c912<=2"), "select * from dt_data where c912<=2");
  EXPECT_EQ(checks::CurrentRecordSql(110101000001, "c912<=2"),
            "select * from dt_data where c901=110101000001 and c912<=2");
  EXPECT_EQ(checks::SelectedRecordsSql({110101000003, 110101000001}, "c912<=2"),
            "select * from dt_data where c901 in (110101000003,110101000001) and c912<=2");
  EXPECT_EQ(checks::RangeRecordsSql(110000000000, 120000000000, "c912<=2"),
            "select * from dt_data where c912<=2 and c901>=110000000000.00 and c901<=120000000000.00");

}

TEST(CheckStatements, ReportFileNameFromTheLabel) {
  EXPECT_EQ(checks::CheckReportFileName("默认数据库"), "2012基层-默认数据库-逻辑检查结果.txt");
  EXPECT_EQ(checks::CheckReportFileName("a\\b/c:d*e?f\"g<h>i|j"), "2012基层-a_b_c_d_e_f_g_h_i_j-逻辑检查结果.txt");
  EXPECT_EQ(checks::CheckReportFileName("县\n区\t一\r二"), "2012基层-县_区_一_二-逻辑检查结果.txt");
  // a long label is cut, by whole characters, to what a file name may hold
  for (std::size_t n : {60u, 74u, 80u, 200u}) {
    SCOPED_TRACE(n);
    std::string label;
    for (std::size_t i = 0; i < n; ++i) label += "省";
    const std::string name = checks::CheckReportFileName(label);
    EXPECT_LE(name.size(), 255u);
    EXPECT_EQ(name.rfind("2012基层-省", 0), 0u);
    const std::string tail = "省-逻辑检查结果.txt";
    EXPECT_EQ(name.substr(name.size() - tail.size()), tail);
    EXPECT_EQ((name.size() - std::string("2012基层--逻辑检查结果.txt").size()) % 3, 0u);
  }
#ifndef _WIN32
  EXPECT_EQ(checks::CheckReportPath("/home/u/Documents", "省/市"), "/home/u/Documents/2012基层-省_市-逻辑检查结果.txt");
#endif
}

TEST_F(CheckRun, ALabelWithUnsafeCharactersGivesAWritableReport) {
  Insert(1, "a", ", w001", ", 6");
  options_.reportPath = checks::CheckReportPath(dir_.path().string(), "县:区/2013*\"<|>?");
  const LogicCheckResult r = Run();
  EXPECT_EQ(r.end, LogicCheckResult::End::Completed);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "2012基层-县_区_2013______-逻辑检查结果.txt"));

  std::string label;
  for (int i = 0; i < 90; ++i) label += "县";
  options_.reportPath = checks::CheckReportPath(dir_.path().string(), label + "\n");
  EXPECT_EQ(Run().end, LogicCheckResult::End::Completed);
  EXPECT_TRUE(std::filesystem::exists(options_.reportPath));
}

}  // namespace
}  // namespace velmora::testing
