#include "core/exchange/record_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/db/translate.h"
#include "core/exchange/reporting_package.h"
#include "core/settings/settings.h"
#include "support/database.h"
#include "support/exchange_fixture.h"
#include "support/stopping_job.h"

namespace velmora::exchange {
namespace {

namespace fs = std::filesystem;
using testing::ExchangeFixture;
using testing::Scalar;
using testing::StoppingJob;

class RecordImportTest : public ExchangeFixture {
 protected:
  // Five new records; the office already holds the third one's code under another name.
  void SetUp() override {
    five = makeUnitDatabase("five.mdb", 5, 7);
    third = Scalar(five, "SELECT c901 FROM dt_data ORDER BY rowid LIMIT 1 OFFSET 2").toDouble();
    upper.exec("insert into dt_data(c901,c902,c912,RecordState) values(" + db::FormatNumber(third) +
               ",'已有的单位工会',1,1)");
  }
  // A database file whose dt_data is made by `create` (in the engine's dialect).
  fs::path makeSource(const std::string& name, const std::string& create) {
    const fs::path file = dir.copyOfShipped(name);
    testing::Exec(file, "DROP TABLE dt_data; " + create);
    return file;
  }
  RecordImportResult run(const fs::path& file, bool skipFailing) {
    RecordImportOptions options;
    options.skipFailing = skipFailing;
    return ImportRecordsFrom(*upper.session, upper.prompts, file.string(), "dt_data", options);
  }

  fs::path five;
  double third = 0;
};

TEST_F(RecordImportTest, ThePrincipleAndTheAnswerDecideWhatStays) {
  struct Case {
    const char* name;
    bool skipFailing;
    bool answer;
    RecordImportStatus status;
    std::int64_t stored;  // rows of dt_data afterwards, the one already there included
    const char* tail;     // how the record's message ends
    bool closing;         // the closing message follows
    // Giving everything up leaves nothing to choose: a warning with one button. Skipping asks Yes
    // or No in a warning box.
    testing::PromptType shownAs;
  };
  using testing::PromptType;
  const std::vector<Case> cases{
      {"give everything up", false, true, RecordImportStatus::Abandoned, 1, "所以没有导入任何数据。", false,
       PromptType::Message},
      {"skip the failing one, Yes", true, true, RecordImportStatus::Imported, 5, "该数据没有被导入。要继续处理下一条么？",
       true, PromptType::Confirm},
      {"skip the failing one, No", true, false, RecordImportStatus::Abandoned, 1,
       "该数据没有被导入。要继续处理下一条么？", false, PromptType::Confirm},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    upper.prompts = {};
    upper.prompts.confirmAnswers = {c.answer};
    const RecordImportResult r = run(five, c.skipFailing);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(upper.count(), c.stored);
    EXPECT_EQ(upper.count("select count(*) from dt_data where c902='已有的单位工会'"), 1);
    ASSERT_FALSE(upper.prompts.shown.empty());
    const testing::ShownPrompt& question = upper.prompts.shown[0];
    EXPECT_EQ(question.type, c.shownAs);
    EXPECT_EQ(question.kind, MessageKind::Warning);
    EXPECT_EQ(question.title, "提示：");
    if (c.shownAs == PromptType::Confirm) {
      EXPECT_EQ(question.buttons, (std::vector<Answer>{Answer::Yes, Answer::No}));
    }
    const std::string name = Scalar(five, "SELECT c902 FROM dt_data WHERE c901 = ?1", {third}).toString();
    EXPECT_EQ(question.text, "请做好记录:因为编号为[" + db::FormatNumber(third) + "]的单位 [" + name +
                                 "] 的数据出错。\n\r\n\r现在已经存在使用相同编号的单位：\n\r\n\r    已有的单位工会\n\r请核实。\n\r\n\r" +
                                 c.tail);
    EXPECT_EQ(upper.prompts.shown.size(), c.closing ? 2u : 1u);
    if (c.closing) {
      EXPECT_EQ(upper.prompts.lastMessage(), kRecordImportDone);
    }
    upper.exec("delete from dt_data where c902<>'已有的单位工会'");
  }
}

TEST_F(RecordImportTest, AllNewRecordsGoInWithOneClosingMessage) {
  upper.exec("delete from dt_data");
  const RecordImportResult r = run(five, false);
  EXPECT_EQ(r.status, RecordImportStatus::Imported);
  EXPECT_EQ(r.imported, 5);
  EXPECT_EQ(upper.count(), 5);
  EXPECT_EQ(upper.prompts.messages, std::vector<std::string>{kRecordImportDone});
  // The records are equal to the source's in every column but the row number.
  EXPECT_EQ(upper.count("select count(*) from dt_data d where exists (select 1 from dt_data in " +
                        db::QuoteText(five.string()) + " s where s.c901=d.c901 and s.c902=d.c902 and s.z001=d.z001 and "
                        "s.b005=d.b005 and s.c910=d.c910 and s.RecordState=d.RecordState)"),
            5);
}

TEST_F(RecordImportTest, ValuesFollowTheSourceColumnsWhateverTheirOrderAndGaps) {
  upper.exec("delete from dt_data");
  const fs::path file = makeSource(
      "shuffled.mdb",
      "CREATE TABLE dt_data (z002 INTEGER, c902 VARCHAR(60), c907 VARCHAR(3), c903 DATE, z001 INTEGER, "
      "b005 DOUBLE, c910 VARCHAR(50), c901 DOUBLE);"
      "INSERT INTO dt_data VALUES (3, 'O''Brien''s 工会', '110', '', '', NULL, NULL, 100000000001);"
      "INSERT INTO dt_data VALUES (NULL, '第二''个', NULL, NULL, ' 42 ', '2.5', '张三', 100000000002);");
  const RecordImportResult r = run(file, false);
  ASSERT_EQ(r.status, RecordImportStatus::Imported) << r.message;
  struct Expect {
    const char* sql;
    db::Variant value;
  };
  const std::vector<Expect> expected{
      {"select c902 from dt_data where c901=100000000001", "O'Brien's 工会"},
      {"select z002 from dt_data where c901=100000000001", std::int64_t{3}},
      {"select c907 from dt_data where c901=100000000001", "110"},
      {"select c903 is null from dt_data where c901=100000000001", std::int64_t{1}},  // empty date: null
      {"select z001 from dt_data where c901=100000000001", std::int64_t{0}},          // empty number: 0
      {"select b005 from dt_data where c901=100000000001", std::int64_t{0}},          // null number: 0
      {"select c910 from dt_data where c901=100000000001", ""},                       // null text: empty text
      {"select c902 from dt_data where c901=100000000002", "第二'个"},
      {"select z002 from dt_data where c901=100000000002", std::int64_t{0}},
      {"select c907 from dt_data where c901=100000000002", ""},
      {"select c903 is null from dt_data where c901=100000000002", std::int64_t{1}},
      {"select z001 from dt_data where c901=100000000002", std::int64_t{42}},
      {"select b005 from dt_data where c901=100000000002", 2.5},
      {"select c910 from dt_data where c901=100000000002", "张三"},
      // columns the source lacks take their defaults
      {"select z003 from dt_data where c901=100000000002", std::int64_t{0}},
      {"select RecordState from dt_data where c901=100000000002", std::int64_t{0}},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.sql);
    EXPECT_TRUE(Scalar(upper.session->SysADOConnection(), e.sql).sameAs(e.value))
        << Scalar(upper.session->SysADOConnection(), e.sql).toString();
  }
}

TEST_F(RecordImportTest, TextInANumberColumnIsAFailingRecordNamedWithItsReason) {
  upper.exec("delete from dt_data");
  const fs::path file = makeSource("text.mdb",
                                   "CREATE TABLE dt_data (c901 DOUBLE, c902 VARCHAR(60), z001 INTEGER);"
                                   "INSERT INTO dt_data VALUES (100000000001, '甲', 1);"
                                   "INSERT INTO dt_data VALUES (100000000002, '乙', 'abc');"
                                   "INSERT INTO dt_data VALUES (100000000003, '丙', 3);");
  upper.prompts.confirmAnswers = {true};
  const RecordImportResult r = run(file, true);
  EXPECT_EQ(r.status, RecordImportStatus::Imported);
  EXPECT_EQ(r.imported, 2);
  EXPECT_EQ(r.skipped, 1);
  ASSERT_FALSE(upper.prompts.shown.empty());
  const std::string& text = upper.prompts.shown[0].text;
  EXPECT_NE(text.find("[100000000002]的单位 [乙]"), std::string::npos) << text;
  EXPECT_NE(text.find("z001"), std::string::npos) << text;
  EXPECT_NE(text.find("abc"), std::string::npos) << text;
  EXPECT_EQ(text.find("现在已经存在使用相同编号的单位"), std::string::npos);
  EXPECT_EQ(upper.count("select count(*) from dt_data where c901=100000000002"), 0);
}

TEST_F(RecordImportTest, AFileThatCannotBeImportedIsToldAndNothingChanges) {
  const fs::path text = dir / "notes.mdb";
  testing::WriteFileBytes(text, "这不是数据库\r\n");
  const fs::path package = exportPackage("unit.dat", "某区总工会");
  const fs::path noTable = dir.copyOfShipped("no-table.mdb");
  testing::Exec(noTable, "DROP TABLE dt_data");
  const fs::path extra = makeSource("extra.mdb",
                                    "CREATE TABLE dt_data (c901 DOUBLE, c902 VARCHAR(60), x_more INTEGER, y_more TEXT);"
                                    "INSERT INTO dt_data VALUES (100000000001, '甲', 1, 'a');");
  const fs::path empty = makeSource("empty.mdb", "CREATE TABLE dt_data (c901 DOUBLE, c902 VARCHAR(60))");
  const fs::path damaged = dir / "damaged.mdb";
  fs::copy_file(five, damaged);
  testing::BreakTable(damaged, "dt_data");
  struct Case {
    const char* name;
    fs::path file;
    RecordImportStatus status;
    std::vector<std::string> parts;  // the message holds each
  };
  const std::vector<Case> cases{
      {"missing", dir / "none.mdb", RecordImportStatus::Refused, {"您选择的文件并不存在，请选择其它文件。"}},
      {"a text file", text, RecordImportStatus::Refused, {"不是数据库文件", "没有导入任何数据"}},
      {"a reporting package", package, RecordImportStatus::Refused, {"数据包", "没有导入任何数据"}},
      {"no dt_data", noTable, RecordImportStatus::Refused, {"您选择的文件中不存在名字为\"dt_data\"的数据表"}},
      {"columns the office lacks", extra, RecordImportStatus::Refused, {"x_more", "y_more", "没有导入任何数据"}},
      {"empty", empty, RecordImportStatus::Empty, {kRecordImportEmpty}},
      {"the open database", upper.file, RecordImportStatus::Refused, {"打开的数据库文件"}},
      // The cause first; the engine's words only after it, in brackets.
      {"a damaged file", damaged, RecordImportStatus::Refused,
       {"文件“" + damaged.string() + "”已损坏或不完整，无法读取（", "没有导入任何数据"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    upper.prompts = {};
    const std::string before = fs::exists(c.file) ? testing::ReadFileBytes(c.file) : std::string();
    const RecordImportResult r = run(c.file, true);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(upper.count(), 1);
    ASSERT_EQ(upper.prompts.messages.size(), 1u);
    for (const std::string& part : c.parts) EXPECT_NE(upper.prompts.lastMessage().find(part), std::string::npos) << upper.prompts.lastMessage();
    if (fs::exists(c.file)) {
      EXPECT_EQ(testing::ReadFileBytes(c.file), before);  // the source is only read
    }
  }
}

TEST_F(RecordImportTest, AStoppedRunKeepsNothing) {
  upper.exec("delete from dt_data");
  const fs::path many = makeUnitDatabase("many.mdb", 600, 3);
  StoppingJob job(StoppingJob::Counting::Steps, 100);  // stops once 100 records were stepped
  RecordImportOptions options;
  const RecordImportResult r = ImportRecordsFrom(*upper.session, upper.prompts, many.string(), "dt_data", options, job);
  EXPECT_EQ(r.status, RecordImportStatus::Stopped);
  EXPECT_EQ(r.imported, 0);
  EXPECT_EQ(upper.count(), 0);
  EXPECT_EQ(upper.prompts.lastMessage(), "导入已停止，没有导入任何数据。");
}

TEST_F(RecordImportTest, TheActionAsksForTheFileAndFollowsTheSettingsPrinciple) {
  const bool saved = settings::ImportPrincipleFlag;
  // Cancel: nothing happens.
  EXPECT_FALSE(ImportRecordByRecord(*upper.session, upper.prompts, "dt_data"));
  ASSERT_EQ(upper.prompts.fileRequests.size(), 1u);
  EXPECT_EQ(upper.prompts.fileRequests[0].title, "选择导入文件");
  EXPECT_EQ(upper.prompts.fileRequests[0].filter, "Access文件(*.mdb)|*.mdb");
  EXPECT_EQ(upper.prompts.fileRequests[0].initialFolder, (dir / "docs").string());
  EXPECT_TRUE(upper.prompts.messages.empty());

  settings::ImportPrincipleFlag = true;
  upper.prompts.fileAnswers = {five.string()};
  upper.prompts.confirmAnswers = {true};
  EXPECT_TRUE(ImportRecordByRecord(*upper.session, upper.prompts, "dt_data"));
  EXPECT_EQ(upper.count(), 5);
  settings::ImportPrincipleFlag = saved;
}

}  // namespace
}  // namespace velmora::exchange
