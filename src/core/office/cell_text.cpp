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

double EstimatedColumnWidth(std::string_view utf8Text) {
  double units = 0;
  for (size_t i = 0; i < utf8Text.size();) {
    auto lead = static_cast<unsigned char>(utf8Text[i]);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = lead;
    if (length > 1) {
      code = lead & (0xFF >> (length + 1));
      for (size_t k = 1; k < length && i + k < utf8Text.size(); ++k)
        code = (code << 6) | (static_cast<unsigned char>(utf8Text[i + k]) & 0x3F);
    }
    bool wide = (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
                (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
                (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
                (code >= 0xFFE0 && code <= 0xFFE6) || code >= 0x20000;
    units += wide ? 2 : 1;
    i += length;
  }
  return units + 1.5;
}

}  // namespace velmora::office
