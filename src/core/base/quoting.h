#pragma once
// Names in SQL statements and paths in messages.

#include <string>
#include <string_view>

namespace velmora::base {

// A table or column name between double quotes, a double quote inside it doubled.
inline std::string QuoteSqlName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

// A path (or a name) as messages show it: between Chinese quotation marks, as it is.
inline std::string QuotedPath(std::string_view path) { return "“" + std::string(path) + "”"; }

}  // namespace velmora::base
