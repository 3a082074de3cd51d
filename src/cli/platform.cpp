#include "cli/platform.h"

#include <cstdio>
#include <iterator>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace velmora::cli {

std::string ProgramFolder(const char* argv0) {
  std::error_code ec;
  std::filesystem::path self;
#ifdef _WIN32
  wchar_t buffer[32768];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
  if (n > 0 && n < std::size(buffer)) self = std::filesystem::path(std::wstring(buffer, n));
#else
  self = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) self.clear();
#endif
  if (self.empty()) self = std::filesystem::absolute(argv0 ? argv0 : ".", ec);
  const std::u8string folder = self.parent_path().u8string();
  return std::string(folder.begin(), folder.end());
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace velmora::cli
