#include "core/db/variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace velmora::db {

std::string FormatNumber(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(value));
    return buf;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return buf;
}

namespace {

// Reads a whole text as a number; false when the text is not one.
bool ParseNumber(const std::string& text, double& out) {
  std::size_t b = text.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return false;
  std::size_t e = text.find_last_not_of(" \t\r\n");
  std::string s = text.substr(b, e - b + 1);
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  return end && *end == '\0';
}

}  // namespace

std::string Variant::toString() const {
  switch (value_.index()) {
    case 1: return std::to_string(std::get<std::int64_t>(value_));
    case 2: return FormatNumber(std::get<double>(value_));
    case 3: return std::get<std::string>(value_);
    default: return {};
  }
}

std::int64_t Variant::toInt64() const {
  switch (value_.index()) {
    case 1: return std::get<std::int64_t>(value_);
    case 2: {
      double d = std::nearbyint(std::get<double>(value_));
      if (d >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
      if (d <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
      return static_cast<std::int64_t>(d);
    }
    case 3: {
      const std::string& s = std::get<std::string>(value_);
      char* end = nullptr;
      long long v = std::strtoll(s.c_str(), &end, 10);
      if (end && *end == '\0' && !s.empty()) return v;
      double d = 0;
      return ParseNumber(s, d) ? Variant(d).toInt64() : 0;
    }
    default: return 0;
  }
}

std::int32_t Variant::toInt() const {
  std::int64_t v = toInt64();
  return static_cast<std::int32_t>(v);
}

double Variant::toDouble() const {
  switch (value_.index()) {
    case 1: return static_cast<double>(std::get<std::int64_t>(value_));
    case 2: return std::get<double>(value_);
    case 3: {
      double d = 0;
      return ParseNumber(std::get<std::string>(value_), d) ? d : 0.0;
    }
    default: return 0.0;
  }
}

bool Variant::toBool() const {
  if (isText()) {
    const std::string& s = std::get<std::string>(value_);
    if (s == "True" || s == "true" || s == "TRUE") return true;
    if (s == "False" || s == "false" || s == "FALSE") return false;
  }
  return toDouble() != 0.0;
}

bool Variant::sameAs(const Variant& other) const {
  if (isNull() || other.isNull()) return isNull() && other.isNull();
  if (isNumber() && other.isNumber()) {
    if (isInteger() && other.isInteger()) return std::get<std::int64_t>(value_) == std::get<std::int64_t>(other.value_);
    return toDouble() == other.toDouble();
  }
  if (isText() && other.isText()) return std::get<std::string>(value_) == std::get<std::string>(other.value_);
  // A number against text: compare as the engine's field would, through the text's number.
  double a = 0, b = 0;
  const std::string& s = isText() ? std::get<std::string>(value_) : std::get<std::string>(other.value_);
  if (!ParseNumber(s, a)) return false;
  b = isText() ? other.toDouble() : toDouble();
  return a == b;
}

int Variant::compare(const Variant& a, const Variant& b) {
  auto rank = [](const Variant& v) { return v.isNull() ? 0 : v.isNumber() ? 1 : 2; };
  int ra = rank(a), rb = rank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  if (ra == 0) return 0;
  if (ra == 1) {
    if (a.isInteger() && b.isInteger()) {
      auto x = std::get<std::int64_t>(a.value_), y = std::get<std::int64_t>(b.value_);
      return x < y ? -1 : x > y ? 1 : 0;
    }
    double x = a.toDouble(), y = b.toDouble();
    return x < y ? -1 : x > y ? 1 : 0;
  }
  int c = std::get<std::string>(a.value_).compare(std::get<std::string>(b.value_));
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace velmora::db
