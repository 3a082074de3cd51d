#include "core/text/gbk_encoder.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace velmora::text {

namespace {

iconv_t Handle(void* cd) { return static_cast<iconv_t>(cd); }

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

}  // namespace

GbkEncoder::GbkEncoder() : cd_(nullptr) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("无法转换为 GBK 编码");
  cd_ = cd;
}

GbkEncoder::~GbkEncoder() { iconv_close(Handle(cd_)); }

void GbkEncoder::Append(std::string_view utf8, std::string& out) { Convert(utf8, out, false); }

bool GbkEncoder::AppendExact(std::string_view utf8, std::string& out) { return Convert(utf8, out, true); }

bool GbkEncoder::Convert(std::string_view utf8, std::string& out, bool exact) {
  // Plain ASCII needs no conversion.
  bool ascii = true;
  for (char c : utf8)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) {
    out.append(utf8);
    return true;
  }
  char buffer[1024];
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  while (inLeft > 0) {
    char* o = buffer;
    std::size_t oLeft = sizeof buffer;
    const std::size_t rc = iconv(Handle(cd_), &in, &inLeft, &o, &oLeft);
    out.append(buffer, static_cast<std::size_t>(o - buffer));
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: one character cannot be converted; skip it.
    if (exact) {
      iconv(Handle(cd_), nullptr, nullptr, nullptr, nullptr);
      return false;
    }
    out.push_back('?');
    const std::size_t skip = std::min(inLeft, SequenceLength(static_cast<unsigned char>(*in)));
    in += skip;
    inLeft -= skip;
    iconv(Handle(cd_), nullptr, nullptr, nullptr, nullptr);
  }
  char* o = buffer;
  std::size_t oLeft = sizeof buffer;
  iconv(Handle(cd_), nullptr, nullptr, &o, &oLeft);
  out.append(buffer, static_cast<std::size_t>(o - buffer));
  return true;
}

}  // namespace velmora::text
