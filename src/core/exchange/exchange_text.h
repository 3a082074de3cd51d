#pragma once
// Small text helpers of the exchange routines' messages and answers.

#include <string>

namespace velmora::exchange {

// A path as messages name it: between Chinese quotation marks.
inline std::string Quoted(const std::string& path) { return "“" + path + "”"; }

// An answer without its outer blanks and line ends.
inline std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace velmora::exchange
