#pragma once
// The user's own copy of the shipped empty database, for an installed program whose shipped files
// cannot be written: made once, on the first start, and from then on the default database of the
// window and the command line. It is never made again over a file that exists, and an install or
// an update never replaces it. Paths are UTF-8 strings.

#include <optional>
#include <string>

namespace velmora::session {

struct UserDatabase {
  bool ok = false;
  bool made = false;        // the copy was made by this call
  std::string error;        // !ok: what to tell the user
  std::string newerLayout;  // ok, but the shipped database has a later layout: what to tell the user
};

// Makes `userFile` a copy of `shippedFile` when no file is there: the bytes go to a temporary file
// beside it that is linked into place only when complete, so a copy is never half written and never
// replaces a file another start made meanwhile. An existing file is left as it is; when the shipped
// database has a later layout, `newerLayout` says so.
UserDatabase PrepareUserDatabase(const std::string& shippedFile, const std::string& userFile);

// What makes the layout of the database file `shipped` later than that of `user`, in words: a
// greater PRAGMA user_version, or a table or a column of dt_data that the user's file lacks.
// Nothing when it is not later (or either file cannot be read: that is reported when it is opened).
std::optional<std::string> NewerLayout(const std::string& shipped, const std::string& user);

}  // namespace velmora::session
