#include <fstream>
#include <stdexcept>
#include <system_error>

#include "core/text/gbk_encoder.h"
#include "forms.h"
#include "source_lines.h"

namespace velmora::mktemplate {

void WriteGbkLines(const std::filesystem::path& source, const std::filesystem::path& out, bool checkList) {
  text::GbkEncoder encoder;
  std::string bytes;
  for (const SourceLine& line : ReadSourceLines(source)) {
    std::string entry = line.text;
    if (checkList) entry = std::string("&") + (line.text.starts_with("//") ? "0" : "1") + " 1 " + line.text;
    const std::string gbk = encoder.Encode(entry);
    if (gbk.find('?') != std::string::npos && entry.find('?') == std::string::npos)
      throw SourceError(source, line, "the line has a character GBK cannot hold");
    bytes += gbk + "\r\n";
  }
  std::filesystem::path partial = out;
  partial += ".partial";
  {
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + partial.string());
  }
  std::error_code ec;
  std::filesystem::rename(partial, out, ec);
  if (ec) {
    std::filesystem::remove(partial, ec);
    throw std::runtime_error("cannot put " + out.string() + " in place");
  }
}

}  // namespace velmora::mktemplate
