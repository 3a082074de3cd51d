// Deleting records: the questions asked, the statements run (counted by the engine's own trace),
// the rows that go and the rows that stay.
#include "core/records/record_delete.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/records/generator.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::records {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPrompts;
using testing::TempDir;


class RecordDeleteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_ / "records.mdb";
    GenerateDatabase(testing::ShippedDatabase().string(), file_.string(), GenerateOptions{20, 3, 0, true});
    connection_.setConnectionString("Data Source=" + db::Connection::QuoteValue(file_.string()) + ";Mode=ReadWrite");
    for (const db::Variant& key : testing::Column(connection_, "SELECT c901 FROM dt_data ORDER BY c901"))
      keys_.emplace_back(key.toDouble());
    connection_.traceStatements([this](const std::string& sql) {
      if (sql.rfind("delete", 0) == 0) ++deletes_;
    });
  }
  std::int64_t count(const std::string& table = "dt_data") {
    return testing::Count(connection_, table);
  }
  bool exists(const db::Variant& key) {
    return !testing::Scalar(connection_, "SELECT 1 FROM dt_data WHERE c901=?1", {key}).isNull();
  }
  TempDir dir_;
  fs::path file_;
  db::Connection connection_;
  std::vector<db::Variant> keys_;
  int deletes_ = 0;
  ScriptedPrompts prompts_;
};

struct SelectedCase {
  const char* name;
  std::vector<int> selected;  // indexes into the keys; empty: the current row (key 5) alone
  std::vector<Answer> answers;
  std::vector<Answer> buttons;  // of every question
  int questions;
  int statements;
  std::vector<int> gone;
};

TEST_F(RecordDeleteTest, SelectedRowsAskAndDeleteAsAnswered) {
  const std::vector<Answer> yesNo{Answer::Yes, Answer::No}, noAll{Answer::No, Answer::YesToAll};
  const SelectedCase cases[] = {
      {"current row, yes", {}, {Answer::Yes}, yesNo, 1, 1, {5}},
      {"current row, no", {}, {Answer::No}, yesNo, 1, 0, {}},
      {"one selected row", {9}, {Answer::Yes}, yesNo, 1, 1, {9}},
      {"yes to all at once", {2, 4, 6, 8}, {Answer::YesToAll}, noAll, 1, 1, {2, 4, 6, 8}},
      {"yes, closed, then yes to all", {1, 3, 5, 7}, {Answer::Yes, Answer::Cancel, Answer::YesToAll}, noAll, 3, 2,
       {1, 5, 7}},
      {"no stops", {1, 3}, {Answer::Yes, Answer::No}, noAll, 2, 1, {1}},
      {"closed boxes go on to the end", {1, 3}, {Answer::Cancel, Answer::Cancel}, noAll, 2, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    std::vector<db::Variant> selected;
    for (int i : c.selected) selected.push_back(keys_[static_cast<std::size_t>(i)]);
    prompts_ = ScriptedPrompts{};
    prompts_.askAnswers.assign(c.answers.begin(), c.answers.end());
    int requeries = 0;
    DeleteListHooks hooks;
    hooks.afterStatement = [&] { ++requeries; };
    const auto outcome =
        DeleteSelectedRecords(prompts_, connection_, "dt_data", "c901", keys_[5], selected, hooks);
    EXPECT_EQ(static_cast<int>(prompts_.shown.size()), c.questions);
    for (const auto& shown : prompts_.shown) {
      EXPECT_EQ(shown.type, testing::PromptType::Ask);
      EXPECT_EQ(shown.text, kDeleteQuestion);
      EXPECT_EQ(shown.buttons, c.buttons);
    }
    EXPECT_EQ(deletes_, c.statements);
    EXPECT_EQ(outcome.statements, c.statements);
    EXPECT_EQ(requeries, c.statements);
    EXPECT_EQ(count(), 20 - static_cast<std::int64_t>(c.gone.size()));
    for (int i : c.gone) EXPECT_FALSE(exists(keys_[static_cast<std::size_t>(i)])) << i;
    EXPECT_EQ(outcome.deleted.size(), c.gone.size());
    deletes_ = 0;
    keys_.clear();
  }
}

TEST_F(RecordDeleteTest, AnEmptyListAsksNothing) {
  DeleteListHooks hooks;
  hooks.listIsEmpty = [] { return true; };
  auto outcome = DeleteSelectedRecords(prompts_, connection_, "dt_data", "c901", keys_[0], {keys_[0], keys_[1]}, hooks);
  EXPECT_TRUE(prompts_.messages.empty());
  outcome = DeleteSelectedRecords(prompts_, connection_, "dt_data", "c901", std::nullopt, {});
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_EQ(outcome.statements, 0);
}

TEST_F(RecordDeleteTest, ARefusedDeleteShowsTheEnginesTextAndKeepsWhatWasDeleted) {
  connection_.execute("CREATE TRIGGER keep_one BEFORE DELETE ON dt_data WHEN old.c901=" + keys_[3].toString() +
                      " BEGIN SELECT RAISE(ABORT, '该记录不能删除'); END");
  prompts_.askAnswers = {Answer::Yes, Answer::Yes, Answer::Yes};
  int requeries = 0;
  DeleteListHooks hooks;
  hooks.afterStatement = [&] { ++requeries; };
  const auto outcome = DeleteSelectedRecords(prompts_, connection_, "dt_data", "c901", keys_[1],
                                             {keys_[1], keys_[3], keys_[4]}, hooks);
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(prompts_.lastMessage(), "该记录不能删除");
  EXPECT_EQ(requeries, 2);  // the list is read again after the refusal too
  EXPECT_FALSE(exists(keys_[1]));
  EXPECT_TRUE(exists(keys_[3]));
  EXPECT_TRUE(exists(keys_[4]));
}

TEST(RecordDeleteTextTest, KeysAndBoundsAreWrittenAsTheEngineReadsThem) {
  EXPECT_EQ(KeyText(db::Variant(110101000001.0)), "110101000001");
  EXPECT_EQ(KeyText(db::Variant(2.5)), "2.5");
  EXPECT_EQ(KeyText(db::Variant("O'Brien")), "'O''Brien'");
  EXPECT_EQ(RangeBoundText(110101000001.0), "110101000001.00");
  EXPECT_EQ(RangeBoundText(7), "7.00");
}

struct RangeCase {
  const char* lower;
  const char* upper;
  bool confirm;
  bool refused;          // "请输入删除的范围"
  const char* lowerShown;
  const char* upperShown;
  int statements;
};

TEST_F(RecordDeleteTest, RangesAreCheckedSwappedAndConfirmed) {
  const std::string k2 = keys_[2].toString(), k6 = keys_[6].toString();
  const RangeCase cases[] = {
      {"", "5", true, true, "0", "5", 0},
      {"0", k6.c_str(), true, true, "0", k6.c_str(), 0},
      {k2.c_str(), "", true, true, k2.c_str(), "0", 0},
      {k2.c_str(), k6.c_str(), false, false, k2.c_str(), k6.c_str(), 0},
      {k2.c_str(), k6.c_str(), true, false, k2.c_str(), k6.c_str(), 1},
      {k6.c_str(), k2.c_str(), true, false, k6.c_str(), k6.c_str(), 1},  // upper below lower: one code
      {"1", "1101010000011", true, true, "1", "1101010000011", 0},     // 13 digits are no code
  };
  const int goneBy[] = {0, 0, 0, 0, 5, 1, 0};
  int i = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.lower) + ".." + c.upper);
    SetUp();
    prompts_ = ScriptedPrompts{};
    prompts_.confirmAnswers = {c.confirm};
    std::string lower = c.lower, upper = c.upper;
    EXPECT_EQ(DeleteRecordRange(prompts_, connection_, session::EditionSettings{}, lower, upper), c.statements);
    EXPECT_EQ(prompts_.lastMessage(), c.refused ? kEnterRange : kDeleteWarning);
    EXPECT_EQ(prompts_.lastTitle(), c.refused ? "提示信息" : "警告信息");
    ASSERT_FALSE(prompts_.shown.empty());
    EXPECT_EQ(prompts_.last().type, c.refused ? testing::PromptType::Message : testing::PromptType::Confirm);
    const std::vector<Answer> buttons = c.refused ? std::vector<Answer>{} : std::vector<Answer>{Answer::Yes, Answer::No};
    EXPECT_EQ(prompts_.last().buttons, buttons);
    EXPECT_EQ(lower, c.lowerShown);
    EXPECT_EQ(upper, c.upperShown);
    EXPECT_EQ(count(), 20 - goneBy[i++]);
    keys_.clear();
  }
}

TEST_F(RecordDeleteTest, AllRecordsDeletesTheCompanionTableOnlyInItsEdition) {
  connection_.execute("insert into dt_dataelse (c901) values (1)");
  prompts_.confirmAnswers = {false, true};
  EXPECT_EQ(DeleteAllRecords(prompts_, connection_, session::EditionSettings{}), 0);
  EXPECT_EQ(count(), 20);
  EXPECT_EQ(DeleteAllRecords(prompts_, connection_, session::EditionSettings{}), 1);
  EXPECT_EQ(prompts_.lastMessage(), kDeleteWarning);
  EXPECT_EQ(prompts_.lastTitle(), "警告信息");
  EXPECT_EQ(count(), 0);
  EXPECT_EQ(count("dt_dataelse"), 1);

  session::EditionSettings companion;
  companion.EditionCompanionTable = 1;
  prompts_.confirmAnswers = {true};
  EXPECT_EQ(DeleteAllRecords(prompts_, connection_, companion), 2);
  EXPECT_EQ(count("dt_dataelse"), 0);
}

}  // namespace
}  // namespace velmora::records
