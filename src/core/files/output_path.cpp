#include "core/files/output_path.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/db/file_header.h"
#include "core/files/atomic_file.h"

namespace velmora::files {

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> Head(const fs::path& file, std::size_t count) {
  std::vector<unsigned char> head;
  if (!db::ReadFileHead(file, count, head)) return {};
  return head;
}

bool StartsWithPlainHeader(const std::vector<unsigned char>& head, bool scrambled) {
  if (head.size() < sizeof db::kPlainHeader) return false;
  for (std::size_t i = 0; i < sizeof db::kPlainHeader; ++i) {
    const unsigned char b = scrambled ? db::RestorePackageByte(head[i]) : head[i];
    if (b != static_cast<unsigned char>(db::kPlainHeader[i])) return false;
  }
  return true;
}

// The open database or one of the engine's files beside it.
bool IsOpenDatabase(const std::string& path, const std::string& openDatabase) {
  if (openDatabase.empty()) return false;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
    const std::string companion = openDatabase + suffix;
    if (SameExistingFile(path, companion)) return true;
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(base::PathFromUtf8(path), ec);
    if (ec) continue;
    const fs::path b = fs::weakly_canonical(base::PathFromUtf8(companion), ec);
    if (!ec && a == b) return true;
  }
  return false;
}

}  // namespace

bool IsDatabaseFile(const std::string& path) {
  const std::vector<unsigned char> head = Head(base::PathFromUtf8(path), 100);
  if (head.empty()) return false;
  if (StartsWithPlainHeader(head, false)) return true;
  if (head[0] == db::PackageMarker() && StartsWithPlainHeader(head, true)) return true;
  // The older marking replaced the first 16 bytes; the engine's header goes on behind them
  // (bytes 18 and 19: the file format versions 1 or 2).
  if (head[0] == db::kLegacyPackageByte && head.size() == 100) {
    const bool versions = (head[18] == 1 || head[18] == 2) && (head[19] == 1 || head[19] == 2);
    return versions && head[21] == 64 && head[22] == 32 && head[23] == 32;
  }
  return false;
}

OutputCheck CheckOutputPath(const std::string& path, const OutputKind& kind, const std::string& openDatabase,
                            bool replaceSameKind) {
  const std::string what(kind.name);
  if (path.empty()) return {OutputVerdict::Refused, "没有指定" + what + "的文件名"};
  if (IsOpenDatabase(path, openDatabase))
    return {OutputVerdict::Refused, "不能把" + what + "写到" + base::QuotedPath(path) + "：它是打开的数据库文件"};

  const fs::path p = base::PathFromUtf8(path);
  std::error_code ec;
  const fs::file_status status = fs::status(p, ec);
  if (ec || !fs::exists(status)) return {};
  if (!fs::is_regular_file(status))
    return {OutputVerdict::Refused, "不能把" + what + "写到" + base::QuotedPath(path) + "：它不是普通文件"};
  if (fs::file_size(p, ec) == 0 && !ec) return {};

  const bool database = IsDatabaseFile(path);
  bool sameKind = false;
  if (kind.database) {
    sameKind = database;
  } else if (!database) {
    const std::vector<unsigned char> head = Head(p, kind.signature.size());
    sameKind = head.size() == kind.signature.size() &&
               std::equal(head.begin(), head.end(), kind.signature.begin(),
                          [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
  }
  if (!sameKind) {
    const std::string reason = database ? "它是一个数据库文件" : "它不是" + what;
    return {OutputVerdict::Refused, "不能把" + what + "写到" + base::QuotedPath(path) + "：" + reason};
  }
  if (replaceSameKind) return {};
  return {OutputVerdict::Exists, "文件" + base::QuotedPath(path) + "已经存在"};
}

}  // namespace velmora::files
