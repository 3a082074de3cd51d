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
  std::string Decode(std::string_view gbk) {
    std::string out;
    Append(gbk, out);
    return out;
  }

 private:
  void* cd_;  // iconv_t
};

}  // namespace velmora::text
