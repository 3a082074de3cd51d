#include "core/db/file_header.h"

#include <algorithm>
#include <fstream>

#include "core/base/paths.h"

namespace velmora::db {

bool ReadFileHead(const std::filesystem::path& file, std::size_t count, std::vector<unsigned char>& head) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  head.assign(count, 0);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(count));
  if (in.bad()) return false;
  head.resize(static_cast<std::size_t>(in.gcount()));
  return true;
}

bool HasPlainHeader(const std::string& file) {
  std::vector<unsigned char> head;
  if (!ReadFileHead(base::PathFromUtf8(file), sizeof kPlainHeader, head)) return false;
  return head.size() == sizeof kPlainHeader &&
         std::equal(head.begin(), head.end(), std::begin(kPlainHeader),
                    [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
}

}  // namespace velmora::db
