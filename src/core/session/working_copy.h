#pragma once
// The scrambled head of a reporting package rewritten in place, and the package working copy
// (temp.dat in the program folder) through which a package is opened as the session's database.
//
// Paths are UTF-8 strings throughout.

#include <string>

namespace velmora::session {

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

}  // namespace velmora::session
