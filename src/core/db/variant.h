#pragma once
// A value read from or written to the engine: null, 64-bit integer, floating number or text.

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>

namespace velmora::db {

// Renders a floating number the way every value text of the program shows it: whole numbers
// below 1e15 in decimal without a fraction, everything else in the shortest general form with
// up to 15 significant digits ("2.5", "3", "0.333333333333333").
std::string FormatNumber(double value);

class Variant {
 public:
  Variant() = default;
  Variant(std::nullptr_t) {}
  Variant(int v) : value_(static_cast<std::int64_t>(v)) {}
  Variant(std::int64_t v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(bool v) : value_(static_cast<std::int64_t>(v ? 1 : 0)) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}

  bool isNull() const { return std::holds_alternative<std::monostate>(value_); }
  bool isInteger() const { return std::holds_alternative<std::int64_t>(value_); }
  bool isFloat() const { return std::holds_alternative<double>(value_); }
  bool isText() const { return std::holds_alternative<std::string>(value_); }
  bool isNumber() const { return isInteger() || isFloat(); }

  // Conversions in the manner of the engine's field accessors: null reads as "" / 0 / false;
  // text that holds a number converts to it, other text reads as 0.
  std::string toString() const;
  std::int64_t toInt64() const;
  std::int32_t toInt() const;  // truncated to 32 bits after rounding a floating value
  double toDouble() const;
  bool toBool() const;

  // Exact comparison as used by locate and bookmarks: numbers compare by value whatever their
  // kind, text compares byte for byte, null equals only null.
  bool sameAs(const Variant& other) const;
  bool operator==(const Variant& other) const { return sameAs(other); }

  // Ordering used by the client-side sort: null first, then numbers, then text.
  static int compare(const Variant& a, const Variant& b);

  const std::variant<std::monostate, std::int64_t, double, std::string>& raw() const { return value_; }

 private:
  std::variant<std::monostate, std::int64_t, double, std::string> value_;
};

}  // namespace velmora::db
