#include "core/files/database_file.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/db/connection.h"
#include "core/db/file_header.h"
#include "core/files/atomic_file.h"
#include "core/prompts/user_prompts.h"

namespace velmora::files {

namespace fs = std::filesystem;
using base::PathFromUtf8;
using base::Utf8FromPath;

namespace {

std::string LastSystemError() { return std::generic_category().message(errno); }

void RenameOver(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) throw FileError("无法用" + base::QuotedPath(Utf8FromPath(from)) + "替换" + base::QuotedPath(Utf8FromPath(to)) + "：" + ec.message());
}

}  // namespace

std::string ReserveFileIn(const std::string& folder, const std::string& prefix) {
  try {
    return ReserveTemporaryFile(folder, prefix);
  } catch (const AtomicFileError& e) {
    throw FileError(e.what());
  }
}

void CopyFileStream(const std::string& source, const std::string& target) {
  const fs::path from = PathFromUtf8(source);
  std::ifstream in(from, std::ios::binary);
  if (!in) throw FileError("无法打开文件" + base::QuotedPath(Utf8FromPath(from)) + "：" + LastSystemError());
  try {
    AtomicFile out(target, "~SM");
    out.open();
    std::vector<char> buffer(std::size_t{1} << 16);
    while (in) {
      in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      const std::streamsize n = in.gcount();
      if (n > 0) out.write(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
    if (in.bad()) throw FileError("读取文件" + base::QuotedPath(Utf8FromPath(from)) + "时出错");
    out.close();
    // The copy gets the source's permissions (always readable and writable by its owner).
    std::error_code ec;
    const fs::perms perms = fs::status(from, ec).permissions();
    if (!ec)
      fs::permissions(PathFromUtf8(out.tempPath()), perms | fs::perms::owner_read | fs::perms::owner_write, ec);
    out.commit();
  } catch (const AtomicFileError& e) {
    throw FileError(e.what());
  }
}

std::string MakeTempFileNameIn(const std::string& folder, const std::string& prefix) {
  const std::string reserved = ReserveFileIn(folder, prefix);
  std::error_code ec;
  fs::remove(PathFromUtf8(reserved), ec);
  return reserved;
}

std::string MakeTempFileName() {
  std::error_code ec;
  fs::path folder = fs::temp_directory_path(ec);
  if (ec) throw FileError("无法确定系统临时文件夹：" + ec.message());
  return MakeTempFileNameIn(Utf8FromPath(folder), "~SM");
}

bool CompactDatabaseFile(const std::string& file, UserPrompts& prompts, int busyTimeoutMs) {
  // In place, under the engine's exclusive lock: another program's connection to the file waits or
  // makes this wait, and sees the compacted file afterwards; nothing is renamed over it.
  const fs::path target = PathFromUtf8(file);
  try {
    std::error_code ec;
    if (!fs::is_regular_file(target, ec)) throw FileError("找不到文件" + base::QuotedPath(Utf8FromPath(target)));
    db::VacuumDatabase(file, busyTimeoutMs);
    return true;
  } catch (const db::DbError& e) {
    prompts.message(db::IsBusy(e) ? std::string(kDatabaseBusyText) : base::RunErrorText(e.what()),
                    MessageKind::Error);
    return false;
  } catch (const std::exception& e) {
    prompts.message(base::RunErrorText(e.what()), MessageKind::Error);
    return false;
  }
}

void ReplaceDatabaseFile(const std::string& source, const std::string& target, int busyTimeoutMs) {
  const fs::path from = PathFromUtf8(source);
  const fs::path to = ResolvedTarget(PathFromUtf8(target));
  std::error_code ec;
  if (!fs::exists(to, ec) || !db::HasPlainHeader(Utf8FromPath(to))) {
    // Nothing the engine could have open: the file is simply replaced.
    RenameOver(from, to);
    return;
  }
  // A database file that another program may hold: its content is replaced through the engine,
  // under its locks, in one transaction; the file itself (owner, permissions, links) stays.
  try {
    db::Connection destination("Data Source=" + db::Connection::QuoteValue(Utf8FromPath(to)) + ";Mode=ReadWrite");
    db::Connection origin("Data Source=" + db::Connection::QuoteValue(source) + ";Mode=Read");
    destination.setBusyTimeout(busyTimeoutMs);
    db::CopyDatabaseContent(origin, destination);
  } catch (const db::DbError& e) {
    throw FileError(db::IsBusy(e) ? std::string(kDatabaseBusyText) + base::QuotedPath(Utf8FromPath(to))
                                  : "无法替换文件" + base::QuotedPath(Utf8FromPath(to)) + "：" + e.what());
  }
  fs::remove(from, ec);
}

bool RemoveDatabaseFileIfUnused(const std::string& file) {
  const fs::path p = PathFromUtf8(file);
  std::error_code ec;
  if (!fs::exists(p, ec)) return true;
  if (db::HasPlainHeader(file)) {
    // A connection of another program may hold it: only a file nobody is writing is removed.
    try {
      db::Connection probe("Data Source=" + db::Connection::QuoteValue(file) + ";Mode=ReadWrite");
      probe.setBusyTimeout(0);
      probe.execute("BEGIN EXCLUSIVE; ROLLBACK");
    } catch (const std::exception&) {
      return false;
    }
  }
  return fs::remove(p, ec) && !ec;
}

}  // namespace velmora::files
