#pragma once
// Which typed characters the validated text boxes of the entry form accept, and how their texts
// are limited.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::entry {

// tcValidate: only the characters of ValidChars may be typed; tcForbid: the characters of
// ForbidChars may not be typed.
enum class TCheckType { tcValidate, tcForbid };

struct ValidEditRule {
  TCheckType CheckType = TCheckType::tcForbid;
  std::u32string ValidChars;
  std::u32string ForbidChars;
};

inline constexpr char32_t kBackspace = 0x08;
inline constexpr char32_t kEnter = 0x0D;

// The apostrophe, the double quote and the grave accent: never part of a stored text.
ValidEditRule ForbidQuotesRule();
// Digits only (the dialogs that ask for numbers).
ValidEditRule DigitsOnlyRule();

// Filter of one typed character. Backspace is always accepted; Enter when the box moves on with
// Enter.
bool AcceptsTypedChar(const ValidEditRule& rule, char32_t ch, bool tabOnEnter = false);

// The telephone field c911 lets through only the digits, '-' and Backspace.
bool AcceptsTelephoneChar(char32_t ch);

// Whether a typed character is accepted by the cover's text field `field` (c902, C907, c910, c911);
// other fields are not filtered.
bool CoverFieldAcceptsChar(std::string_view field, char32_t ch);

// The text without the characters the field would have refused when typed (for pasted text).
std::string DropRefusedChars(std::string_view field, std::string_view utf8);

// Letters typed into C907 become upper case.
char32_t UpperCaseTyped(char32_t ch);

// The most characters a cover text field holds (c902 60, C907 60, c910 50, c911 50); 0 = no limit.
std::size_t TextLimitFor(std::string_view field);
// The first `limit` characters of a UTF-8 text.
std::string CutToCharacters(std::string_view utf8, std::size_t limit);

// What the numeric box of one field holds: digits only, one decimal point where decimals are
// allowed, at most 14 digits in all and 6 after the point, at most `maxChars` characters (0: no
// limit beyond the digits) and not above `maximum`.
struct NumberBoxRule {
  bool decimals = false;
  int maxChars = 0;
  std::int64_t maximum = 99999999999999;
};

inline constexpr int kNumberBoxDigits = 14;
inline constexpr int kNumberBoxFraction = 6;

// Why a box refuses a text (None: it holds it).
enum class NumberBoxFault { None, NotDigits, Fraction, TooManyDigits, TooManyDecimals, TooLong, AboveMaximum };

// Whether the box would hold `text` as typed; `value` is its number when it does. A blank text is
// refused (the box's blank value is no typed number).
NumberBoxFault CheckNumberBoxText(std::string_view text, const NumberBoxRule& rule, double& value);

}  // namespace velmora::entry
