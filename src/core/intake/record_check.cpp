#include "core/intake/record_check.h"

#include <charconv>
#include <cmath>
#include <map>
#include <memory>

#include "core/base/text.h"
#include "core/entry/edit_filters.h"
#include "core/entry/record_store.h"
#include "core/intake/source_file.h"
#include "core/text/gbk_encoder.h"
#include "core/text/utf8.h"

namespace velmora::intake {

namespace {

constexpr std::int64_t kMaxCode = 999999999999;    // twelve digits
constexpr std::int64_t kMaxCoverCode = 999999;     // the cover code boxes take six digits
constexpr int kMaxFractionDigits = entry::kNumberBoxFraction;

std::size_t DeclaredLength(const std::string& type) {
  const auto open = type.find('('), close = type.find(')');
  if (open == std::string::npos || close == std::string::npos || close <= open + 1) return 0;
  std::size_t n = 0;
  const char* first = type.data() + open + 1;
  const char* last = type.data() + close;
  if (std::from_chars(first, last, n).ptr != last) return 0;
  return n;
}

// Places after the decimal point of the shortest form that reads back as `v`.
int FractionDigits(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  const std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
  const auto e = s.find('e');
  const std::string_view mantissa = s.substr(0, e);
  const auto dot = mantissa.find('.');
  int places = dot == std::string_view::npos ? 0 : static_cast<int>(mantissa.size() - dot - 1);
  if (e != std::string_view::npos) {
    int exponent = 0;
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+' ? 1 : 0), s.data() + s.size(), exponent);
    places -= exponent;
  }
  return places < 0 ? 0 : places;
}

// Characters of a UTF-8 text; -1 when it is not UTF-8 or holds a control character. `plain` tells
// whether every character is ASCII or one of the unified ideographs U+4E00-U+9FA5, which GBK holds
// all of: only other texts need the converter's word.
long long CheckedLength(std::string_view s, std::string& reason, bool& plain) {
  plain = true;
  long long chars = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      if (c < 0x20 || c == 0x7f) {
        reason = "含有控制字符";
        return -1;
      }
      ++i;
      ++chars;
      continue;
    }
    const std::size_t len = text::Utf8SequenceAt(s, i);
    if (len == 0) {
      reason = "不是有效的文字编码";
      return -1;
    }
    if (len == 2 && c == 0xc2 && static_cast<unsigned char>(s[i + 1]) < 0xa0) {
      reason = "含有控制字符";
      return -1;
    }
    if (plain) {
      const unsigned cp = len == 3 ? ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
                                         (static_cast<unsigned char>(s[i + 2]) & 0x3Fu)
                                   : 0;
      plain = cp >= 0x4E00 && cp <= 0x9FA5;
    }
    i += len;
    ++chars;
  }
  return chars;
}

std::string ShownNumber(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace

struct RecordCheck::Rule {
  enum class Kind { Unknown, RowId, Code, Whole, Decimal, Text, State };
  Kind kind = Kind::Unknown;
  std::string name;
  std::int64_t minimum = 0;
  std::int64_t maximum = 0;
  std::size_t maxChars = 0;
  bool required = false;
};

namespace {

// One value as the engine or a file gives it.
struct Value {
  enum class Type { Null, Integer, Float, Text, Blob } type = Type::Null;
  std::int64_t i = 0;
  double f = 0;
  std::string_view text;
};

}  // namespace

class ValueJudge {
 public:
  static std::optional<std::string> Judge(const RecordCheck::Rule& rule, const Value& v, text::GbkEncoder& gbk,
                                          std::string& scratch) {
    using K = RecordCheck::Rule::Kind;
    using T = Value::Type;
    switch (rule.kind) {
      case K::Unknown:
        return std::string("系统中没有这一列");
      case K::RowId:
        if (v.type == T::Null || v.type == T::Integer) return std::nullopt;
        if (v.type == T::Float && std::isfinite(v.f) && std::floor(v.f) == v.f && std::fabs(v.f) < 9e18)
          return std::nullopt;
        return std::string("不是整数");
      case K::Code:
      case K::Whole:
      case K::State: {
        if (v.type == T::Null) {
          if (rule.required) return std::string(rule.kind == K::Code ? "编号为空" : "为空");
          return std::nullopt;
        }
        std::int64_t n = 0;
        if (v.type == T::Integer) {
          n = v.i;
        } else if (v.type == T::Float) {
          if (!std::isfinite(v.f)) return std::string("不是有限的数值");
          if (std::floor(v.f) != v.f) return std::string("不是整数");
          if (v.f < -9e18 || v.f > 9e18) return std::string("超出允许的范围");
          n = static_cast<std::int64_t>(v.f);
        } else {
          return std::string(v.type == T::Text ? "不是数字" : "是二进制数据，不是数字");
        }
        if (n < rule.minimum || n > rule.maximum)
          return "超出允许的范围（" + std::to_string(rule.minimum) + "～" + std::to_string(rule.maximum) + "）";
        return std::nullopt;
      }
      case K::Decimal: {
        if (v.type == T::Null) return std::nullopt;
        double d = 0;
        if (v.type == T::Integer) {
          if (v.i < rule.minimum || v.i > rule.maximum)
            return "超出允许的范围（" + std::to_string(rule.minimum) + "～" + std::to_string(rule.maximum) + "）";
          return std::nullopt;
        }
        if (v.type != T::Float) return std::string(v.type == T::Text ? "不是数字" : "是二进制数据，不是数字");
        d = v.f;
        if (!std::isfinite(d)) return std::string("不是有限的数值");
        if (d < static_cast<double>(rule.minimum) || d > static_cast<double>(rule.maximum))
          return "超出允许的范围（" + std::to_string(rule.minimum) + "～" + std::to_string(rule.maximum) + "）";
        const int places = FractionDigits(d);
        if (places > kMaxFractionDigits) return "小数位数超过" + std::to_string(kMaxFractionDigits) + "位";
        // The box takes at most 14 digits in all, before and after the point.
        const std::string whole = std::to_string(static_cast<std::int64_t>(std::floor(d)));
        if (static_cast<int>(whole.size()) + places > entry::kNumberBoxDigits)
          return "数字超过" + std::to_string(entry::kNumberBoxDigits) + "位";
        return std::nullopt;
      }
      case K::Text: {
        if (v.type == T::Null || v.type == T::Integer || v.type == T::Float) return std::nullopt;
        if (v.type == T::Blob) return std::string("是二进制数据，不是文字");
        std::string reason;
        bool plain = true;
        const long long chars = CheckedLength(v.text, reason, plain);
        if (chars < 0) return reason;
        if (rule.maxChars > 0 && static_cast<std::size_t>(chars) > rule.maxChars)
          return "超过" + std::to_string(rule.maxChars) + "个字符";
        scratch.clear();
        if (!plain && !gbk.AppendExact(v.text, scratch)) return std::string("含有GBK编码不能表示的字符");
        return std::nullopt;
      }
    }
    return std::nullopt;
  }
};

std::string RecordFault::text(bool csvLine) const {
  std::string where = csvLine ? "第" + std::to_string(row) + "行" : "第" + std::to_string(row) + "条记录";
  if (!code.empty()) where += "（编号" + code + "）";
  return where + "的字段“" + field + "”的值“" + value + "”不合要求：" + reason + "。";
}

struct RecordCheckEncoder {
  text::GbkEncoder gbk;
  std::string scratch;
};

namespace {
thread_local std::unique_ptr<RecordCheckEncoder> tlsEncoder;
RecordCheckEncoder& Encoder() {
  if (!tlsEncoder) tlsEncoder = std::make_unique<RecordCheckEncoder>();
  return *tlsEncoder;
}

std::string CodeText(const Value& v) {
  if (v.type == Value::Type::Integer) return std::to_string(v.i);
  if (v.type == Value::Type::Float && std::isfinite(v.f) && std::floor(v.f) == v.f && std::fabs(v.f) < 1e15)
    return std::to_string(static_cast<std::int64_t>(v.f));
  return {};
}

std::string Shown(const Value& v) {
  switch (v.type) {
    case Value::Type::Null: return "（空）";
    case Value::Type::Integer: return std::to_string(v.i);
    case Value::Type::Float: return ShownNumber(v.f);
    case Value::Type::Text: return ShownValue(std::string(v.text));
    case Value::Type::Blob: return "（" + std::to_string(v.text.size()) + "字节的二进制数据）";
  }
  return {};
}

Value FromVariant(const db::Variant& v) {
  Value out;
  if (v.isInteger()) {
    out.type = Value::Type::Integer;
    out.i = v.toInt64();
  } else if (v.isFloat()) {
    out.type = Value::Type::Float;
    out.f = v.toDouble();
  } else if (v.isText()) {
    out.type = Value::Type::Text;
    out.text = std::get<std::string>(v.raw());
  }
  return out;
}

Value FromStatement(const db::Statement& st, int column) {
  Value out;
  switch (st.kind(column)) {
    case db::ValueKind::Null: break;
    case db::ValueKind::Integer:
      out.type = Value::Type::Integer;
      out.i = st.int64(column);
      break;
    case db::ValueKind::Float:
      out.type = Value::Type::Float;
      out.f = st.real(column);
      break;
    case db::ValueKind::Text:
      out.type = Value::Type::Text;
      out.text = st.textView(column);
      break;
    case db::ValueKind::Blob:
      out.type = Value::Type::Blob;
      out.text = st.textView(column);
      break;
  }
  return out;
}

}  // namespace

namespace {
// The rules last made, by connection (and its opening), table and columns: a batch of thousands of
// packages builds them once.
struct RulesKey {
  const db::Connection* connection = nullptr;
  std::string file;
  std::uint64_t opened = 0;
  std::string table;
  std::vector<std::string> columns;
  bool operator==(const RulesKey&) const = default;
};
thread_local std::optional<std::pair<RulesKey, std::vector<RecordCheck::Rule>>> lastRules;
}  // namespace

RecordCheck::RecordCheck(db::Connection& working, const std::vector<std::string>& columns, const std::string& table) {
  RulesKey key{&working, working.dataSource(), working.openCount(), table, columns};
  if (lastRules && lastRules->first == key) {
    rules_ = lastRules->second;
    for (std::size_t i = 0; i < rules_.size(); ++i)
      if (rules_[i].kind == Rule::Kind::Code) codeColumn_ = static_cast<int>(i);
    return;
  }
  std::map<std::string, std::string> declared;  // lower-case name -> declared type
  {
    db::Statement st = db::Statement::Native(working, "SELECT name, type FROM pragma_table_info(?1)");
    st.bindText(1, table);
    while (st.step()) declared[base::AsciiLower(st.text(0))] = st.text(1);
  }
  std::map<std::string, entry::FieldBinding> bindings;
  for (entry::FieldBinding& b : entry::LoadFieldBindings(working)) bindings[base::AsciiLower(b.FieldName)] = b;

  using K = Rule::Kind;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    Rule r;
    r.name = columns[i];
    const std::string name = base::AsciiLower(columns[i]);
    const auto type = declared.find(name);
    if (type == declared.end()) {
      r.kind = K::Unknown;
    } else if (name == "id") {
      r.kind = K::RowId;
    } else if (name == "c901") {
      r.kind = K::Code;
      r.minimum = 1;
      r.maximum = kMaxCode;
      r.required = true;
      codeColumn_ = static_cast<int>(i);
    } else if (name == "c903" || name == "c904" || name == "c905" || name == "c906" || name == "c909" ||
               name == "c912") {
      r.kind = K::Whole;
      r.maximum = kMaxCoverCode;
    } else if (name == "recordstate") {
      r.kind = K::State;
      r.maximum = 2;
      r.required = true;
    } else if (const std::size_t limit = entry::TextLimitFor(name == "c907" ? "C907" : name); limit > 0) {
      r.kind = K::Text;
      r.maxChars = limit;
    } else if (auto b = bindings.find(name); b != bindings.end() && b->second.limits) {
      r.kind = b->second.type == catalogue::QueryType::Decimal ? K::Decimal : K::Whole;
      r.minimum = b->second.limits->minimum;
      r.maximum = b->second.limits->maximum;
    } else {
      const std::string t = base::AsciiLower(type->second);
      if (t.find("char") != std::string::npos || t.find("text") != std::string::npos) {
        r.kind = K::Text;
        r.maxChars = DeclaredLength(t);
        if (r.maxChars == 0) r.maxChars = 255;
      } else if (t.find("int") != std::string::npos) {
        r.kind = K::Whole;
        r.maximum = entry::kIndicatorMaximum;
      } else {
        r.kind = K::Decimal;
        r.maximum = entry::kIndicatorMaximum;
      }
    }
    rules_.push_back(std::move(r));
  }
  lastRules.emplace(std::move(key), rules_);
}

RecordCheck::~RecordCheck() = default;
RecordCheck::RecordCheck(RecordCheck&&) noexcept = default;

namespace {
template <typename Get>
std::optional<RecordFault> CheckRow(const std::vector<RecordCheck::Rule>& rules, int codeColumn, std::size_t count,
                                    std::int64_t row, Get get) {
  RecordCheckEncoder& enc = Encoder();
  std::string code;
  if (codeColumn >= 0 && static_cast<std::size_t>(codeColumn) < count) {
    const Value v = get(codeColumn);
    if (!ValueJudge::Judge(rules[static_cast<std::size_t>(codeColumn)], v, enc.gbk, enc.scratch)) code = CodeText(v);
  }
  if (count != rules.size()) {
    RecordFault f;
    f.row = row;
    f.code = code;
    f.field = "（整条记录）";
    f.value = std::to_string(count) + "个值";
    f.reason = "应有" + std::to_string(rules.size()) + "个值";
    return f;
  }
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const Value v = get(static_cast<int>(i));
    if (auto reason = ValueJudge::Judge(rules[i], v, enc.gbk, enc.scratch)) {
      RecordFault f;
      f.row = row;
      f.code = code;
      f.field = rules[i].name;
      f.value = Shown(v);
      f.reason = std::move(*reason);
      return f;
    }
  }
  return std::nullopt;
}
}  // namespace

std::optional<RecordFault> RecordCheck::check(const std::vector<db::Variant>& values, std::int64_t row) const {
  return CheckRow(rules_, codeColumn_, values.size(), row,
                  [&](int i) { return FromVariant(values[static_cast<std::size_t>(i)]); });
}

std::optional<RecordFault> RecordCheck::check(const db::Statement& statement, std::int64_t row) const {
  return CheckRow(rules_, codeColumn_, static_cast<std::size_t>(statement.columnCount()), row,
                  [&](int i) { return FromStatement(statement, i); });
}

std::optional<RecordFault> RecordCheck::checkUnique(const db::Variant& c901, std::int64_t row) {
  if (c901.isNull()) return std::nullopt;  // refused by check already
  const std::int64_t code = c901.isInteger() ? c901.toInt64() : static_cast<std::int64_t>(c901.toDouble());
  if (codes_.insert(code).second) return std::nullopt;
  RecordFault f;
  f.row = row;
  f.code = std::to_string(code);
  f.field = "c901";
  f.value = f.code;
  f.reason = "是文件中重复的编号";
  return f;
}

void RequirePassing(RecordCheck& check, const db::Statement& statement, std::int64_t row) {
  std::optional<RecordFault> fault = check.check(statement, row);
  if (!fault && check.codeColumn() >= 0) fault = check.checkUnique(statement.value(check.codeColumn()), row);
  if (fault) throw IntakeError(IntakeError::Kind::Refused, fault->text() + "没有导入任何记录。");
}

std::int64_t CheckTableRows(db::Connection& file, const std::string& table, RecordCheck& check) {
  std::string quoted = "\"";
  for (char c : table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  quoted += "\"";
  db::Statement st = db::Statement::Native(file, "SELECT * FROM " + quoted);
  std::int64_t rows = 0;
  while (st.step()) RequirePassing(check, st, ++rows);
  return rows;
}

}  // namespace velmora::intake
