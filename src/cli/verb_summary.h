#pragma once
// velmora-cli summary: the figures of the summary workbook's worksheets by one classification or
// custom group, printed per worksheet.

#include <iosfwd>
#include <map>
#include <string>

namespace velmora::db {
class DatabaseSession;
}

namespace velmora::cli {

// --by industry|category|type|domain|state|group:ID, --sheets 2,6,...|all (default all). Prints per
// worksheet a line "sheet: N<TAB>title<TAB>classification label" and its rows, the label and the
// cells tab-separated (an empty cell for none). 0 on success, 1 on a failure or a stop, 2 on a
// usage error.
int RunSummary(db::DatabaseSession& session, const std::map<std::string, std::string>& options, std::ostream& out,
               std::ostream& err);

}  // namespace velmora::cli
