#pragma once
// velmora-cli package (export, info, import), backup and restore: the reporting road upward and
// the upper-level office's intake, as the main window runs them, without questions.

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

inline constexpr const char* kPackageUsage =
    "usage: velmora-cli [--db FILE] package export --out FILE.dat --label TEXT\n"
    "       velmora-cli [--db FILE] package info FILE\n"
    "       velmora-cli [--db FILE] package import FILE... [--dry-run] [--report PATH]\n";
inline constexpr const char* kBackupUsage = "usage: velmora-cli [--db FILE] backup --out FILE.mdb\n";
inline constexpr const char* kRestoreUsage = "usage: velmora-cli [--db FILE] restore --from FILE.mdb --yes\n";

// export: prints "records: N", "package: PATH"; 1 when the gate or the label rule refuses.
// info: "label: …", "records: N", "manifest: ok | missing | damaged"; 1 when unreadable or damaged.
// import: per file "file: PATH\timported: N\tconflicts: C\t<status>", then "imported: N" and
// "conflicts: C" in total; 0 when every file was imported, 1 when a file was refused.
int RunPackage(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err);
int RunBackup(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err);
int RunRestore(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err);

}  // namespace velmora::cli
