#include "core/db/database_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/base/error_text.h"
#include "core/base/quoting.h"
#include "core/db/connection.h"
#include "core/files/atomic_file.h"
#include "core/prompts/user_prompts.h"

namespace velmora::db {

namespace fs = std::filesystem;

fs::path PathFromUtf8(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8FromPath(const fs::path& path) {
  std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

namespace {

std::string LastSystemError() { return std::generic_category().message(errno); }

// Creates a new file with a fresh name "<prefix><6 hex digits>.tmp" in `folder` and keeps it;
// stale ones of killed runs are tidied away first.
fs::path ReserveFile(const fs::path& folder, const std::string& prefix) {
  try {
    return PathFromUtf8(files::ReserveTemporaryFile(Utf8FromPath(folder), prefix));
  } catch (const files::AtomicFileError& e) {
    throw FileError(e.what());
  }
}

// The file a path names, following symbolic links, so that a replacement lands on the real file.
fs::path ResolvedTarget(const fs::path& file) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(file, ec))) {
    fs::path real = fs::weakly_canonical(file, ec);
    if (!ec) return real;
  }
  return file;
}

// Removes a temporary file when the operation that made it does not hand it on.
class TempFileGuard {
 public:
  explicit TempFileGuard(fs::path p) : path_(std::move(p)) {}
  ~TempFileGuard() {
    if (!path_.empty()) {
      std::error_code ec;
      fs::remove(path_, ec);
    }
  }
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  const fs::path& path() const { return path_; }
  void reset(fs::path p) { path_ = std::move(p); }
  void release() { path_.clear(); }

 private:
  fs::path path_;
};

void RenameOver(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) throw FileError("无法用" + base::QuotedPath(Utf8FromPath(from)) + "替换" + base::QuotedPath(Utf8FromPath(to)) + "：" + ec.message());
}

// Reads up to `count` bytes from the start of a file; false when it cannot be read.
bool ReadHead(const fs::path& file, std::size_t count, std::vector<unsigned char>& head) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  head.assign(count, 0);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(count));
  if (in.bad()) return false;
  head.resize(static_cast<std::size_t>(in.gcount()));
  return true;
}

// Rewrites the first bytes of `file` in place with the result of `transform` on `count` bytes.
template <class Transform>
HeadResult RewriteHead(const fs::path& file, std::size_t count, Transform transform) {
  std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
  if (!io) return HeadResult::Failed;
  std::vector<unsigned char> head(count);
  io.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(count));
  if (static_cast<std::size_t>(io.gcount()) != count) return HeadResult::TooShort;
  transform(head);
  io.clear();
  io.seekp(0);
  io.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(count));
  io.flush();
  return io ? HeadResult::Changed : HeadResult::Failed;
}

}  // namespace

HeadResult ScramblePackageHeader(const std::string& file) {
  fs::path p = PathFromUtf8(file);
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return HeadResult::Missing;
  if (fs::file_size(p, ec) < kPackageHeadSize) return ec ? HeadResult::Failed : HeadResult::TooShort;
  return RewriteHead(p, kPackageHeadSize, [](std::vector<unsigned char>& head) {
    for (auto& b : head) b = ScramblePackageByte(b);
  });
}

HeadResult RestorePackageHeader(const std::string& file) {
  fs::path p = PathFromUtf8(file);
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return HeadResult::Missing;
  std::vector<unsigned char> first;
  if (!ReadHead(p, 1, first)) return HeadResult::Failed;
  if (first.empty()) return HeadResult::Unchanged;

  if (first[0] == kLegacyPackageByte) {
    return RewriteHead(p, sizeof kPlainHeader, [](std::vector<unsigned char>& head) {
      std::copy(std::begin(kPlainHeader), std::end(kPlainHeader), head.begin());
    });
  }
  if (first[0] == PackageMarker()) {
    return RewriteHead(p, kPackageHeadSize, [](std::vector<unsigned char>& head) {
      for (auto& b : head) b = RestorePackageByte(b);
    });
  }
  return HeadResult::Unchanged;
}

bool HasPlainHeader(const std::string& file) {
  std::vector<unsigned char> head;
  if (!ReadHead(PathFromUtf8(file), sizeof kPlainHeader, head)) return false;
  return head.size() == sizeof kPlainHeader &&
         std::equal(head.begin(), head.end(), std::begin(kPlainHeader),
                    [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
}

void CopyFileStream(const std::string& source, const std::string& target) {
  const fs::path from = PathFromUtf8(source);
  std::ifstream in(from, std::ios::binary);
  if (!in) throw FileError("无法打开文件" + base::QuotedPath(Utf8FromPath(from)) + "：" + LastSystemError());
  try {
    files::AtomicFile out(target, "~SM");
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
  } catch (const files::AtomicFileError& e) {
    throw FileError(e.what());
  }
}

std::string MakeTempFileNameIn(const std::string& folder, const std::string& prefix) {
  fs::path reserved = ReserveFile(PathFromUtf8(folder), prefix);
  std::error_code ec;
  fs::remove(reserved, ec);
  return Utf8FromPath(reserved);
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
    VacuumDatabase(file, busyTimeoutMs);
    return true;
  } catch (const DbError& e) {
    prompts.message(IsBusy(e) ? std::string(kDatabaseBusyText) : base::RunErrorText(e.what()),
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
  if (!fs::exists(to, ec) || !HasPlainHeader(Utf8FromPath(to))) {
    // Nothing the engine could have open: the file is simply replaced.
    RenameOver(from, to);
    return;
  }
  // A database file that another program may hold: its content is replaced through the engine,
  // under its locks, in one transaction; the file itself (owner, permissions, links) stays.
  try {
    Connection destination("Data Source=" + Connection::QuoteValue(Utf8FromPath(to)) + ";Mode=ReadWrite");
    Connection origin("Data Source=" + Connection::QuoteValue(source) + ";Mode=Read");
    destination.setBusyTimeout(busyTimeoutMs);
    CopyDatabaseContent(origin, destination);
  } catch (const DbError& e) {
    throw FileError(IsBusy(e) ? std::string(kDatabaseBusyText) + base::QuotedPath(Utf8FromPath(to))
                              : "无法替换文件" + base::QuotedPath(Utf8FromPath(to)) + "：" + e.what());
  }
  fs::remove(from, ec);
}

bool RemoveDatabaseFileIfUnused(const std::string& file) {
  const fs::path p = PathFromUtf8(file);
  std::error_code ec;
  if (!fs::exists(p, ec)) return true;
  if (HasPlainHeader(file)) {
    // A connection of another program may hold it: only a file nobody is writing is removed.
    try {
      Connection probe("Data Source=" + Connection::QuoteValue(file) + ";Mode=ReadWrite");
      probe.setBusyTimeout(0);
      probe.execute("BEGIN EXCLUSIVE; ROLLBACK");
    } catch (const std::exception&) {
      return false;
    }
  }
  return fs::remove(p, ec) && !ec;
}

WorkingCopy PrepareWorkingCopy(const std::string& chosenFile, const std::string& programFolder,
                               const std::string& workingName) {
  WorkingCopy result;
  fs::path chosen = PathFromUtf8(chosenFile);
  std::vector<unsigned char> head;
  if (!ReadHead(chosen, sizeof kPlainHeader, head)) {
    result.error = "无法读取您选择的文件" + base::QuotedPath(Utf8FromPath(chosen)) + "。";
    return result;
  }
  if (head.empty()) {
    result.error = kNotADatabaseText;
    return result;
  }
  if (head[0] == kPlainFileByte) {
    // Byte 0 says plain; the rest of the header must agree.
    if (!HasPlainHeader(chosenFile)) {
      result.error = kNotADatabaseText;
      return result;
    }
    result.ok = true;
    result.path = chosenFile;
    return result;
  }

  // A package: copy it beside the working copy, restore the copy's head, and only a copy that is
  // then a plain database file takes the working copy's place.
  fs::path folder = PathFromUtf8(programFolder);
  fs::path working = folder / PathFromUtf8(workingName);
  try {
    TempFileGuard staging(ReserveFile(folder, "~SM"));
    CopyFileStream(chosenFile, Utf8FromPath(staging.path()));
    HeadResult restored = RestorePackageHeader(Utf8FromPath(staging.path()));
    if (restored == HeadResult::Failed) throw FileError("无法改写文件" + base::QuotedPath(Utf8FromPath(staging.path())));
    if (!HasPlainHeader(Utf8FromPath(staging.path()))) {
      result.error = kNotADatabaseText;
      return result;
    }
    ReplaceDatabaseFile(Utf8FromPath(staging.path()), Utf8FromPath(working));
    staging.release();
  } catch (const std::exception& e) {
    result.error = base::RunErrorText(e.what());
    return result;
  }
  result.ok = true;
  result.copied = true;
  result.path = Utf8FromPath(working);
  return result;
}

}  // namespace velmora::db
