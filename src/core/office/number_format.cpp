#include "core/office/number_format.h"

namespace velmora::office {

std::string FormatCode(std::string_view localFormat) {
  static constexpr std::string_view kYuan = "￥";
  std::string code;
  code.reserve(localFormat.size() + 8);
  bool quoted = false;
  for (size_t i = 0; i < localFormat.size();) {
    char c = localFormat[i];
    if (c == '"') quoted = !quoted;
    if (!quoted && localFormat.substr(i, kYuan.size()) == kYuan) {
      code += '"';
      code += kYuan;
      code += '"';
      i += kYuan.size();
      continue;
    }
    code += c;
    ++i;
  }
  return code;
}

}  // namespace velmora::office
