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
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora::files {

// A file that could not be reserved, written or renamed; the text says which and why.
class AtomicFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class AtomicFile {
 public:
  // Reserves the temporary file beside `target` (a symbolic link is followed, so the real file is
  // replaced). `openDatabase`, when given, is the database file the program has open: a target that
  // is that file is refused. Throws AtomicFileError.
  AtomicFile(const std::string& target, const std::string& prefix, const std::string& openDatabase = {});
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  const std::string& target() const { return target_; }
  const std::string& tempPath() const { return temp_; }

  // Opens the temporary file for writing (binary, truncated) and writes to it; close() flushes and
  // closes it. Each throws AtomicFileError naming the target.
  void open();
  void write(std::string_view bytes);
  void close();

  // Renames the temporary file over the target. `alongside`, when given, runs once the new file is
  // in place (for instance the commit of the states that belong to it); when it throws, the previous
  // target is put back (or the new one removed when there was none) and the exception passes on.
  void commit(const std::function<void()>& alongside = {});
  // Removes the temporary file now.
  void discard();
  bool committed() const { return committed_; }

 private:
  std::string target_;
  std::string prefix_;
  std::string temp_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

// Removes the files "<prefix>*.tmp" in `folder` that were last changed more than `age` ago.
// Errors are ignored: the files are only tidied away.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix,
                            std::chrono::hours age = std::chrono::hours(24));

// Reserves a fresh "<prefix><6 hex digits>.tmp" in `folder` (created, empty) and returns its path.
// Stale files of the same prefix in the folder are removed first. Throws AtomicFileError.
std::string ReserveTemporaryFile(const std::string& folder, const std::string& prefix);

// True when both paths name the same existing file (links and hard links included).
bool SameExistingFile(const std::string& a, const std::string& b);

}  // namespace velmora::files
