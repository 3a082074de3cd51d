#include "core/files/report_folder.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/base/paths.h"
#include "core/base/platform.h"
#include "core/files/native_file.h"
#include "core/files/program_folders.h"
#include "core/settings/settings.h"

namespace velmora::files {

namespace fs = std::filesystem;

bool CanWriteIn(const std::string& folder) {
  const fs::path probe = base::PathFromUtf8(folder.empty() ? std::string(".") : folder) / "velmora-write-test.tmp";
  native::Handle handle = native::kNoHandle;
  std::string error;
  if (native::CreateNew(probe, handle, error) != native::CreateResult::Created) return false;
  native::Close(handle);
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
  return base::Utf8FromPath(base::PathFromUtf8(ReportFolder(documentsFolder)) / base::PathFromUtf8(fileName));
}

std::string UserDocumentsFolder() {
  if (!settings::PersonalFolder.empty()) return settings::PersonalFolder;
  const std::string home = base::platform::HomeFolder();
  if (home.empty()) return ".";
  std::error_code ec;
  const fs::path documents = base::PathFromUtf8(home) / "Documents";
  return fs::is_directory(documents, ec) ? base::Utf8FromPath(documents) : home;
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

std::string WorkingFolder(const std::string& programFolder) { return FoldersFor(programFolder).workFolder; }

}  // namespace velmora::files
