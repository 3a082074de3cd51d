#pragma once
// Database files on disk: the scrambled head of a reporting package, whole-file copies that never
// leave half a file behind, temporary names, compaction in place and the package working copy
// (temp.dat in the program folder) through which a package is opened or imported.
//
// Paths are UTF-8 strings throughout.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace velmora {
class UserPrompts;
}

namespace velmora::db {

// A plain database file starts with the engine's 16-byte header; its byte 0 is the plain-file byte.
inline constexpr char kPlainHeader[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                          'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
inline constexpr std::uint8_t kPlainFileByte = 0x53;
// The older package marking: the first 16 bytes were replaced and byte 0 reads 0x66.
inline constexpr std::uint8_t kLegacyPackageByte = 0x66;
// A package scrambles its first 1024 bytes: b -> ((b + A) mod 256) xor K.
inline constexpr std::size_t kPackageHeadSize = 1024;
inline constexpr std::uint8_t kPackageAdd = 0x3D;   // A
inline constexpr std::uint8_t kPackageMask = 0xA7;  // K

constexpr std::uint8_t ScramblePackageByte(std::uint8_t b) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(b + kPackageAdd) ^ kPackageMask);
}
constexpr std::uint8_t RestorePackageByte(std::uint8_t b) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(b ^ kPackageMask) - kPackageAdd);
}
// Byte 0 of a package: the scrambled image of the plain-file byte.
constexpr std::uint8_t PackageMarker() { return ScramblePackageByte(kPlainFileByte); }

static_assert(PackageMarker() != kPlainFileByte && PackageMarker() != kLegacyPackageByte);
static_assert(RestorePackageByte(PackageMarker()) == kPlainFileByte);

// A file that could not be read, written, copied or renamed; the text says which and why.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Outcome of the head routines.
enum class HeadResult {
  Changed,    // the head was rewritten
  Unchanged,  // nothing to do (RestorePackageHeader: byte 0 is neither marker)
  Missing,    // no such file; nothing done
  TooShort,   // marked, but shorter than the head it claims: cannot be a valid package; untouched
  Failed,     // the file could not be read or written
};

// Scrambles the first 1024 bytes of `file` in place (the package export runs it on the package it
// has just written). A file shorter than 1024 bytes is left as it is (TooShort).
HeadResult ScramblePackageHeader(const std::string& file);

// Makes a package openable again, in place. Byte 0 = 0x66: the first 16 bytes become the plain
// header; byte 0 = PackageMarker(): the first 1024 bytes are unscrambled; anything else: unchanged.
// Only ever run on a working copy, never on the file the user chose.
HeadResult RestorePackageHeader(const std::string& file);

// Copies the whole of `source` to `target`, replacing it. The bytes go to a temporary file beside
// `target` that is renamed over it at the end, so a failed copy leaves `target` as it was.
// Throws FileError.
void CopyFileStream(const std::string& source, const std::string& target);

// A fresh name in the system temporary folder, prefix "~SM". The file is created to reserve the
// name and deleted again; the name is returned.
std::string MakeTempFileName();
// The same in a given folder (used for files that are later renamed into that folder).
std::string MakeTempFileNameIn(const std::string& folder, const std::string& prefix = "~SM");

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

// The package working copy.
inline constexpr const char* kWorkingCopyName = "temp.dat";
inline constexpr const char* kNotADatabaseText = "您选择的文件不是有效的数据库文件。";

struct WorkingCopy {
  bool ok = false;
  std::string path;     // the file to open: the chosen file itself, or the working copy
  bool copied = false;  // true when `path` is a working copy in the program folder
  std::string error;    // when !ok: a text to show the user
};

// A plain database file is used where it is. Anything else is taken for a package: it is copied to
// `workingName` in `programFolder`, the copy's head is restored, and the copy is used. A file that
// does not turn out as a plain database this way (empty, a text file, a package cut short) gives
// !ok with kNotADatabaseText, and no working copy is left behind (an earlier one stays as it was).
// The chosen file is only ever read.
WorkingCopy PrepareWorkingCopy(const std::string& chosenFile, const std::string& programFolder,
                               const std::string& workingName = kWorkingCopyName);

// True when the file starts with the 16-byte plain header.
bool HasPlainHeader(const std::string& file);

// UTF-8 strings <-> filesystem paths.
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace velmora::db
