#include "core/exchange/year_migration.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/database.h"
#include "support/exchange_fixture.h"

namespace velmora::exchange {
namespace {

using testing::ExchangeFixture;
using testing::Rows;
using testing::Scalar;

class YearMigrationTest : public ExchangeFixture {
 protected:
  db::Connection& c() { return upper.session->SysADOConnection(); }
  // Every column of dt_data_2010 but id, c900 and c901 gets a value of its own: 1000 + its position,
  // or 1 or 2 in the fields whose boxes take only small codes (the form's rules hold for last year's
  // records too).
  void fillPreviousYear(double code) {
    std::set<std::string> targets{"w001", "w002", "w003"}, small;
    for (const db::Variant& name : testing::Column(c(), "select lower(FieldName) from dt_fieldlist where QueryType = 3"))
      targets.insert(name.toString());
    for (const auto& [target, source] : MigrationColumns())
      if (targets.count(target)) small.insert(source);
    std::string names = "c901", values = db::FormatNumber(code);
    const std::vector<std::string> columns = c().columnNames("dt_data_2010");
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const std::string& n = columns[i];
      if (n == "id" || n == "c900" || n == "c901") continue;
      names += "," + n;
      values += ",";
      values += n == "c902" || n == "c907" || n == "c910" || n == "c911" ? "'" + n + "'"
                : small.count(n)                                        ? std::to_string(1 + i % 2)
                                                                        : std::to_string(1000 + i);
    }
    upper.exec("insert into dt_data_2010(" + names + ") values(" + values + ")");
  }
  db::Variant previous(const std::string& column) {
    return Scalar(c(), "select " + column + " from dt_data_2010 where c901=100000000001");
  }
};

TEST_F(YearMigrationTest, EveryColumnLandsWhereTheNewLayoutKeepsIt) {
  fillPreviousYear(100000000001);
  upper.exec("insert into dt_data_dt_data_2010(c901) values(5)");
  // What each column of dt_data must hold, read from the previous-year row before it goes: the
  // renumbered columns from their old names, the columns this year added their defaults, every
  // other column from the column of the same name.
  std::map<std::string, std::string> renamed{{"f024", "f021"}, {"f025", "f022"}, {"f026", "f023"}, {"j022", "j016"},
                                             {"j023", "j017"}, {"s002", "s001"}, {"s003", "s002"}};
  for (int n = 3; n <= 22; ++n) {
    char target[8], source[8];
    std::snprintf(target, sizeof target, "f%03d", n);
    std::snprintf(source, sizeof source, "f%03d", n - 2);
    renamed[target] = source;
  }
  const std::set<std::string> added{"f001", "f002", "f023", "j016", "j017", "j018", "j019", "j020", "j021", "s001", "s004"};
  struct Target {
    std::string column;
    db::Variant value;
  };
  std::vector<Target> expected{{"c912", std::int64_t{1}}, {"RecordState", std::int64_t{0}}, {"c900 is null", std::int64_t{1}}};
  for (const std::string& column : c().columnNames("dt_data")) {
    if (column == "id" || column == "c900" || column == "c912" || column == "RecordState") continue;
    if (const auto it = renamed.find(column); it != renamed.end())
      expected.push_back({column, previous(it->second)});
    else if (added.count(column))
      expected.push_back({column, std::int64_t{0}});
    else
      expected.push_back({column, previous(column)});
  }
  ASSERT_EQ(expected.size(), 3 + 144 - 2 + 11u);
  EXPECT_GT(previous("f010").toInt64(), 1000);  // every source value differs from the default

  upper.prompts.confirmAnswers.push_back(true);
  const OperationResult r = MigratePreviousYear(*upper.session, upper.prompts);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.rows, 1);
  EXPECT_EQ(upper.prompts.messages, (std::vector<std::string>{MigrationQuestion(1), kMigratedText}));
  for (const Target& t : expected) {
    SCOPED_TRACE(t.column);
    const db::Variant got = Scalar(c(), "select " + t.column + " from dt_data where c901=100000000001");
    EXPECT_TRUE(got.sameAs(t.value)) << got.toString() << " != " << t.value.toString();
  }
  EXPECT_EQ(upper.count("select count(*) from dt_data_2010"), 0);
  EXPECT_EQ(upper.count("select count(*) from dt_data_dt_data_2010"), 0);
}

TEST_F(YearMigrationTest, FOneOfLastYearIsFThreeOfThisYear) {
  upper.exec("insert into dt_data_2010(c901,c902,f001,f021,j016,s001) values(100000000002,'乙',2,8,1,2)");
  upper.prompts.confirmAnswers.push_back(true);
  ASSERT_TRUE(MigratePreviousYear(*upper.session, upper.prompts).ok);
  const std::vector<testing::Row> rows =
      Rows(c(), "select f003,f024,j022,s002,f001,c912,RecordState from dt_data where c901=100000000002");
  ASSERT_EQ(rows.size(), 1u);
  const std::vector<std::int64_t> want{2, 8, 1, 2, 0, 1, 0};
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(rows[0][i].toInt64(), want[i]) << i;
}

TEST_F(YearMigrationTest, AFailingMigrationLeavesEveryTableAsItWas) {
  upper.exec("insert into dt_data(c901,c902,c912,RecordState) values(100000000003,'已有',1,1)");
  upper.exec("insert into dt_data_2010(c901,c902,f001) values(100000000004,'新',1)");
  upper.exec("insert into dt_data_2010(c901,c902,f001) values(100000000003,'重复',2)");
  upper.exec("insert into dt_data_dt_data_2010(c901) values(6)");
  upper.prompts.confirmAnswers.push_back(true);
  const OperationResult r = MigratePreviousYear(*upper.session, upper.prompts);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(upper.count(), 1);
  EXPECT_EQ(upper.count("select count(*) from dt_data_2010"), 2);
  EXPECT_EQ(upper.count("select count(*) from dt_data_dt_data_2010"), 1);
  ASSERT_EQ(upper.prompts.messages.size(), 2u);
  EXPECT_EQ(upper.prompts.lastMessage().rfind("运行中发生错误：", 0), 0u) << upper.prompts.lastMessage();
  EXPECT_EQ(upper.prompts.shown[1].kind, MessageKind::Error);
}

// The migration asks first, with the number of records, and says when there is nothing to migrate;
// "no" and an empty table change nothing.
TEST_F(YearMigrationTest, AsksFirstAndSaysWhenThereIsNothingToMigrate) {
  struct Case {
    const char* name;
    int previous;  // records in dt_data_2010
    bool answer;
    bool ask;
    std::vector<std::string> shown;
    bool ok;
    std::int64_t migrated;
  } cases[] = {
      {"empty", 0, true, true, {kNothingToMigrateText}, true, 0},
      {"no", 2, false, true, {MigrationQuestion(2)}, false, 0},
      {"yes", 2, true, true, {MigrationQuestion(2), kMigratedText}, true, 2},
      {"not asked", 2, false, false, {kMigratedText}, true, 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    upper.exec("delete from dt_data");
    upper.exec("delete from dt_data_2010");
    for (int i = 0; i < k.previous; ++i)
      upper.exec("insert into dt_data_2010(c901,c902) values(" + std::to_string(100000000020 + i) + ",'甲')");
    upper.prompts = {};
    upper.prompts.confirmAnswers.push_back(k.answer);
    const OperationResult r = MigratePreviousYear(*upper.session, upper.prompts, jobs::NoJob(), k.ask);
    EXPECT_EQ(r.ok, k.ok);
    EXPECT_EQ(r.rows, k.migrated);
    EXPECT_EQ(upper.prompts.messages, k.shown);
    EXPECT_EQ(upper.count(), k.migrated);
    EXPECT_EQ(upper.count("select count(*) from dt_data_2010"), k.previous - k.migrated);
  }
}

TEST_F(YearMigrationTest, TidyTurnsOnlyStateZeroIntoOne) {
  upper.exec("delete from dt_data");
  const std::vector<std::int64_t> before{0, 1, 2, 3, 0, 5};
  for (std::size_t i = 0; i < before.size(); ++i)
    upper.exec("insert into dt_data(c901,c912) values(" + std::to_string(100000000010 + i) + "," +
               std::to_string(before[i]) + ")");
  const OperationResult r = TidyRecords(*upper.session, upper.prompts);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.rows, 2);
  EXPECT_EQ(upper.prompts.lastMessage(), kTidiedText);
  const std::vector<db::Variant> after = testing::Column(c(), "select c912 from dt_data order by c901");
  const std::vector<std::int64_t> want{1, 1, 2, 3, 1, 5};
  ASSERT_EQ(after.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(after[i].toInt64(), want[i]) << i;
}

}  // namespace
}  // namespace velmora::exchange
