#pragma once
// velmora-cli summary: the figures of the summary workbook's worksheets by one classification or
// custom group, printed per worksheet.

#include <iosfwd>
#include <map>
#include <string>

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::cli {

// --by industry|category|type|domain|state|group:ID, --sheets 2,6,...|all (default all). Prints per
// worksheet a line "sheet: N<TAB>title<TAB>classification label" and its rows, the label and the
// cells tab-separated (an empty cell for none). With --out FILE.xlsx the summary workbook is written
// there instead (the cover kept for "all" or a list naming 1) and a line per worksheet gives its rows.
// With --compare FILE [--threshold P] the comparison workbook with last year's file (a backup, last
// year's database, a reporting package; changes beyond P percent, default 20, marked) is written to
// --out or into the documents folder, and "workbook: PATH<TAB>label", "reference: FILE", a line per
// worksheet and "highlighted: N" are printed. 0 on success, 1 on a failure or a stop, 2 on a
// usage error.
int RunSummary(session::DatabaseSession& session, const std::map<std::string, std::string>& options, std::ostream& out,
               std::ostream& err);

}  // namespace velmora::cli
