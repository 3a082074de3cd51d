#pragma once
// velmora-cli rules export --out FILE.txt|FILE.xlsx: the entry form's rules by page.
// velmora-cli datalist [--tables 1,5,...] [--range LO HI | --group-item ID] --out FILE.xlsx: the data list.

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::cli {

inline constexpr const char* kRulesUsage = "usage: velmora-cli [--db FILE] rules export --out FILE.txt|FILE.xlsx\n";
inline constexpr const char* kDataListUsage =
    "usage: velmora-cli [--db FILE] datalist [--tables 1,5,...] [--range LO HI | --group-item ID] --out FILE.xlsx\n";

int RunRules(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunDataList(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
                std::ostream& err);

}  // namespace velmora::cli
