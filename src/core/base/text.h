#pragma once
// Letter case and blanks of plain byte strings.

#include <cctype>
#include <string>
#include <string_view>

namespace velmora::base {

// The blanks and line ends an answer or a typed value may carry around it.
inline constexpr std::string_view kBlanks = " \t\r\n";

// Lower case through the C library's character classes (bytes it does not know stay as they are).
inline std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Lower case of the ASCII letters only: every other byte, UTF-8 included, is left as it is
// whatever the C library's character classes say.
inline char AsciiLowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLowerChar(c);
  return out;
}

// Upper case through the C library's character classes.
inline std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Upper case of the ASCII letters only.
inline std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// One byte in lower case through the C library's character classes.
inline char LowerChar(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Names compared as the engine and the workbooks compare them: letter case aside.
inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  return true;
}

inline bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The text without the given characters at either end.
inline std::string Trim(std::string_view s, std::string_view blanks = kBlanks) {
  const std::size_t b = s.find_first_not_of(blanks);
  if (b == std::string_view::npos) return {};
  return std::string(s.substr(b, s.find_last_not_of(blanks) - b + 1));
}

// True when the text holds nothing but the given characters.
inline bool IsBlank(std::string_view s, std::string_view blanks = kBlanks) {
  return s.find_first_not_of(blanks) == std::string_view::npos;
}

}  // namespace velmora::base
