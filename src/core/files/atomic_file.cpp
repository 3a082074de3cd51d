#include "core/files/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "core/db/database_files.h"

namespace velmora::files {

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& p) { return "“" + db::Utf8FromPath(p) + "”"; }

std::string SystemText(int error) { return std::generic_category().message(error); }

fs::path FolderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
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

bool IsOurTemporaryName(const std::string& name, const std::string& prefix) {
  // "<prefix>XXXXXX.tmp", X an upper-case hex digit
  if (name.size() != prefix.size() + 10 || name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(prefix.size() + 6, 4, ".tmp") != 0) return false;
  for (std::size_t i = prefix.size(); i < prefix.size() + 6; ++i) {
    const char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

std::FILE* OpenFile(const fs::path& p, bool exclusive) {
#ifdef _WIN32
  return _wfopen(p.c_str(), exclusive ? L"wbx" : L"wb");
#else
  return std::fopen(p.c_str(), exclusive ? "wbx" : "wb");
#endif
}

}  // namespace

bool SameExistingFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  const bool same = fs::equivalent(db::PathFromUtf8(a), db::PathFromUtf8(b), ec);
  return !ec && same;
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix, std::chrono::hours age) {
  std::error_code ec;
  fs::directory_iterator it(db::PathFromUtf8(folder.empty() ? std::string(".") : folder), ec);
  if (ec) return;
  const auto limit = fs::file_time_type::clock::now() - age;
  for (const fs::directory_entry& entry : it) {
    const std::string name = db::Utf8FromPath(entry.path().filename());
    if (!IsOurTemporaryName(name, prefix)) continue;
    std::error_code e;
    if (!entry.is_regular_file(e) || e) continue;
    const auto changed = entry.last_write_time(e);
    if (e || changed > limit) continue;
    fs::remove(entry.path(), e);
  }
}

std::string ReserveTemporaryFile(const std::string& folderUtf8, const std::string& prefix) {
  const fs::path folder = db::PathFromUtf8(folderUtf8.empty() ? std::string(".") : folderUtf8);
  RemoveStaleTemporaries(db::Utf8FromPath(folder), prefix);
  static thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<unsigned> digits(0, 0xFFFFFF);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char tail[16];
    std::snprintf(tail, sizeof tail, "%06X.tmp", digits(random));
    const fs::path candidate = folder / db::PathFromUtf8(prefix + tail);
    errno = 0;
    if (std::FILE* f = OpenFile(candidate, true)) {
      std::fclose(f);
      return db::Utf8FromPath(candidate);
    }
    if (errno != EEXIST)
      throw AtomicFileError("无法在文件夹" + Quoted(folder) + "中建立文件：" + SystemText(errno));
  }
  throw AtomicFileError("无法在文件夹" + Quoted(folder) + "中建立临时文件");
}

AtomicFile::AtomicFile(const std::string& target, const std::string& prefix, const std::string& openDatabase)
    : prefix_(prefix) {
  const fs::path resolved = ResolvedTarget(db::PathFromUtf8(target));
  target_ = db::Utf8FromPath(resolved);
  if (SameExistingFile(target_, openDatabase))
    throw AtomicFileError("不能写入文件" + Quoted(resolved) + "：它是打开的数据库文件");
  std::error_code ec;
  const fs::file_status status = fs::status(resolved, ec);
  if (!ec && fs::exists(status) && !fs::is_regular_file(status))
    throw AtomicFileError("不能写入" + Quoted(resolved) + "：它不是普通文件");
  temp_ = ReserveTemporaryFile(db::Utf8FromPath(FolderOf(resolved)), prefix_);
}

AtomicFile::~AtomicFile() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!committed_) discard();
}

void AtomicFile::open() {
  if (file_) return;
  errno = 0;
  file_ = OpenFile(db::PathFromUtf8(temp_), false);
  if (!file_) throw AtomicFileError("无法写入文件" + Quoted(db::PathFromUtf8(target_)) + "：" + SystemText(errno));
}

void AtomicFile::write(std::string_view bytes) {
  if (!file_) open();
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() || std::fflush(file_) != 0)
    throw AtomicFileError("无法写入文件" + Quoted(db::PathFromUtf8(target_)) + "：" + SystemText(errno));
}

void AtomicFile::close() {
  if (!file_) return;
  std::FILE* f = file_;
  file_ = nullptr;
  errno = 0;
  const bool flushed = std::fflush(f) == 0;
  const int flushError = errno;
  if (std::fclose(f) != 0 || !flushed)
    throw AtomicFileError("无法写入文件" + Quoted(db::PathFromUtf8(target_)) + "：" + SystemText(flushed ? errno : flushError));
}

void AtomicFile::commit(const std::function<void()>& alongside) {
  if (committed_) return;
  close();
  const fs::path target = db::PathFromUtf8(target_);
  const fs::path temp = db::PathFromUtf8(temp_);
  std::error_code ec;

  // The previous target is moved aside first when something else must succeed with the new one,
  // so that it can be put back.
  fs::path aside;
  if (alongside && fs::exists(target, ec)) {
    aside = db::PathFromUtf8(ReserveTemporaryFile(db::Utf8FromPath(FolderOf(target)), prefix_));
    fs::rename(target, aside, ec);
    if (ec) {
      std::error_code e;
      fs::remove(aside, e);
      throw AtomicFileError("无法替换文件" + Quoted(target) + "：" + ec.message());
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code e;
    if (!aside.empty()) fs::rename(aside, target, e);
    throw AtomicFileError("无法替换文件" + Quoted(target) + "：" + ec.message());
  }
  committed_ = true;
  if (alongside) {
    try {
      alongside();
    } catch (...) {
      std::error_code e;
      if (!aside.empty())
        fs::rename(aside, target, e);
      else
        fs::remove(target, e);
      throw;
    }
    if (!aside.empty()) fs::remove(aside, ec);
  }
}

void AtomicFile::discard() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (temp_.empty() || committed_) return;
  std::error_code ec;
  fs::remove(db::PathFromUtf8(temp_), ec);
}

}  // namespace velmora::files
