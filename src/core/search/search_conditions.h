#pragma once
// The conditions of the two searches and of locating a record, built from what the dialogs (or the
// command line) hold. A condition is a text that starts with "where " and reads view_data; every
// number in it has been checked to be plain digits, every text is between apostrophes with the
// apostrophe doubled, and a name searched with like has its wildcards escaped. Combinations that
// would give a malformed statement are refused with the message the dialog shows.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/db/connection.h"
#include "core/db/variant.h"
#include "core/survey/codes.h"

namespace velmora::search {

inline constexpr const char* kNoMatchingData = "没有找到满足条件的数据";
inline constexpr const char* kEnterOneCondition = "请至少输入一个条件";
inline constexpr const char* kChooseIndicator = "请选择指标";

// The largest statistical code a range bound may be.
inline constexpr std::int64_t kLargestCode = 99999999999999;

// The operators of both searches (1 "=", 2 ">", 3 "<", 4 ">=", 5 "<=") and the connectors of the
// code range (1 "和", 2 "或"). Code -1 means nothing chosen.
const survey::TMenuItemDataArray& OperatorList();
const survey::TMenuItemDataArray& ConnectorList();
// "" for a code that is not in the list.
std::string OperatorText(int code);
// " AND " / " OR ", "" for a code that is not in the list.
std::string ConnectorSql(int code);

// Which input a refusal sends the user back to.
enum class SearchField { None, Indicator, Operator1, Number1, Operator2, Number2 };

struct SearchCondition {
  std::string text;     // "where ..." when built
  std::string refusal;  // the message when refused
  SearchField focus = SearchField::None;
  bool ok() const { return refusal.empty(); }
};

// The code range: operator, number, connector, operator, number; a number "" is not given.
struct CodeRangeInput {
  int operator1 = 1;
  std::string number1;
  int connector = 1;
  int operator2 = 1;
  std::string number2;
};
SearchCondition CodeRangeCondition(const CodeRangeInput& input);

// One indicator between at most two bounds; operators start unchosen (-1).
struct IndicatorInput {
  std::string indicator;
  int operator1 = -1;
  std::string number1;
  int operator2 = -1;
  std::string number2;
};
SearchCondition IndicatorCondition(const IndicatorInput& input);

// A text as an SQL literal: between apostrophes, each apostrophe doubled.
std::string SqlText(const std::string& text);
// The like pattern of "contains `text`" with %, _ and the escape character itself escaped by '\';
// used with " escape '\'".
std::string ContainsPattern(const std::string& text);
// The records whose name contains `name` (trimmed); the records whose code is `code`.
std::string NameCondition(const std::string& name);
std::string CodeCondition(std::int64_t code);

// Reads a statistical code of at most 14 digits ("" or anything else: nullopt).
std::optional<std::int64_t> ParseCode(const std::string& text);

// The code of the first record of dt_data whose name contains `name` (trimmed), as the engine
// returns it; nullopt when none does. Throws db::DbError.
std::optional<db::Variant> FindCodeByName(db::Connection& connection, const std::string& name);

// The number of records of view_data meeting the condition, and their codes in code order.
// Throws db::DbError (an indicator that is no column gives the engine's text).
std::int64_t CountMatches(db::Connection& connection, const std::string& condition);
void ForEachMatchingCode(db::Connection& connection, const std::string& condition,
                         const std::function<void(const db::Variant&)>& visit);

}  // namespace velmora::search
