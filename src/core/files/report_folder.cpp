#include "core/files/report_folder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/settings/settings.h"

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

std::string ReportFolder(const std::string& documentsFolder) {
#ifdef _WIN32
  if (CanWriteIn("C:\\")) return "C:\\";
#endif
  return documentsFolder;
}

std::string ReportPath(const std::string& documentsFolder, const std::string& fileName) {
  return Utf8Of(PathOf(ReportFolder(documentsFolder)) / PathOf(fileName));
}

std::string UserDocumentsFolder() {
  if (!settings::PersonalFolder.empty()) return settings::PersonalFolder;
#ifdef _WIN32
  const char* home = std::getenv("USERPROFILE");
#else
  const char* home = std::getenv("HOME");
#endif
  if (!home || !*home) return ".";
  std::error_code ec;
  const fs::path documents = fs::path(home) / "Documents";
  return fs::is_directory(documents, ec) ? documents.string() : std::string(home);
}

std::string SafeFileNamePart(const std::string& name, std::size_t maxBytes) {
  std::string part = name;
  for (char& c : part) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::strchr("\\/:*?\"<>|", c)) c = '_';
  }
  if (part.size() > maxBytes) {
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(part[cut]) & 0xC0) == 0x80) --cut;
    part.resize(cut);
  }
  return part;
}

std::string WorkingFolder(const std::string& programFolder) {
  if (CanWriteIn(programFolder)) return programFolder;
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  return ec ? programFolder : Utf8Of(temp);
}

}  // namespace velmora::files
