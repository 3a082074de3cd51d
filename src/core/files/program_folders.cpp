#include "core/files/program_folders.h"

#include <filesystem>
#include <system_error>

#include "core/base/paths.h"
#include "core/base/platform.h"
#include "core/files/report_folder.h"

namespace velmora::files {

namespace fs = std::filesystem;
using base::PathFromUtf8;
using base::Utf8FromPath;

namespace {

bool HoldsShippedDatabase(const fs::path& folder) {
  std::error_code ec;
  return fs::is_regular_file(folder / kShippedDatabaseName, ec);
}

}  // namespace

std::string ShippedFilesFolder(const std::string& executableFolder) {
  const fs::path shared = PathFromUtf8(executableFolder).parent_path() / "share" / "velmora";
  if (!executableFolder.empty() && HoldsShippedDatabase(shared)) return Utf8FromPath(shared.lexically_normal());
  return executableFolder;
}

std::string UserDataFolder() {
  const std::string root = base::platform::UserDataRoot();
  if (root.empty()) return {};
  return Utf8FromPath(PathFromUtf8(root) / kOrganisationName / kApplicationName);
}

bool IsSharedLayout(const std::string& folder) {
  const fs::path p = PathFromUtf8(folder).lexically_normal();
  const fs::path last = p.has_filename() ? p : p.parent_path();
  return last.filename() == "velmora" && last.parent_path().filename() == "share";
}

FolderChoice ChooseFolders(const FolderFacts& facts) {
  FolderChoice choice;
  if (facts.programWritable && !facts.sharedLayout) {
    choice.databaseFolder = facts.programFolder;
    choice.workFolder = facts.programFolder;
    return choice;
  }
  if (facts.sharedLayout || facts.holdsShippedFiles) {
    choice.installed = true;
    choice.databaseFolder = facts.userDataFolder;
    choice.workFolder = facts.userDataFolder.empty() ? facts.tempFolder : facts.userDataFolder;
  } else {
    choice.databaseFolder = facts.programFolder;
    choice.workFolder = facts.tempFolder;
  }
  if (choice.workFolder.empty()) choice.workFolder = facts.programFolder;
  return choice;
}

FolderFacts ProbeFolders(const std::string& programFolder) {
  FolderFacts facts;
  facts.programFolder = programFolder;
  facts.sharedLayout = IsSharedLayout(programFolder);
  // An installed tree is not even probed: a probe file would be a write into it (the administrator's
  // probe succeeds).
  facts.programWritable = !facts.sharedLayout && CanWriteIn(programFolder);
  if (facts.programWritable && !facts.sharedLayout) return facts;
  facts.holdsShippedFiles = HoldsShippedDatabase(PathFromUtf8(programFolder.empty() ? std::string(".") : programFolder));
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  if (!ec) facts.tempFolder = Utf8FromPath(temp);
  if (facts.sharedLayout || facts.holdsShippedFiles) {
    const std::string data = UserDataFolder();
    if (!data.empty()) {
      fs::create_directories(PathFromUtf8(data), ec);
      if (CanWriteIn(data)) facts.userDataFolder = data;
    }
  }
  return facts;
}

FolderChoice FoldersFor(const std::string& programFolder) { return ChooseFolders(ProbeFolders(programFolder)); }

}  // namespace velmora::files
