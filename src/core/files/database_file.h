#pragma once
// Database files on disk as whole files: copies that never leave half a file behind, temporary
// names, compaction in place, replacement under the engine's locks and removal of a file nobody is
// writing.
//
// Paths are UTF-8 strings throughout.

#include <stdexcept>
#include <string>

namespace velmora {
class UserPrompts;
}

namespace velmora::files {

// A file that could not be read, written, copied or renamed; the text says which and why.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Copies the whole of `source` to `target`, replacing it. The bytes go to a temporary file beside
// `target` that is renamed over it at the end, so a failed copy leaves `target` as it was.
// Throws FileError.
void CopyFileStream(const std::string& source, const std::string& target);

// A fresh name in the system temporary folder, prefix "~SM". The file is created to reserve the
// name and deleted again; the name is returned.
std::string MakeTempFileName();
// The same in a given folder (used for files that are later renamed into that folder).
std::string MakeTempFileNameIn(const std::string& folder, const std::string& prefix = "~SM");
// Creates a new file with a fresh name "<prefix><6 hex digits>.tmp" in `folder` and keeps it;
// the name is returned. Throws FileError.
std::string ReserveFileIn(const std::string& folder, const std::string& prefix);

inline constexpr const char* kDatabaseBusyText = "数据库正被其他程序使用，请关闭其他程序后再试。";

// Compacts a database file in place under the engine's exclusive lock (an in-place VACUUM), so a
// connection of another program neither loses its commit nor sees a replaced file; the file keeps
// its owner, permissions and links. When the database is busy for longer than `busyTimeoutMs`,
// kDatabaseBusyText is shown; any other failure shows "运行中发生错误：" + the error's text. Either
// way false, and the file's content is as it was.
bool CompactDatabaseFile(const std::string& file, UserPrompts& prompts, int busyTimeoutMs = 5000);

// Puts the database `source` where `target` is. A target that is a database file (which another
// program may hold open) gets the content through the engine, under its locks, and keeps its
// owner, permissions and links; any other target is replaced by renaming. `source` is gone after
// success. Throws FileError (kDatabaseBusyText when the target is busy).
void ReplaceDatabaseFile(const std::string& source, const std::string& target, int busyTimeoutMs = 5000);

// Removes a database file that no program is writing; false (and the file stays) otherwise.
bool RemoveDatabaseFileIfUnused(const std::string& file);

}  // namespace velmora::files
