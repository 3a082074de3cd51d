#include "core/text/gbk_decoder.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace velmora::text {

namespace {

iconv_t Handle(void* cd) { return static_cast<iconv_t>(cd); }

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

GbkDecoder::GbkDecoder() : cd_(nullptr) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("无法读取 GBK 编码的文字");
  cd_ = cd;
}

GbkDecoder::~GbkDecoder() { iconv_close(Handle(cd_)); }

void GbkDecoder::Append(std::string_view gbk, std::string& out) { Convert(gbk, out, false); }

bool GbkDecoder::AppendExact(std::string_view gbk, std::string& out) { return Convert(gbk, out, true); }

bool GbkDecoder::Convert(std::string_view gbk, std::string& out, bool exact) {
  bool ascii = true;
  for (char c : gbk)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) {
    out.append(gbk);
    return true;
  }
  iconv(Handle(cd_), nullptr, nullptr, nullptr, nullptr);  // a fresh start for every piece
  char buffer[1024];
  char* in = const_cast<char*>(gbk.data());
  std::size_t inLeft = gbk.size();
  while (inLeft > 0) {
    char* o = buffer;
    std::size_t oLeft = sizeof buffer;
    const std::size_t rc = iconv(Handle(cd_), &in, &inLeft, &o, &oLeft);
    out.append(buffer, static_cast<std::size_t>(o - buffer));
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (a lead byte without its trail at the end): one byte is lost
    if (exact) return false;
    out.append(kReplacement);
    ++in;
    --inLeft;
    iconv(Handle(cd_), nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

}  // namespace velmora::text
