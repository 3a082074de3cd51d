// The conditions of the code-range search and the indicator query, and finding records by name:
// every condition either reads as the dialog's fields say or is refused with its message, and
// names with wildcards or apostrophes match only themselves.
#include "core/search/search_conditions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/db/connection.h"
#include "support/database.h"
#include "support/test_paths.h"

namespace velmora::search {
namespace {

using testing::TempDir;

TEST(SearchConditions, CodeRangeFromItsFields) {
  struct Case {
    CodeRangeInput input;
    const char* text;     // the condition, or "" when refused
    const char* refusal;  // the message when refused
    SearchField focus;
  } cases[] = {
      {{4, "5", 1, 5, "9"}, "where c901>=5 AND c901<=9", "", SearchField::None},
      {{1, "5", 2, 2, "9"}, "where c901=5 OR c901>9", "", SearchField::None},
      {{2, "5", 1, 1, ""}, "where c901>5", "", SearchField::None},
      // Only the second number: its own operator and no connector.
      {{2, "", 2, 3, "9"}, "where c901<9", "", SearchField::None},
      {{1, " 007 ", 1, 1, ""}, "where c901=7", "", SearchField::None},
      {{1, "99999999999999", 1, 1, ""}, "where c901=99999999999999", "", SearchField::None},
      {{1, "", 1, 1, " "}, "", kEnterOneCondition, SearchField::Number1},
      // 15 digits, negative and non-numeric bounds never reach the statement.
      {{1, "100000000000000", 1, 1, ""}, "", "编号必须是 0 到 99999999999999 之间的整数", SearchField::Number1},
      {{1, "5", 1, 1, "-3"}, "", "编号必须是 0 到 99999999999999 之间的整数", SearchField::Number2},
      {{1, "5 or 1=1", 1, 1, ""}, "", "编号必须是 0 到 99999999999999 之间的整数", SearchField::Number1},
      {{1, "1e3", 1, 1, ""}, "", "编号必须是 0 到 99999999999999 之间的整数", SearchField::Number1},
      {{-1, "5", 1, 1, ""}, "", "请选择第一个条件的运算符", SearchField::Operator1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.number1 + " | " + c.input.number2);
    const SearchCondition got = CodeRangeCondition(c.input);
    EXPECT_EQ(got.text, c.text);
    EXPECT_EQ(got.refusal, c.refusal);
    EXPECT_EQ(got.focus, c.focus);
  }
}

TEST(SearchConditions, IndicatorFromItsFields) {
  struct Case {
    IndicatorInput input;
    const char* text;
    const char* refusal;
    SearchField focus;
  } cases[] = {
      {{"z002", 4, "10", 5, "20"}, "where [z002]>=10 and [z002]<=20", "", SearchField::None},
      {{" z002 ", 2, "0", -1, ""}, "where [z002]>0", "", SearchField::None},
      // The second condition alone stands on its own, without a dangling " and ".
      {{"z002", -1, "", 3, "7"}, "where [z002]<7", "", SearchField::None},
      {{"z002", 1, "123456789012345", -1, ""}, "where [z002]=123456789012345", "", SearchField::None},
      {{"", 1, "5", -1, ""}, "", kChooseIndicator, SearchField::Indicator},
      {{"z002", 1, "", 1, ""}, "", kEnterOneCondition, SearchField::Number1},
      {{"z002", -1, "5", -1, ""}, "", "请选择第一个条件的运算符", SearchField::Operator1},
      {{"z002", 1, "", 3, "5"}, "", "请输入第一个条件的数值", SearchField::Number1},
      {{"z002", 1, "5", 3, ""}, "", "请输入第二个条件的数值", SearchField::Number2},
      {{"z002", 1, "5", -1, "9"}, "", "请选择第二个条件的运算符", SearchField::Operator2},
      {{"z002", 1, "-5", -1, ""}, "", "指标的范围只能是由数字 0 到 9 组成的整数", SearchField::Number1},
      {{"z002", 1, "5x", -1, ""}, "", "指标的范围只能是由数字 0 到 9 组成的整数", SearchField::Number1},
      {{"z002", 1, "1234567890123456789", -1, ""}, "", "指标的范围超出了可以比较的数值", SearchField::Number1},
      {{"z0]02", 1, "5", -1, ""}, "", "指标名称无效：z0]02", SearchField::Indicator},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.indicator + " | " + c.input.number1 + " | " + c.input.number2);
    const SearchCondition got = IndicatorCondition(c.input);
    EXPECT_EQ(got.text, c.text);
    EXPECT_EQ(got.refusal, c.refusal);
    EXPECT_EQ(got.focus, c.focus);
  }
}

class SearchDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_.copyOfShipped("search.mdb");
    connection_ = std::make_unique<db::Connection>(testing::ConnectionTo(file_));
    testing::Exec(*connection_,
                  "insert into dt_data (id, c901, c902, z002) values "
                  "(1, 30, '江南机械厂', 5), (2, 10, '江南机械厂工会', 50), (3, 20, '100%_合格 O''Neil', 500), "
                  "(4, 40, '100x合格 OXNeil', 7), (5, 50, '甲乙" + std::string(190, 'a') + "', 0)");
  }
  TempDir dir_;
  std::filesystem::path file_;
  std::unique_ptr<db::Connection> connection_;
};

TEST_F(SearchDatabaseTest, FindsTheFirstRecordWhoseNameContainsTheText) {
  struct Case {
    std::string name;
    std::optional<std::int64_t> code;
  } cases[] = {
      {"江南机械厂", 30},  // matches two units: the first the engine returns
      {"  工会 ", 10},
      {"100%_", 20},       // the wildcards are the characters themselves
      {"O'Neil", 20},
      {"%", 20},
      {"_", 20},
      {"甲乙" + std::string(190, 'a'), 50},
      {"没有这个单位", std::nullopt},
      {"\\", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<db::Variant> got = FindCodeByName(*connection_, c.name);
    ASSERT_EQ(got.has_value(), c.code.has_value());
    if (c.code) {
      EXPECT_EQ(got->toInt64(), *c.code);
    }
  }
}

TEST_F(SearchDatabaseTest, CountsAndListsTheMatchingCodesInCodeOrder) {
  struct Case {
    std::string condition;
    std::vector<std::int64_t> codes;
  } cases[] = {
      {CodeRangeCondition({4, "20", 1, 5, "40"}).text, {20, 30, 40}},
      {CodeRangeCondition({3, "20", 2, 2, "40"}).text, {10, 50}},
      {IndicatorCondition({"z002", 4, "7", 3, "500"}).text, {10, 40}},
      {NameCondition("机械厂"), {10, 30}},
      {NameCondition("O'Neil"), {20}},
      {NameCondition("%_"), {20}},
      {CodeCondition(40), {40}},
      {CodeCondition(41), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition);
    std::vector<std::int64_t> got;
    ForEachMatchingCode(*connection_, c.condition, [&got](const db::Variant& v) { got.push_back(v.toInt64()); });
    EXPECT_EQ(got, c.codes);
    EXPECT_EQ(CountMatches(*connection_, c.condition), static_cast<std::int64_t>(c.codes.size()));
  }
}

TEST_F(SearchDatabaseTest, AnIndicatorThatIsNoColumnGivesTheEnginesText) {
  const SearchCondition c = IndicatorCondition({"zz99", 1, "1", -1, ""});
  ASSERT_TRUE(c.ok());
  try {
    CountMatches(*connection_, c.text);
    FAIL() << "no error";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("zz99"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace velmora::search
