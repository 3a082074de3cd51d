#pragma once
// The aggregate select lists of the summary, parsed once and evaluated in native code with the
// engine's own arithmetic as the program's statements get it after the dialect translation:
// integer + - * that overflow continue in floating point, '/' always divides as floating point
// (division by zero is null), comparisons and iif, int() as the largest integer not above x, null
// propagating through every operator. sum() skips nulls, is null over no values, adds integers
// exactly (an overflow fails with the engine's "integer overflow") and turns floating as soon as one
// floating value comes, adding every value in floating point in row order; count(*) counts rows.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/variant.h"

namespace velmora::summary {

// A value as the engine computes with it: null, 64-bit integer or floating number.
struct Value {
  enum Kind : std::uint8_t { Null, Int, Real };
  Kind kind = Null;
  union {
    std::int64_t i = 0;
    double r;
  };
  static Value Of(std::int64_t v) {
    Value x;
    x.kind = Int;
    x.i = v;
    return x;
  }
  static Value OfReal(double v) {
    Value x;
    x.kind = Real;
    x.r = v;
    return x;
  }
  db::Variant toVariant() const;
};

// A select list the parser does not read.
class ExpressionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One sum() (or count(*)) over the rows of a class: its running state.
struct SumState {
  std::int64_t iSum = 0;
  double rSum = 0;
  std::int64_t count = 0;
  bool approx = false;
  bool overflow = false;
  void add(const Value& v) {
    if (v.kind == Value::Null) return;
    ++count;
    if (v.kind == Value::Int) {
      rSum += static_cast<double>(v.i);
      if (!approx && !overflow && __builtin_add_overflow(iSum, v.i, &iSum)) approx = overflow = true;
    } else {
      rSum += v.r;
      approx = true;
    }
  }
  // The sum's result; throws db::DbError "integer overflow" as the engine does.
  Value result() const;
};

struct Node;

// A compiled select list: the columns of dt_data it reads, the per-row inputs of its aggregates
// and the output expressions over the aggregates' results.
class AggregateList {
 public:
  // Parses "expr as name,expr as name,... from dt_data" (the trailing " from dt_data" optional).
  explicit AggregateList(std::string_view selectList);
  ~AggregateList();
  AggregateList(AggregateList&&) noexcept;
  AggregateList& operator=(AggregateList&&) noexcept;

  // Column names read, lower case, in the order their values are handed to inputs().
  const std::vector<std::string>& columns() const { return columns_; }
  // The number of aggregates (sum and count) and of output columns.
  int aggregateCount() const { return static_cast<int>(programs_.size()); }
  int outputCount() const { return static_cast<int>(outputs_.size()); }
  const std::vector<std::string>& outputNames() const { return names_; }

  // Makes the column references index a list shared by several select lists: every column of
  // columns() is found in (or appended to) `shared`, and inputs() then reads row[k] as the value
  // of shared[k].
  void useColumns(std::vector<std::string>& shared);

  // Evaluates every aggregate's argument on one row: `row[k]` is the value of columns()[k];
  // inputs[a] receives aggregate a's value (count(*) gets a non-null value).
  void inputs(const Value* row, Value* inputs) const;
  // The output columns from the aggregates' states.
  std::vector<db::Variant> outputs(const SumState* states) const;

 private:
  struct Op {
    std::uint8_t code;
    std::int32_t arg;
    Value constant;
  };
  std::vector<std::string> columns_;
  std::vector<std::vector<Op>> programs_;  // one postfix program per aggregate argument
  std::vector<int> directColumn_;          // >= 0 when the argument is a plain column
  std::vector<std::unique_ptr<Node>> outputs_;
  std::vector<std::string> names_;
  int depth_ = 0;
  mutable std::vector<Value> stack_;  // the evaluation stack of inputs()
  friend struct Compiler;
};

}  // namespace velmora::summary
