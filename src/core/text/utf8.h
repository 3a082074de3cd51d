#pragma once
// UTF-8 as the program checks it in texts from elsewhere: shortest forms only, no surrogates, nothing
// above U+10FFFF.

#include <cstddef>
#include <string_view>

namespace velmora::text {

// The length in bytes of the well-formed UTF-8 sequence that starts at `at`; 0 when the bytes there
// are not one.
inline std::size_t Utf8SequenceAt(std::string_view s, std::size_t at) {
  const auto c = static_cast<unsigned char>(s[at]);
  if (c < 0x80) return 1;
  const std::size_t len = c >= 0xf0 && c < 0xf5 ? 4 : c >= 0xe0 && c < 0xf0 ? 3 : c >= 0xc2 && c < 0xe0 ? 2 : 0;
  if (len == 0 || at + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k)
    if ((static_cast<unsigned char>(s[at + k]) & 0xc0) != 0x80) return 0;
  const auto c1 = static_cast<unsigned char>(s[at + 1]);
  if (len == 3 && ((c == 0xe0 && c1 < 0xa0) || (c == 0xed && c1 >= 0xa0))) return 0;
  if (len == 4 && ((c == 0xf0 && c1 < 0x90) || (c == 0xf4 && c1 >= 0x90))) return 0;
  return len;
}

}  // namespace velmora::text
