#include "core/summary/aggregate_expression.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/base/text.h"
#include "core/db/error.h"

namespace velmora::summary {

namespace {

enum Code : std::uint8_t { kConst, kColumn, kNeg, kAdd, kSub, kMul, kDiv, kLt, kLe, kGt, kGe, kEq, kNe, kInt, kIif, kAgg };

bool IsNull(const Value& v) { return v.kind == Value::Null; }
double RealOf(const Value& v) { return v.kind == Value::Int ? static_cast<double>(v.i) : v.r; }

Value Real(double r) { return std::isnan(r) ? Value{} : Value::OfReal(r); }

inline Value Arith(Code code, const Value& a, const Value& b) {
  if (IsNull(a) || IsNull(b)) return {};
  if (code != kDiv && a.kind == Value::Int && b.kind == Value::Int) {
    std::int64_t out = 0;
    bool over = false;
    switch (code) {
      case kAdd: over = __builtin_add_overflow(a.i, b.i, &out); break;
      case kSub: over = __builtin_sub_overflow(a.i, b.i, &out); break;
      default: over = __builtin_mul_overflow(a.i, b.i, &out); break;
    }
    if (!over) return Value::Of(out);
  }
  const double x = RealOf(a), y = RealOf(b);
  switch (code) {
    case kAdd: return Real(x + y);
    case kSub: return Real(x - y);
    case kMul: return Real(x * y);
    default: return y == 0 ? Value{} : Real(x / y);  // the dialect divides as floating point
  }
}

// -1, 0, 1 for two numbers, compared exactly whatever their kinds (as the engine does).
int CompareIntReal(std::int64_t i, double r) {
  if (r < -9223372036854775808.0) return 1;
  if (r >= 9223372036854775808.0) return -1;
  const auto t = static_cast<std::int64_t>(r);
  if (i < t) return -1;
  if (i > t) return 1;
  const double frac = r - static_cast<double>(t);
  return frac > 0 ? -1 : frac < 0 ? 1 : 0;
}

int Compare(const Value& a, const Value& b) {
  if (a.kind == Value::Int && b.kind == Value::Int) return a.i < b.i ? -1 : a.i > b.i ? 1 : 0;
  if (a.kind == Value::Int) return CompareIntReal(a.i, b.r);
  if (b.kind == Value::Int) return -CompareIntReal(b.i, a.r);
  return a.r < b.r ? -1 : a.r > b.r ? 1 : 0;
}

Value Comparison(Code code, const Value& a, const Value& b) {
  if (IsNull(a) || IsNull(b)) return {};
  const int c = Compare(a, b);
  bool t = false;
  switch (code) {
    case kLt: t = c < 0; break;
    case kLe: t = c <= 0; break;
    case kGt: t = c > 0; break;
    case kGe: t = c >= 0; break;
    case kEq: t = c == 0; break;
    default: t = c != 0; break;
  }
  return Value::Of(t ? 1 : 0);
}

bool Truth(const Value& v) { return v.kind == Value::Int ? v.i != 0 : v.kind == Value::Real && v.r != 0; }

Value Negate(const Value& v) {
  if (v.kind == Value::Int)
    return v.i == std::numeric_limits<std::int64_t>::min() ? Value::OfReal(-static_cast<double>(v.i))
                                                           : Value::Of(-v.i);
  if (v.kind == Value::Real) return Value::OfReal(-v.r);
  return {};
}

// int(): the largest integer not above x; floating results too large for an integer stay floating.
Value Floor(const Value& v) {
  if (v.kind != Value::Real) return v;
  const double d = std::floor(v.r);
  if (std::fabs(d) < 9e18) return Value::Of(static_cast<std::int64_t>(d));
  return Value::OfReal(d);
}

}  // namespace

db::Variant Value::toVariant() const {
  switch (kind) {
    case Int: return db::Variant(i);
    case Real: return db::Variant(r);
    default: return {};
  }
}

Value SumState::result() const {
  if (count == 0) return {};
  if (overflow) throw db::DbError("integer overflow", 1);
  return approx ? Value::OfReal(rSum) : Value::Of(iSum);
}

struct Node {
  Code code = kConst;
  Value constant;
  int index = 0;       // column or aggregate
  bool count = false;  // kAgg: count(*)
  std::vector<std::unique_ptr<Node>> kids;
};

namespace {

struct Token {
  enum Kind { End, Name, Number, Punct } kind = End;
  std::string text;
};

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isspace(c)) {
      ++i;
    } else if (std::isalpha(c) || c == '_') {
      std::size_t j = i;
      while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_')) ++j;
      out.push_back({Token::Name, base::Lower(s.substr(i, j - i))});
      i = j;
    } else if (std::isdigit(c) || c == '.') {
      std::size_t j = i;
      while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
      out.push_back({Token::Number, std::string(s.substr(i, j - i))});
      i = j;
    } else {
      std::string op(1, static_cast<char>(c));
      if (i + 1 < s.size() && (c == '<' || c == '>') && (s[i + 1] == '=' || (c == '<' && s[i + 1] == '>')))
        op += s[i + 1];
      out.push_back({Token::Punct, op});
      i += op.size();
    }
  }
  out.push_back({Token::End, {}});
  return out;
}

}  // namespace

struct Compiler {
  AggregateList& list;
  std::vector<Token> tokens;
  std::size_t at = 0;
  bool inAggregate = false;

  const Token& peek() const { return tokens[at]; }
  bool isPunct(const char* p) const { return peek().kind == Token::Punct && peek().text == p; }
  bool isName(const char* n) const { return peek().kind == Token::Name && peek().text == n; }
  [[noreturn]] void fail(const std::string& what) const {
    throw ExpressionError(what + " near \"" + peek().text + "\"");
  }
  void expect(const char* p) {
    if (!isPunct(p)) fail(std::string("expected \"") + p + "\"");
    ++at;
  }

  static std::unique_ptr<Node> Make(Code code) {
    auto n = std::make_unique<Node>();
    n->code = code;
    return n;
  }
  static std::unique_ptr<Node> Binary(Code code, std::unique_ptr<Node> a, std::unique_ptr<Node> b) {
    auto n = Make(code);
    n->kids.push_back(std::move(a));
    n->kids.push_back(std::move(b));
    return n;
  }

  std::unique_ptr<Node> expression() {
    auto left = additive();
    static const std::pair<const char*, Code> ops[] = {{"<", kLt}, {"<=", kLe}, {">", kGt},
                                                       {">=", kGe}, {"=", kEq},  {"<>", kNe}};
    for (const auto& [text, code] : ops) {
      if (isPunct(text)) {
        ++at;
        return Binary(code, std::move(left), additive());
      }
    }
    return left;
  }
  std::unique_ptr<Node> additive() {
    auto left = multiplicative();
    while (isPunct("+") || isPunct("-")) {
      const Code code = isPunct("+") ? kAdd : kSub;
      ++at;
      left = Binary(code, std::move(left), multiplicative());
    }
    return left;
  }
  std::unique_ptr<Node> multiplicative() {
    auto left = unary();
    while (isPunct("*") || isPunct("/")) {
      const Code code = isPunct("*") ? kMul : kDiv;
      ++at;
      left = Binary(code, std::move(left), unary());
    }
    return left;
  }
  std::unique_ptr<Node> unary() {
    if (isPunct("-")) {
      ++at;
      auto n = Make(kNeg);
      n->kids.push_back(unary());
      return n;
    }
    if (isPunct("+")) {
      ++at;
      return unary();
    }
    return primary();
  }
  std::unique_ptr<Node> primary() {
    const Token t = peek();
    if (t.kind == Token::Number) {
      ++at;
      auto n = Make(kConst);
      if (t.text.find('.') == std::string::npos) {
        char* end = nullptr;
        errno = 0;
        const long long v = std::strtoll(t.text.c_str(), &end, 10);
        n->constant = errno == 0 ? Value::Of(v) : Value::OfReal(std::strtod(t.text.c_str(), nullptr));
      } else {
        n->constant = Value::OfReal(std::strtod(t.text.c_str(), nullptr));
      }
      return n;
    }
    if (isPunct("(")) {
      ++at;
      auto n = expression();
      expect(")");
      return n;
    }
    if (t.kind != Token::Name) fail("expected a value");
    ++at;
    if (!isPunct("(")) {
      if (!inAggregate) fail("a column outside an aggregate");
      auto n = Make(kColumn);
      n->index = columnIndex(t.text);
      return n;
    }
    ++at;
    if (t.text == "sum" || t.text == "count") {
      if (inAggregate) fail("an aggregate inside an aggregate");
      auto n = Make(kAgg);
      if (t.text == "count") {
        expect("*");
        n->count = true;
        auto one = Make(kConst);
        one->constant = Value::Of(1);
        n->index = addAggregate(*one);
      } else {
        inAggregate = true;
        auto argument = expression();
        inAggregate = false;
        n->index = addAggregate(*argument);
      }
      expect(")");
      return n;
    }
    if (t.text == "int") {
      auto n = Make(kInt);
      n->kids.push_back(expression());
      expect(")");
      return n;
    }
    if (t.text == "iif") {
      auto n = Make(kIif);
      n->kids.push_back(expression());
      expect(",");
      n->kids.push_back(expression());
      expect(",");
      if (isPunct(")")) n->kids.push_back(Make(kConst));  // an empty arm is null
      else n->kids.push_back(expression());
      expect(")");
      return n;
    }
    fail("unknown function " + t.text);
  }

  int columnIndex(const std::string& name) {
    for (std::size_t k = 0; k < list.columns_.size(); ++k)
      if (list.columns_[k] == name) return static_cast<int>(k);
    list.columns_.push_back(name);
    return static_cast<int>(list.columns_.size()) - 1;
  }

  // Flattens a row expression into postfix; returns the stack depth it needs.
  int emit(const Node& n, std::vector<AggregateList::Op>& out) {
    int depth = 0, k = 0;
    for (const auto& kid : n.kids) depth = std::max(depth, k++ + emit(*kid, out));
    out.push_back({static_cast<std::uint8_t>(n.code), n.index, n.constant});
    return std::max(depth, 1);
  }

  int addAggregate(const Node& argument) {
    std::vector<AggregateList::Op> program;
    list.depth_ = std::max(list.depth_, emit(argument, program));
    list.directColumn_.push_back(argument.code == kColumn ? argument.index : -1);
    list.programs_.push_back(std::move(program));
    return static_cast<int>(list.programs_.size()) - 1;
  }

  void selectList() {
    while (true) {
      list.outputs_.push_back(expression());
      if (!isName("as")) fail("expected \"as\"");
      ++at;
      if (peek().kind != Token::Name) fail("expected a column name");
      list.names_.push_back(peek().text);
      ++at;
      if (isPunct(",")) {
        ++at;
        continue;
      }
      if (isName("from") || peek().kind == Token::End) return;
      fail("expected \",\"");
    }
  }
};

AggregateList::AggregateList(std::string_view selectList) {
  Compiler c{*this, Tokenize(selectList)};
  c.selectList();
  stack_.resize(static_cast<std::size_t>(depth_) + 1);
}
AggregateList::~AggregateList() = default;
AggregateList::AggregateList(AggregateList&&) noexcept = default;
AggregateList& AggregateList::operator=(AggregateList&&) noexcept = default;

void AggregateList::useColumns(std::vector<std::string>& shared) {
  std::vector<int> map;
  for (const std::string& name : columns_) {
    auto it = std::find(shared.begin(), shared.end(), name);
    if (it == shared.end()) it = shared.insert(shared.end(), name);
    map.push_back(static_cast<int>(it - shared.begin()));
  }
  for (auto& program : programs_)
    for (Op& op : program)
      if (op.code == kColumn) op.arg = map[op.arg];
  for (int& c : directColumn_)
    if (c >= 0) c = map[c];
}

void AggregateList::inputs(const Value* row, Value* inputs) const {
  Value* stack = stack_.data();
  for (std::size_t a = 0; a < programs_.size(); ++a) {
    if (directColumn_[a] >= 0) {
      inputs[a] = row[directColumn_[a]];
      continue;
    }
    int top = 0;
    for (const Op& op : programs_[a]) {
      switch (op.code) {
        case kConst: stack[top++] = op.constant; break;
        case kColumn: stack[top++] = row[op.arg]; break;
        case kNeg: stack[top - 1] = Negate(stack[top - 1]); break;
        case kAdd: {
          Value& x = stack[top - 2];
          const Value& y = stack[top - 1];
          std::int64_t r;
          if (x.kind == Value::Int && y.kind == Value::Int && !__builtin_add_overflow(x.i, y.i, &r)) x.i = r;
          else x = Arith(kAdd, x, y);
          --top;
          break;
        }
        case kSub: {
          Value& x = stack[top - 2];
          const Value& y = stack[top - 1];
          std::int64_t r;
          if (x.kind == Value::Int && y.kind == Value::Int && !__builtin_sub_overflow(x.i, y.i, &r)) x.i = r;
          else x = Arith(kSub, x, y);
          --top;
          break;
        }
        case kMul: {
          Value& x = stack[top - 2];
          const Value& y = stack[top - 1];
          std::int64_t r;
          if (x.kind == Value::Int && y.kind == Value::Int && !__builtin_mul_overflow(x.i, y.i, &r)) x.i = r;
          else x = Arith(kMul, x, y);
          --top;
          break;
        }
        case kDiv:
          --top;
          stack[top - 1] = Arith(kDiv, stack[top - 1], stack[top]);
          break;
        case kLt: case kLe: case kGt: case kGe: case kEq: case kNe:
          --top;
          stack[top - 1] = Comparison(static_cast<Code>(op.code), stack[top - 1], stack[top]);
          break;
        case kInt: stack[top - 1] = Floor(stack[top - 1]); break;
        case kIif:
          top -= 2;
          stack[top - 1] = Truth(stack[top - 1]) ? stack[top] : stack[top + 1];
          break;
        default: break;
      }
    }
    inputs[a] = stack[0];
  }
}

namespace {

Value Evaluate(const Node& n, const SumState* states) {
  switch (n.code) {
    case kConst: return n.constant;
    case kAgg: return n.count ? Value::Of(states[n.index].count) : states[n.index].result();
    case kNeg: return Negate(Evaluate(*n.kids[0], states));
    case kAdd: case kSub: case kMul: case kDiv:
      return Arith(n.code, Evaluate(*n.kids[0], states), Evaluate(*n.kids[1], states));
    case kLt: case kLe: case kGt: case kGe: case kEq: case kNe:
      return Comparison(n.code, Evaluate(*n.kids[0], states), Evaluate(*n.kids[1], states));
    case kInt: return Floor(Evaluate(*n.kids[0], states));
    case kIif:
      return Truth(Evaluate(*n.kids[0], states)) ? Evaluate(*n.kids[1], states) : Evaluate(*n.kids[2], states);
    default: return {};
  }
}

}  // namespace

std::vector<db::Variant> AggregateList::outputs(const SumState* states) const {
  // Every sum is finished first, as the engine finishes them before the output columns: an
  // overflow fails the list even where its sum is not shown.
  for (std::size_t a = 0; a < programs_.size(); ++a) (void)states[a].result();
  std::vector<db::Variant> out;
  out.reserve(outputs_.size());
  for (const auto& n : outputs_) out.push_back(Evaluate(*n, states).toVariant());
  return out;
}

}  // namespace velmora::summary
