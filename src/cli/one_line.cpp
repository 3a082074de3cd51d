#include "cli/one_line.h"

#include <cstdio>

namespace velmora::cli {

namespace {

void Hex(unsigned char b, std::string& out) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", b);
  out += buf;
}

// The length of the well-formed UTF-8 sequence at `i` (2 to 4), or 0 when there is none.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = at(i);
  std::size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    if (b == 0xE0) low = 0xA0;       // no overlong forms
    if (b == 0xED) high = 0x9F;      // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;      // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  if (at(i + 1) < low || at(i + 1) > high) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if (at(i + k) < 0x80 || at(i + k) > 0xBF) return 0;
  return n;
}

}  // namespace

std::string OneLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      switch (b) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default:
          if (b < 0x20 || b == 0x7F)
            Hex(b, out);
          else
            out += static_cast<char>(b);
      }
      ++i;
      continue;
    }
    const std::size_t n = SequenceLength(text, i);
    if (n == 0) {
      Hex(b, out);
      ++i;
      continue;
    }
    if (n == 2 && b == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // a C1 control: the terminal may take it for the start of a command
      Hex(b, out);
      Hex(static_cast<unsigned char>(text[i + 1]), out);
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

}  // namespace velmora::cli
