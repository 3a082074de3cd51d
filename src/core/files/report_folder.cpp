#include "core/files/report_folder.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace velmora::files {

namespace fs = std::filesystem;

namespace {

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Of(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

}  // namespace

bool CanWriteIn(const std::string& folder) {
  const fs::path probe = PathOf(folder.empty() ? std::string(".") : folder) / "velmora-write-test.tmp";
#ifdef _WIN32
  std::FILE* f = _wfopen(probe.c_str(), L"wbx");
#else
  std::FILE* f = std::fopen(probe.c_str(), "wbx");
#endif
  if (!f) return false;
  std::fclose(f);
  std::error_code ec;
  fs::remove(probe, ec);
  return true;
}

std::string ReportFolder(const std::string& personalFolder) {
#ifdef _WIN32
  if (CanWriteIn("C:\\")) return "C:\\";
#endif
  return personalFolder;
}

std::string WorkingFolder(const std::string& programFolder) {
  if (CanWriteIn(programFolder)) return programFolder;
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  return ec ? programFolder : Utf8Of(temp);
}

}  // namespace velmora::files
