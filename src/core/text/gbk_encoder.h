#pragma once
// UTF-8 text into the Chinese (GBK) code page of the program's text files, through iconv.

#include <string>
#include <string_view>

namespace velmora::text {

class GbkEncoder {
 public:
  // Throws std::runtime_error when the system has no GBK converter.
  GbkEncoder();
  ~GbkEncoder();
  GbkEncoder(const GbkEncoder&) = delete;
  GbkEncoder& operator=(const GbkEncoder&) = delete;

  // Appends the GBK form of `utf8` to `out`. A character GBK cannot hold, or a byte that is not
  // UTF-8, becomes "?".
  void Append(std::string_view utf8, std::string& out);
  // As Append, but stops at the first character GBK cannot hold (or a byte that is not UTF-8) and
  // returns false; what was converted before it stays appended.
  bool AppendExact(std::string_view utf8, std::string& out);
  std::string Encode(std::string_view utf8) {
    std::string out;
    Append(utf8, out);
    return out;
  }

 private:
  bool Convert(std::string_view utf8, std::string& out, bool exact);
  void* cd_;  // iconv_t
};

}  // namespace velmora::text
