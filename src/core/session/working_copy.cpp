#include "core/session/working_copy.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/db/file_header.h"
#include "core/files/atomic_file.h"
#include "core/files/database_file.h"

namespace velmora::session {

namespace fs = std::filesystem;
using base::PathFromUtf8;
using base::Utf8FromPath;

namespace {

// Rewrites the first bytes of `file` in place with the result of `transform` on `count` bytes.
template <class Transform>
HeadResult RewriteHead(const fs::path& file, std::size_t count, Transform transform) {
  std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
  if (!io) return HeadResult::Failed;
  std::vector<unsigned char> head(count);
  io.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(count));
  if (static_cast<std::size_t>(io.gcount()) != count) return HeadResult::TooShort;
  transform(head);
  io.clear();
  io.seekp(0);
  io.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(count));
  io.flush();
  return io ? HeadResult::Changed : HeadResult::Failed;
}

}  // namespace

HeadResult ScramblePackageHeader(const std::string& file) {
  fs::path p = PathFromUtf8(file);
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return HeadResult::Missing;
  if (fs::file_size(p, ec) < db::kPackageHeadSize) return ec ? HeadResult::Failed : HeadResult::TooShort;
  return RewriteHead(p, db::kPackageHeadSize, [](std::vector<unsigned char>& head) {
    for (auto& b : head) b = db::ScramblePackageByte(b);
  });
}

HeadResult RestorePackageHeader(const std::string& file) {
  fs::path p = PathFromUtf8(file);
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return HeadResult::Missing;
  std::vector<unsigned char> first;
  if (!db::ReadFileHead(p, 1, first)) return HeadResult::Failed;
  if (first.empty()) return HeadResult::Unchanged;

  if (first[0] == db::kLegacyPackageByte) {
    return RewriteHead(p, sizeof db::kPlainHeader, [](std::vector<unsigned char>& head) {
      std::copy(std::begin(db::kPlainHeader), std::end(db::kPlainHeader), head.begin());
    });
  }
  if (first[0] == db::PackageMarker()) {
    return RewriteHead(p, db::kPackageHeadSize, [](std::vector<unsigned char>& head) {
      for (auto& b : head) b = db::RestorePackageByte(b);
    });
  }
  return HeadResult::Unchanged;
}

WorkingCopy PrepareWorkingCopy(const std::string& chosenFile, const std::string& programFolder,
                               const std::string& workingName) {
  WorkingCopy result;
  fs::path chosen = PathFromUtf8(chosenFile);
  std::vector<unsigned char> head;
  if (!db::ReadFileHead(chosen, sizeof db::kPlainHeader, head)) {
    result.error = "无法读取您选择的文件" + base::QuotedPath(Utf8FromPath(chosen)) + "。";
    return result;
  }
  if (head.empty()) {
    result.error = kNotADatabaseText;
    return result;
  }
  if (head[0] == db::kPlainFileByte) {
    // Byte 0 says plain; the rest of the header must agree.
    if (!db::HasPlainHeader(chosenFile)) {
      result.error = kNotADatabaseText;
      return result;
    }
    result.ok = true;
    result.path = chosenFile;
    return result;
  }

  // A package: copy it beside the working copy, restore the copy's head, and only a copy that is
  // then a plain database file takes the working copy's place.
  fs::path folder = PathFromUtf8(programFolder);
  fs::path working = folder / PathFromUtf8(workingName);
  try {
    files::TemporaryFile staging(files::ReserveFileIn(Utf8FromPath(folder), "~SM"));
    files::CopyFileStream(chosenFile, staging.path());
    HeadResult restored = RestorePackageHeader(staging.path());
    if (restored == HeadResult::Failed)
      throw files::FileError("无法改写文件" + base::QuotedPath(Utf8FromPath(PathFromUtf8(staging.path()))));
    if (!db::HasPlainHeader(staging.path())) {
      result.error = kNotADatabaseText;
      return result;
    }
    files::ReplaceDatabaseFile(staging.path(), Utf8FromPath(working));
    staging.release();
  } catch (const std::exception& e) {
    result.error = base::RunErrorText(e.what());
    return result;
  }
  result.ok = true;
  result.copied = true;
  result.path = Utf8FromPath(working);
  return result;
}

}  // namespace velmora::session
