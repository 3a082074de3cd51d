#include "core/base/platform.h"

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

}  // namespace velmora::base::platform
