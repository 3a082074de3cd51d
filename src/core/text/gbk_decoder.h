#pragma once
// Chinese (GBK) bytes into UTF-8 text, through iconv.

#include <string>
#include <string_view>

namespace velmora::text {

class GbkDecoder {
 public:
  // Throws std::runtime_error when the system has no GBK converter.
  GbkDecoder();
  ~GbkDecoder();
  GbkDecoder(const GbkDecoder&) = delete;
  GbkDecoder& operator=(const GbkDecoder&) = delete;

  // Appends the UTF-8 form of the GBK bytes `gbk` to `out`. A byte sequence that is not GBK
  // becomes U+FFFD for its first byte; decoding goes on after it.
  void Append(std::string_view gbk, std::string& out);
  // As Append, but stops at the first byte sequence that is not GBK (a lead byte without its trail
  // at the end included) and returns false; what was converted before it stays appended.
  bool AppendExact(std::string_view gbk, std::string& out);
  std::string Decode(std::string_view gbk) {
    std::string out;
    Append(gbk, out);
    return out;
  }

 private:
  bool Convert(std::string_view gbk, std::string& out, bool exact);
  void* cd_;  // iconv_t
};

}  // namespace velmora::text
