#include "core/entry/edit_filters.h"

#include <charconv>

#include "core/entry/field_values.h"

namespace velmora::entry {

namespace {

// Decodes one UTF-8 character at `i` and moves past it; malformed bytes read as themselves.
char32_t NextChar(std::string_view s, std::size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  char32_t cp = extra == 3 ? (c & 0x07) : extra == 2 ? (c & 0x0F) : extra == 1 ? (c & 0x1F) : c;
  std::size_t start = i++;
  for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
  if (i - start != static_cast<std::size_t>(extra) + 1) return c;
  return cp;
}

bool IsTelephoneField(std::string_view field) { return SameName(field, "c911"); }

bool IsValidatedTextField(std::string_view field) {
  return SameName(field, "c902") || SameName(field, "C907") || SameName(field, "c910") || IsTelephoneField(field);
}

}  // namespace

ValidEditRule ForbidQuotesRule() { return ValidEditRule{TCheckType::tcForbid, U"", U"'\"`"}; }

ValidEditRule DigitsOnlyRule() { return ValidEditRule{TCheckType::tcValidate, U"0123456789", U""}; }

bool AcceptsTypedChar(const ValidEditRule& rule, char32_t ch, bool tabOnEnter) {
  if (ch == kBackspace) return true;
  if (ch == kEnter && tabOnEnter) return true;
  if (rule.CheckType == TCheckType::tcValidate) return rule.ValidChars.find(ch) != std::u32string::npos;
  return rule.ForbidChars.find(ch) == std::u32string::npos;
}

bool AcceptsTelephoneChar(char32_t ch) { return ch == kBackspace || ch == U'-' || (ch >= U'0' && ch <= U'9'); }

bool CoverFieldAcceptsChar(std::string_view field, char32_t ch) {
  if (!IsValidatedTextField(field)) return true;
  if (!AcceptsTypedChar(ForbidQuotesRule(), ch)) return false;
  return !IsTelephoneField(field) || AcceptsTelephoneChar(ch);
}

std::string DropRefusedChars(std::string_view field, std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t start = i;
    char32_t ch = NextChar(utf8, i);
    if (ch != kBackspace && CoverFieldAcceptsChar(field, ch)) out.append(utf8.substr(start, i - start));
  }
  return out;
}

char32_t UpperCaseTyped(char32_t ch) { return ch >= U'a' && ch <= U'z' ? ch - U'a' + U'A' : ch; }

std::size_t TextLimitFor(std::string_view field) {
  if (SameName(field, "c902") || SameName(field, "C907")) return 60;
  if (SameName(field, "c910") || SameName(field, "c911")) return 50;
  return 0;
}

std::string CutToCharacters(std::string_view utf8, std::size_t limit) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
    if (count == limit) return std::string(utf8.substr(0, i));
    ++count;
  }
  return std::string(utf8);
}

NumberBoxFault CheckNumberBoxText(std::string_view text, const NumberBoxRule& rule, double& value) {
  if (text.empty() || text == ".") return NumberBoxFault::NotDigits;
  int digits = 0, points = 0, fraction = 0;
  for (char c : text) {
    if (c == '.') {
      if (++points > 1) return NumberBoxFault::NotDigits;
    } else if (c >= '0' && c <= '9') {
      ++digits;
      if (points) ++fraction;
    } else {
      return NumberBoxFault::NotDigits;
    }
  }
  if (points && !rule.decimals) return NumberBoxFault::Fraction;
  if (digits > kNumberBoxDigits) return NumberBoxFault::TooManyDigits;
  if (fraction > kNumberBoxFraction) return NumberBoxFault::TooManyDecimals;
  if (rule.maxChars > 0 && text.size() > static_cast<std::size_t>(rule.maxChars)) return NumberBoxFault::TooLong;
  // At most 14 digits: the number is exact as a double and its whole part as a 64-bit integer.
  double number = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec != std::errc() || end != text.data() + text.size()) return NumberBoxFault::NotDigits;
  if (number > static_cast<double>(rule.maximum)) return NumberBoxFault::AboveMaximum;
  value = number;
  return NumberBoxFault::None;
}

}  // namespace velmora::entry
