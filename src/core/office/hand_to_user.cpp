#include "core/office/hand_to_user.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#include "core/base/paths.h"
#include "core/files/atomic_file.h"
#include "core/files/report_folder.h"
#include "core/office/office_error.h"
#include "core/text/local_time.h"

namespace velmora::office {

namespace fs = std::filesystem;

std::string HandToUser(TemplateWorkbook& workbook, UserPrompts& prompts, const std::string& folder,
                       std::string_view baseName, const std::string& what) {
  const std::tm now = text::LocalTimeNow();
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &now);
  const std::string stem = files::SafeFileNamePart(std::string(baseName), 150) + "-" + stamp;
  std::string reserved;
  try {
    reserved = files::ReserveTemporaryFile(folder, "~vmh");
  } catch (const files::AtomicFileError& e) {
    throw OfficeError(std::string("无法保存") + what + "：" + e.what());
  }
  files::TemporaryFile temporary(reserved);  // removed on every way out but a rename
  workbook.save(temporary.path());
  const fs::path temp = base::PathFromUtf8(temporary.path());
  std::error_code ec;
  // The new file takes a name nobody uses: a hard link fails rather than replace a file.
  for (int attempt = 1; attempt < 1000; ++attempt) {
    const std::string name = stem + (attempt == 1 ? std::string() : "(" + std::to_string(attempt) + ")") + ".xlsx";
    const fs::path target = base::PathFromUtf8(folder) / base::PathFromUtf8(name);
    if (fs::exists(fs::symlink_status(target, ec))) continue;
    fs::create_hard_link(temp, target, ec);
    if (!ec) {
      temporary.remove();
    } else if (ec == std::errc::file_exists) {
      continue;
    } else {  // a file system without hard links
      ec.clear();
      if (fs::exists(fs::symlink_status(target, ec))) continue;
      fs::rename(temp, target, ec);
      if (ec) throw OfficeError("无法保存" + what + "：" + ec.message());
      temporary.release();
    }
    const std::string path = base::Utf8FromPath(target);
    OpenForUser(prompts, path, what);
    return path;
  }
  throw OfficeError("无法保存" + what + "：文件夹" + folder + "中同名的文件太多");
}

}  // namespace velmora::office
