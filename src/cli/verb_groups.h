#pragma once
// velmora-cli groups: list the custom groups, add one with its items, and move the groups of a
// database into a transfer file or from one into the database.

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora {
class UserPrompts;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::cli {

inline constexpr const char* kGroupsUsage =
    "usage: velmora-cli [--db FILE] groups list\n"
    "       velmora-cli [--db FILE] groups add --name NAME --item \"TITLE,>=,LOW,<,HIGH\" ...\n"
    "       velmora-cli [--db FILE] groups export --out FILE.mdb\n"
    "       velmora-cli [--db FILE] groups import --from FILE.mdb\n";

// list: one line per group "<id>\t<name>\t<items>"; add: "group: <id>" and "items: N", nothing stored
// when an item is refused; export: the group tables of the open database into the file; import: the
// open database's group tables replaced by those of the file, or nothing changed.
int RunGroups(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err);

}  // namespace velmora::cli
