// The page notes' rich text reader: any bytes give some HTML, never a crash.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/text/rtf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string html = velmora::text::RtfToHtml(std::string_view(reinterpret_cast<const char*>(data), size));
  (void)html;
  return 0;
}
