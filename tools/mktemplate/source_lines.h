#pragma once
// The readable sources of the templates: UTF-8 text, one statement a line; blank lines and lines
// starting with "#" are skipped.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::mktemplate {

struct SourceLine {
  int number = 0;  // from 1, for messages
  std::string text;
};

// Throws std::runtime_error when the file cannot be read.
std::vector<SourceLine> ReadSourceLines(const std::filesystem::path& file);

// The first word of a line and the rest, without the spaces between them.
std::pair<std::string, std::string> SplitWord(const std::string& text);

// "file:line: message".
std::runtime_error SourceError(const std::filesystem::path& file, const SourceLine& line, const std::string& message);

}  // namespace velmora::mktemplate
