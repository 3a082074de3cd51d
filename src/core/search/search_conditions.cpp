#include "core/search/search_conditions.h"

#include <algorithm>

#include "core/base/text.h"
#include "core/db/statement.h"

namespace velmora::search {

namespace {

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Plain digits without their leading zeros ("0" for zero).
std::string Canonical(const std::string& digits) {
  const auto b = digits.find_first_not_of('0');
  return b == std::string::npos ? "0" : digits.substr(b);
}

SearchCondition Refused(std::string message, SearchField focus) {
  SearchCondition c;
  c.refusal = std::move(message);
  c.focus = focus;
  return c;
}

// An indicator bound: plain digits that fit a 64-bit value (the form keeps at most 14 digits).
constexpr std::size_t kLongestBound = 18;

}  // namespace

const survey::TMenuItemDataArray& OperatorList() {
  static const survey::TMenuItemDataArray list = {{1, "="}, {2, ">"}, {3, "<"}, {4, ">="}, {5, "<="}};
  return list;
}

const survey::TMenuItemDataArray& ConnectorList() {
  static const survey::TMenuItemDataArray list = {{1, "和"}, {2, "或"}};
  return list;
}

std::string OperatorText(int code) { return survey::LookupCodeName(OperatorList(), code); }

std::string ConnectorSql(int code) {
  switch (code) {
    case 1: return " AND ";
    case 2: return " OR ";
    default: return {};
  }
}

std::optional<std::int64_t> ParseCode(const std::string& text) {
  const std::string t = base::Trim(text);
  if (!AllDigits(t)) return std::nullopt;
  const std::string digits = Canonical(t);
  if (digits.size() > 14) return std::nullopt;
  const std::int64_t value = std::stoll(digits);
  if (value > kLargestCode) return std::nullopt;
  return value;
}

SearchCondition CodeRangeCondition(const CodeRangeInput& input) {
  const std::string n1 = base::Trim(input.number1), n2 = base::Trim(input.number2);
  if (n1.empty() && n2.empty()) return Refused(kEnterOneCondition, SearchField::Number1);
  const std::string badCode = "编号必须是 0 到 99999999999999 之间的整数";
  std::optional<std::int64_t> v1, v2;
  if (!n1.empty() && !(v1 = ParseCode(n1))) return Refused(badCode, SearchField::Number1);
  if (!n2.empty() && !(v2 = ParseCode(n2))) return Refused(badCode, SearchField::Number2);
  const std::string op1 = OperatorText(input.operator1), op2 = OperatorText(input.operator2);
  if (v1 && op1.empty()) return Refused("请选择第一个条件的运算符", SearchField::Operator1);
  if (v2 && op2.empty()) return Refused("请选择第二个条件的运算符", SearchField::Operator2);
  SearchCondition c;
  c.text = "where ";
  if (v1) {
    c.text += "c901" + op1 + std::to_string(*v1);
    if (v2) {
      const std::string connector = ConnectorSql(input.connector);
      if (connector.empty()) return Refused("请选择两个条件的连接方式", SearchField::None);
      c.text += connector + "c901" + op2 + std::to_string(*v2);
    }
  } else {
    c.text += "c901" + op2 + std::to_string(*v2);
  }
  return c;
}

SearchCondition IndicatorCondition(const IndicatorInput& input) {
  const std::string field = base::Trim(input.indicator);
  if (field.empty()) return Refused(kChooseIndicator, SearchField::Indicator);
  if (field.find_first_of("[]") != std::string::npos)
    return Refused("指标名称无效：" + field, SearchField::Indicator);
  const std::string n1 = base::Trim(input.number1), n2 = base::Trim(input.number2);
  if (n1.empty() && n2.empty()) return Refused(kEnterOneCondition, SearchField::Number1);

  struct Bound {
    const std::string& number;
    std::string op;
    SearchField opField, numberField;
    const char* which;
  } bounds[] = {{n1, OperatorText(input.operator1), SearchField::Operator1, SearchField::Number1, "第一个"},
                {n2, OperatorText(input.operator2), SearchField::Operator2, SearchField::Number2, "第二个"}};
  std::string text;
  for (const Bound& b : bounds) {
    if (b.number.empty() && b.op.empty()) continue;
    if (b.number.empty()) return Refused(std::string("请输入") + b.which + "条件的数值", b.numberField);
    if (b.op.empty()) return Refused(std::string("请选择") + b.which + "条件的运算符", b.opField);
    if (!AllDigits(b.number)) return Refused("指标的范围只能是由数字 0 到 9 组成的整数", b.numberField);
    const std::string digits = Canonical(b.number);
    if (digits.size() > kLongestBound) return Refused("指标的范围超出了可以比较的数值", b.numberField);
    text += (text.empty() ? "" : " and ") + ("[" + field + "]") + b.op + digits;
  }
  SearchCondition c;
  c.text = "where " + text;
  return c;
}

std::string SqlText(const std::string& text) {
  std::string out = "'";
  for (char ch : text) {
    out += ch;
    if (ch == '\'') out += '\'';
  }
  return out + "'";
}

std::string ContainsPattern(const std::string& text) {
  std::string out = "%";
  for (char ch : text) {
    if (ch == '%' || ch == '_' || ch == '\\') out += '\\';
    out += ch;
  }
  return out + "%";
}

std::string NameCondition(const std::string& name) {
  return "where c902 like " + SqlText(ContainsPattern(base::Trim(name))) + " escape '\\'";
}

std::string CodeCondition(std::int64_t code) { return "where c901=" + std::to_string(code); }

std::optional<db::Variant> FindCodeByName(db::Connection& connection, const std::string& name) {
  db::Statement st(connection, "select c901 from dt_data where c902 like ?1 escape '\\' limit 1");
  st.bind(1, db::Variant(ContainsPattern(base::Trim(name))));
  if (!st.step()) return std::nullopt;
  return st.value(0);
}

std::int64_t CountMatches(db::Connection& connection, const std::string& condition) {
  db::Statement st(connection, "SELECT count(*) from view_data " + condition);
  return st.step() ? st.value(0).toInt64() : 0;
}

void ForEachMatchingCode(db::Connection& connection, const std::string& condition,
                         const std::function<void(const db::Variant&)>& visit) {
  db::Statement st(connection, "SELECT c901 from view_data " + condition + " order by c901 asc");
  while (st.step()) visit(st.value(0));
}

}  // namespace velmora::search
