#pragma once
// What the entry form's core routines share: the database, the code caches, the prompts and the
// form's mode. The form owns one and keeps it between openings.

namespace velmora {
class UserPrompts;
}
namespace velmora::db {
class Connection;
}
namespace velmora::survey {
struct CodeCaches;
}

namespace velmora::entry {

struct EntryContext {
  db::Connection& connection;
  survey::CodeCaches& codes;
  UserPrompts& prompts;

  bool IsNew = true;      // adding (true) or modifying
  bool IsStored = false;  // adding: the new record was stored once already (a temporary save)
  bool IsLoaded = false;  // false while a record is being loaded
  // The c901 of the record as loaded (0 when adding) and, after each store, the one stored; the
  // duplicate-code test accepts a stored row with this code as the record itself.
  double CurrentCode = 0;
};

}  // namespace velmora::entry
