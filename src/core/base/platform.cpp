#include "core/base/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <shlobj.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

#include "core/base/paths.h"

namespace velmora::base::platform {

namespace fs = std::filesystem;

std::string ExecutableFolder(const char* argv0) {
  std::error_code ec;
  fs::path self;
#ifdef _WIN32
  wchar_t buffer[32768];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
  if (n > 0 && n < std::size(buffer)) self = fs::path(std::wstring(buffer, n));
#else
  self = fs::canonical("/proc/self/exe", ec);
  if (ec) self.clear();
#endif
  if (self.empty()) self = fs::absolute(argv0 ? argv0 : ".", ec);
  return Utf8FromPath(self.parent_path());
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

std::optional<std::string> Environment(const char* name) {
#ifdef _WIN32
  // The wide environment: a user name or folder outside the ANSI code page stays whole.
  const std::wstring wide(name, name + std::char_traits<char>::length(name));
  const wchar_t* value = _wgetenv(wide.c_str());
  if (!value) return std::nullopt;
  return Utf8FromPath(fs::path(std::wstring(value)));
#else
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
#endif
}

std::string HomeFolder() {
#ifdef _WIN32
  const auto home = Environment("USERPROFILE");
#else
  const auto home = Environment("HOME");
#endif
  return home ? *home : std::string();
}

std::string UserDataRoot() {
#ifdef _WIN32
  PWSTR folder = nullptr;
  std::string root;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder)) && folder)
    root = Utf8FromPath(fs::path(std::wstring(folder)));
  CoTaskMemFree(folder);
  if (root.empty()) {
    if (const auto local = Environment("LOCALAPPDATA")) root = *local;
  }
  return root;
#else
  // Only an absolute $XDG_DATA_HOME counts (the XDG base directory rules); a relative one is ignored.
  if (const auto xdg = Environment("XDG_DATA_HOME"); xdg && !xdg->empty() && PathFromUtf8(*xdg).is_absolute())
    return *xdg;
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return Utf8FromPath(PathFromUtf8(home) / ".local" / "share");
#endif
}

#ifdef _WIN32
bool ByteLockedByAnother(const std::string& file, long long offset) {
  HANDLE h = CreateFileW(PathFromUtf8(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xffffffff);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  // A shared lock of the byte succeeds unless a writer holds one of them exclusively.
  const bool free = LockFileEx(h, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
  if (free) UnlockFileEx(h, 0, 1, 0, &at);
  CloseHandle(h);
  return !free;
}
#else
bool ByteLockedByAnother(const std::string& file, long long offset) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = offset;
  probe.l_len = 1;
  const bool held = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return held;
}
#endif

// The files the program writes.


#ifdef _WIN32

namespace {

std::string LastErrorText() {
  return std::system_category().message(static_cast<int>(GetLastError()));
}

HANDLE Native(Handle h) { return reinterpret_cast<HANDLE>(h); }

bool InfoOf(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) { return GetFileInformationByHandle(h, &info) != 0; }

Identity IdentityFromInfo(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace

CreateResult CreateNew(const std::filesystem::path& path, Handle& handle, std::string& error) {
  handle = kNoHandle;
  // CREATE_NEW refuses any existing name, a link included; the share modes let the finished file be
  // renamed while it is still open, and a writer given its name (the database engine) open it.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS) return CreateResult::Exists;
    error = std::system_category().message(static_cast<int>(e));
    return CreateResult::Failed;
  }
  handle = reinterpret_cast<Handle>(h);
  return CreateResult::Created;
}

bool WriteAll(Handle handle, std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(Native(handle), bytes.data(), chunk, &written, nullptr) || written == 0) {
      error = LastErrorText();
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool Sync(Handle handle, std::string& error) {
  if (FlushFileBuffers(Native(handle))) return true;
  error = LastErrorText();
  return false;
}

void Close(Handle handle) {
  if (handle != kNoHandle) CloseHandle(Native(handle));
}

bool IdentityOf(Handle handle, Identity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!InfoOf(Native(handle), info)) return false;
  identity = IdentityFromInfo(info);
  return true;
}

NameInfo Inspect(const std::filesystem::path& path) {
  NameInfo result;
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return result;
  BY_HANDLE_FILE_INFORMATION info;
  if (InfoOf(h, info)) {
    result.exists = true;
    result.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    result.regular = !result.link && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    result.links = info.nNumberOfLinks;
    result.ours = true;  // the folder's access rules decide who may replace a name there
    result.identity = IdentityFromInfo(info);
  }
  CloseHandle(h);
  return result;
}

#else

namespace {

std::string ErrnoText(int e) { return std::generic_category().message(e); }

}  // namespace

CreateResult CreateNew(const std::filesystem::path& path, Handle& handle, std::string& error) {
  handle = kNoHandle;
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (errno == EEXIST) return CreateResult::Exists;
    error = ErrnoText(errno);
    return CreateResult::Failed;
  }
  handle = fd;
  return CreateResult::Created;
}

bool WriteAll(Handle handle, std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(static_cast<int>(handle), bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      error = ErrnoText(errno);
      return false;
    }
    if (n == 0) {
      error = ErrnoText(EIO);
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool Sync(Handle handle, std::string& error) {
  if (::fsync(static_cast<int>(handle)) == 0) return true;
  error = ErrnoText(errno);
  return false;
}

void Close(Handle handle) {
  if (handle != kNoHandle) ::close(static_cast<int>(handle));
}

bool IdentityOf(Handle handle, Identity& identity) {
  struct stat st {};
  if (::fstat(static_cast<int>(handle), &st) != 0) return false;
  identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

NameInfo Inspect(const std::filesystem::path& path) {
  NameInfo result;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return result;
  result.exists = true;
  result.link = S_ISLNK(st.st_mode);
  result.regular = S_ISREG(st.st_mode);
  result.links = static_cast<std::uint64_t>(st.st_nlink);
  result.ours = st.st_uid == ::geteuid();
  result.identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return result;
}

#endif

}  // namespace velmora::base::platform
