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

}  // namespace velmora::base::platform
