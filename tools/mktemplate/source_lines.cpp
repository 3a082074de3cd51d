#include "source_lines.h"

#include <fstream>
#include <sstream>

namespace velmora::mktemplate {

std::vector<SourceLine> ReadSourceLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::vector<SourceLine> lines;
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (number == 1 && text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos || text[first] == '#') continue;
    const auto last = text.find_last_not_of(" \t");
    lines.push_back({number, text.substr(0, last + 1)});
  }
  return lines;
}

std::pair<std::string, std::string> SplitWord(const std::string& text) {
  const auto start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  const auto end = text.find_first_of(" \t", start);
  if (end == std::string::npos) return {text.substr(start), {}};
  const auto rest = text.find_first_not_of(" \t", end);
  return {text.substr(start, end - start), rest == std::string::npos ? std::string() : text.substr(rest)};
}

std::runtime_error SourceError(const std::filesystem::path& file, const SourceLine& line, const std::string& message) {
  std::ostringstream out;
  out << file.string() << ":" << line.number << ": " << message;
  return std::runtime_error(out.str());
}

}  // namespace velmora::mktemplate
