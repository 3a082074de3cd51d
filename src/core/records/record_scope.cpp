#include "core/records/record_scope.h"

#include <charconv>
#include <cstdlib>
#include <utility>

namespace velmora::records {

bool IsCodeText(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  const std::size_t first = text.find_first_not_of('0');
  return first == std::string_view::npos || text.size() - first <= kCodeDigits;
}

std::string NotACodeMessage(std::string_view what, std::string_view text) {
  return std::string(what) + ": \"" + std::string(text) + "\" 不是单位编号（最多 " + std::to_string(kCodeDigits) +
         " 位数字）";
}

RangeResolution ResolveCodeRange(std::string& lowerText, std::string& upperText, RangeOrder order) {
  RangeResolution result;
  if (lowerText.empty()) lowerText.assign(1, '0');
  if (upperText.empty()) upperText.assign(1, '0');
  for (const std::string* text : {&lowerText, &upperText}) {
    if (!IsCodeText(*text)) {
      result.refusal = RangeRefusal::NotACode;
      result.refusedText = *text;
      return result;
    }
  }
  // At most 12 digits: every code is exact as a double.
  CodeRange range{std::strtod(lowerText.c_str(), nullptr), std::strtod(upperText.c_str(), nullptr)};
  if (range.lower == 0 || range.upper == 0) {
    result.refusal = RangeRefusal::Missing;
    return result;
  }
  if (range.lower > range.upper) {
    if (order == RangeOrder::Swap) {
      std::swap(range.lower, range.upper);
      std::swap(lowerText, upperText);
    } else {
      range.upper = range.lower;
      upperText = lowerText;
    }
  }
  result.range = range;
  return result;
}

std::string RangeBoundText(double value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  return std::string(buf, r.ptr);
}

std::string RangeCondition(const CodeRange& range, std::string_view field) {
  const std::string f(field);
  return f + ">=" + RangeBoundText(range.lower) + " and " + f + "<=" + RangeBoundText(range.upper);
}

}  // namespace velmora::records
