#include "core/files/atomic_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

#include "core/base/paths.h"
#include "core/base/quoting.h"

namespace velmora::files {

namespace fs = std::filesystem;

namespace {

fs::path FolderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool IsOurTemporaryName(const std::string& name, const std::string& prefix) {
  // "<prefix>XXXXXX.tmp", X an upper-case hex digit
  if (name.size() != prefix.size() + 10 || name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(prefix.size() + 6, 4, ".tmp") != 0) return false;
  for (std::size_t i = prefix.size(); i < prefix.size() + 6; ++i) {
    if (!IsUpperHex(name[i])) return false;
  }
  return true;
}

// The prefixes of the program's temporaries: "~vm" and one letter, and the three older ones.
bool IsWorkPrefix(std::string_view prefix) {
  if (prefix.size() == 4 && prefix.compare(0, 3, "~vm") == 0) return prefix[3] >= 'a' && prefix[3] <= 'z';
  return prefix == "~SM" || prefix == "~GN" || prefix == "~CK";
}

// "<work prefix>XXXXXX.tmp", optionally followed by one of the engine's suffixes.
bool IsWorkFileName(std::string_view name) {
  for (const std::string_view suffix : {"-journal", "-wal", "-shm"}) {
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      name.remove_suffix(suffix.size());
      break;
    }
  }
  if (name.size() < 11 || name.compare(name.size() - 4, 4, ".tmp") != 0) return false;
  const std::string_view digits = name.substr(name.size() - 10, 6);
  for (char c : digits)
    if (!IsUpperHex(c)) return false;
  return IsWorkPrefix(name.substr(0, name.size() - 10));
}

// Removes the engine's files beside `temp`.
void RemoveSiblings(const fs::path& temp) {
  std::error_code ec;
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    fs::path sibling = temp;
    sibling += suffix;
    fs::remove(sibling, ec);
  }
}

}  // namespace

// The file a path names, following symbolic links, so that a replacement lands on the real file.
fs::path ResolvedTarget(const fs::path& file) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(file, ec))) {
    fs::path real = fs::weakly_canonical(file, ec);
    if (!ec) return real;
  }
  return file;
}

void TemporaryFile::remove() {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove(base::PathFromUtf8(path_), ec);
  path_.clear();
}

bool SameExistingFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  const bool same = fs::equivalent(base::PathFromUtf8(a), base::PathFromUtf8(b), ec);
  return !ec && same;
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix, std::chrono::hours age) {
  std::error_code ec;
  fs::directory_iterator it(base::PathFromUtf8(folder.empty() ? std::string(".") : folder), ec);
  if (ec) return;
  const auto limit = fs::file_time_type::clock::now() - age;
  for (const fs::directory_entry& entry : it) {
    const std::string name = base::Utf8FromPath(entry.path().filename());
    if (!IsOurTemporaryName(name, prefix)) continue;
    std::error_code e;
    if (!entry.is_regular_file(e) || e) continue;
    const auto changed = entry.last_write_time(e);
    if (e || changed > limit) continue;
    fs::remove(entry.path(), e);
  }
}

void RemoveStaleWorkFiles(const std::string& folder, std::chrono::hours age) {
  std::error_code ec;
  fs::directory_iterator it(base::PathFromUtf8(folder.empty() ? std::string(".") : folder), ec);
  if (ec) return;
  const auto limit = fs::file_time_type::clock::now() - age;
  for (const fs::directory_entry& entry : it) {
    if (!IsWorkFileName(base::Utf8FromPath(entry.path().filename()))) continue;
    std::error_code e;
    const fs::file_status status = entry.symlink_status(e);
    if (e || fs::is_directory(status)) continue;
    // A link is only ever an intruder's: it goes whatever its age (the link, never what it names).
    if (!fs::is_symlink(status)) {
      const auto changed = entry.last_write_time(e);
      if (e || changed > limit) continue;
    }
    fs::remove(entry.path(), e);
  }
}

void RemoveStaleWorkFilesAtStart(const std::string& programFolder) {
  RemoveStaleWorkFiles(programFolder);
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  if (!ec) RemoveStaleWorkFiles(base::Utf8FromPath(temp));
}

namespace {

// Makes a fresh "<prefix><6 hex digits>.tmp" in `folder`, open for writing.
fs::path CreateTemporary(const fs::path& folder, const std::string& prefix, native::Handle& handle) {
  static thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<unsigned> digits(0, 0xFFFFFF);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char tail[16];
    std::snprintf(tail, sizeof tail, "%06X.tmp", digits(random));
    const fs::path candidate = folder / base::PathFromUtf8(prefix + tail);
    std::string error;
    switch (native::CreateNew(candidate, handle, error)) {
      case native::CreateResult::Created: return candidate;
      case native::CreateResult::Exists: continue;
      case native::CreateResult::Failed:
        throw AtomicFileError("无法在文件夹" + base::QuotedPath(base::Utf8FromPath(folder)) + "中建立文件：" + error);
    }
  }
  throw AtomicFileError("无法在文件夹" + base::QuotedPath(base::Utf8FromPath(folder)) + "中建立临时文件");
}

fs::path PreparedFolder(const std::string& folderUtf8, const std::string& prefix) {
  const fs::path folder = base::PathFromUtf8(folderUtf8.empty() ? std::string(".") : folderUtf8);
  RemoveStaleTemporaries(base::Utf8FromPath(folder), prefix);
  RemoveStaleWorkFiles(base::Utf8FromPath(folder));
  return folder;
}

}  // namespace

std::string ReserveTemporaryFile(const std::string& folderUtf8, const std::string& prefix) {
  native::Handle handle = native::kNoHandle;
  const fs::path made = CreateTemporary(PreparedFolder(folderUtf8, prefix), prefix, handle);
  native::Close(handle);
  return base::Utf8FromPath(made);
}

AtomicFile::AtomicFile(const std::string& target, const std::string& prefix, const std::string& openDatabase)
    : prefix_(prefix) {
  const fs::path given = base::PathFromUtf8(target);
  // A name of our temporaries is written where it is: a link there was put by someone else.
  if (IsWorkFileName(base::Utf8FromPath(given.filename())) && native::Inspect(given).link)
    throw AtomicFileError("不能写入" + base::QuotedPath(base::Utf8FromPath(given)) + "：它是一个链接");
  const fs::path resolved = ResolvedTarget(given);
  target_ = base::Utf8FromPath(resolved);
  if (SameExistingFile(target_, openDatabase))
    throw AtomicFileError("不能写入文件" + base::QuotedPath(base::Utf8FromPath(resolved)) + "：它是打开的数据库文件");
  std::error_code ec;
  const fs::file_status status = fs::status(resolved, ec);
  if (!ec && fs::exists(status) && !fs::is_regular_file(status))
    throw AtomicFileError("不能写入" + base::QuotedPath(base::Utf8FromPath(resolved)) + "：它不是普通文件");
  const fs::path made = CreateTemporary(PreparedFolder(base::Utf8FromPath(FolderOf(resolved)), prefix_), prefix_, handle_);
  temp_ = base::Utf8FromPath(made);
  if (!native::IdentityOf(handle_, identity_)) {
    native::Close(handle_);
    handle_ = native::kNoHandle;
    fs::remove(made, ec);
    throw AtomicFileError("无法在文件夹" + base::QuotedPath(base::Utf8FromPath(FolderOf(resolved))) + "中建立临时文件");
  }
}

AtomicFile::~AtomicFile() {
  native::Close(handle_);
  handle_ = native::kNoHandle;
  if (!committed_) discard();
}

void AtomicFile::open() {
  if (handle_ == native::kNoHandle)
    throw AtomicFileError("无法写入文件" + base::QuotedPath(base::Utf8FromPath(base::PathFromUtf8(target_))) + "：临时文件已经关闭");
  // Before a writer is given the name: the temporary must still be there (its folder may be gone).
  if (!isOurs(temp_))
    throw AtomicFileError("无法写入文件" + base::QuotedPath(base::Utf8FromPath(base::PathFromUtf8(target_))) + "：临时文件" +
                          base::QuotedPath(base::Utf8FromPath(base::PathFromUtf8(temp_))) + "已不存在或已被替换");
}

void AtomicFile::write(std::string_view bytes) {
  if (handle_ == native::kNoHandle) open();
  std::string error;
  if (!native::WriteAll(handle_, bytes, error))
    throw AtomicFileError("无法写入文件" + base::QuotedPath(base::Utf8FromPath(base::PathFromUtf8(target_))) + "：" + error);
}

void AtomicFile::close() {
  if (handle_ == native::kNoHandle) return;
  const native::Handle h = handle_;
  handle_ = native::kNoHandle;
  closed_ = true;
  std::string error;
  const bool synced = native::Sync(h, error);
  native::Close(h);
  if (!synced) throw AtomicFileError("无法写入文件" + base::QuotedPath(base::Utf8FromPath(base::PathFromUtf8(target_))) + "：" + error);
}

bool AtomicFile::isOurs(const std::string& name) const {
  const native::NameInfo now = native::Inspect(base::PathFromUtf8(name));
  bool ours = now.exists && !now.link && now.identity == identity_;
  // A writer given the name may have made the file anew under it: a plain file of ours, one name.
  if (!ours && handedOut_) ours = now.exists && now.regular && !now.link && now.links == 1 && now.ours;
  return ours;
}

void AtomicFile::requireOurs() const {
  if (!isOurs(temp_))
    throw AtomicFileError("无法替换文件" + base::QuotedPath(base::Utf8FromPath(base::PathFromUtf8(target_))) + "：临时文件" +
                          base::QuotedPath(base::Utf8FromPath(base::PathFromUtf8(temp_))) + "已被替换");
}

void AtomicFile::commit(const std::function<void()>& alongside) {
  if (committed_) return;
  close();
  requireOurs();
  const fs::path target = base::PathFromUtf8(target_);
  const fs::path temp = base::PathFromUtf8(temp_);
  std::error_code ec;

  // The previous target is moved aside first when something else must succeed with the new one,
  // so that it can be put back.
  fs::path aside;
  if (alongside && fs::exists(target, ec)) {
    aside = base::PathFromUtf8(ReserveTemporaryFile(base::Utf8FromPath(FolderOf(target)), prefix_));
    fs::rename(target, aside, ec);
    if (ec) {
      std::error_code e;
      fs::remove(aside, e);
      throw AtomicFileError("无法替换文件" + base::QuotedPath(base::Utf8FromPath(target)) + "：" + ec.message());
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code e;
    if (!aside.empty()) fs::rename(aside, target, e);
    throw AtomicFileError("无法替换文件" + base::QuotedPath(base::Utf8FromPath(target)) + "：" + ec.message());
  }
  // The name was looked at before the rename; a swap in between shows at the target now, and what
  // was swapped in does not stay there.
  if (!isOurs(target_)) {
    std::error_code e;
    fs::remove(target, e);
    if (!aside.empty()) fs::rename(aside, target, e);
    throw AtomicFileError("无法替换文件" + base::QuotedPath(base::Utf8FromPath(target)) + "：临时文件" + base::QuotedPath(base::Utf8FromPath(temp)) + "已被替换");
  }
  committed_ = true;
  RemoveSiblings(temp);  // the engine's files of the temporary, when it left any
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
  native::Close(handle_);
  handle_ = native::kNoHandle;
  if (temp_.empty() || committed_) return;
  std::error_code ec;
  fs::remove(base::PathFromUtf8(temp_), ec);
  RemoveSiblings(base::PathFromUtf8(temp_));
}

void CopyFileInto(const std::string& source, AtomicFile& out) {
  const fs::path from = base::PathFromUtf8(source);
  std::ifstream in(from, std::ios::binary);
  if (!in) throw AtomicFileError("无法打开文件" + base::QuotedPath(base::Utf8FromPath(from)));
  std::vector<char> buffer(std::size_t{1} << 16);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize n = in.gcount();
    if (n > 0) out.write(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
  }
  if (in.bad()) throw AtomicFileError("读取文件" + base::QuotedPath(base::Utf8FromPath(from)) + "时出错");
}

}  // namespace velmora::files
