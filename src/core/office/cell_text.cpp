#include "core/office/cell_text.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace velmora::office {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<double> ReadsAsNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  std::string_view body = text;
  if (body.front() == '+') body.remove_prefix(1);  // from_chars takes no plus sign
  // Only the plain shape sign, digits, point, digits, exponent: no "inf", "nan", hex or a lone point.
  size_t i = 0;
  if (i < body.size() && body[i] == '-') ++i;
  size_t digits = 0;
  while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i]))) ++i, ++digits;
  if (i < body.size() && body[i] == '.') {
    ++i;
    while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i]))) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    ++i;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    size_t exponentDigits = 0;
    while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i]))) ++i, ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != body.size()) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (error != std::errc() || end != body.data() + body.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

CellValue ConvertTypedText(std::string_view text, bool textFormat) {
  if (text.empty()) return CellValue::Empty();
  if (!textFormat) {
    if (auto number = ReadsAsNumber(text)) return CellValue::Number(*number);
  }
  return CellValue::Text(std::string(text));
}

}  // namespace velmora::office
