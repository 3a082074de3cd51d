#pragma once
// A file written beside its target under a temporary name of our own prefix and renamed over the
// target only when it is complete. Until then the target stays as it was; a failure, or an
// AtomicFile destroyed without commit, removes the temporary file.
//
// Temporary names are "<prefix><6 hex digits>.tmp". Those left behind by killed runs are removed
// when a later run writes into the same folder and they are older than a day.
//
// Paths are UTF-8 strings.

#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/files/native_file.h"

namespace velmora::files {

// A file that could not be reserved, written or renamed; the text says which and why.
class AtomicFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class AtomicFile {
 public:
  // Reserves the temporary file beside `target` (a symbolic link is followed, so the real file is
  // replaced; a link under one of our temporary names is refused). The temporary is made new, never
  // through a link, and kept open for writing. `openDatabase`, when given, is the database file the
  // program has open: a target that is that file is refused. Throws AtomicFileError.
  AtomicFile(const std::string& target, const std::string& prefix, const std::string& openDatabase = {});
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  const std::string& target() const { return target_; }
  // The temporary's name, for a writer that can only open it by name (the database engine, the
  // workbook library). Such a writer must not follow a link. Once the name has been handed out,
  // commit takes a file that writer made anew under the name, provided it is a plain file with one
  // name, owned by the user, never a link; otherwise commit takes only the file this object made.
  const std::string& tempPath() const {
    handedOut_ = true;
    return temp_;
  }

  // The temporary is written through the handle that made it, never opened again by name. open()
  // checks that the handle is open (a closed file is not opened again) and that the temporary is
  // still in place under its name; close() puts the bytes on the disk and closes the handle. Each
  // throws AtomicFileError naming the target.
  void open();
  void write(std::string_view bytes);
  void close();

  // Renames the temporary file over the target, provided the name still holds the file made for it
  // (see tempPath); a temporary swapped for a link or for another file is refused with
  // AtomicFileError and the target stays as it was. `alongside`, when given, runs once the new file
  // is in place (for instance the commit of the states that belong to it); when it throws, the
  // previous target is put back (or the new one removed when there was none) and the exception
  // passes on.
  void commit(const std::function<void()>& alongside = {});
  // Removes the temporary file now, with the engine's "-journal", "-wal" and "-shm" beside it.
  void discard();
  bool committed() const { return committed_; }

 private:
  bool isOurs(const std::string& name) const;
  void requireOurs() const;

  std::string target_;
  std::string prefix_;
  std::string temp_;
  native::Handle handle_ = native::kNoHandle;
  native::Identity identity_;
  bool closed_ = false;
  mutable bool handedOut_ = false;
  bool committed_ = false;
};

// A temporary file made by the caller (ReserveTemporaryFile) for a writer that then hands it on by
// a rename or a copy of its own: removed when this guard goes, unless it was handed on (release).
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() { remove(); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }
  // Removes the file now (errors are ignored); afterwards the guard holds nothing.
  void remove();
  // The file was handed on under another name: it is no longer removed.
  void release() { path_.clear(); }

 private:
  std::string path_;
};

// Copies the whole of the file `source` into `out` through its handle. Throws AtomicFileError.
void CopyFileInto(const std::string& source, AtomicFile& out);

// Removes the files "<prefix>*.tmp" in `folder` that were last changed more than `age` ago.
// Errors are ignored: the files are only tidied away.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix,
                            std::chrono::hours age = std::chrono::hours(24));

// Removes the work files killed runs leave in `folder`: temporaries of every prefix the program uses
// ("~vm" and a letter, "~SM", "~GN", "~CK"; then 6 upper-case hex digits and ".tmp") and the engine's
// "-journal", "-wal", "-shm" beside them, each when it was last changed more than `age` ago.
// Errors are ignored: the files are only tidied away.
void RemoveStaleWorkFiles(const std::string& folder, std::chrono::hours age = std::chrono::hours(24));
// The same in the program folder and in the system temporary folder (at the program's start).
void RemoveStaleWorkFilesAtStart(const std::string& programFolder);

// Reserves a fresh "<prefix><6 hex digits>.tmp" in `folder` (created, empty) and returns its path.
// Stale files of the same prefix in the folder are removed first. Throws AtomicFileError.
std::string ReserveTemporaryFile(const std::string& folder, const std::string& prefix);

// The file a path names, following symbolic links, so that a replacement lands on the real file.
std::filesystem::path ResolvedTarget(const std::filesystem::path& file);

// True when both paths name the same existing file (links and hard links included).
bool SameExistingFile(const std::string& a, const std::string& b);

}  // namespace velmora::files
