#pragma once
// The list of the entry form's rules for reading: per survey page of ct_sheetName (Codeid > 0, in
// order) a heading with the page's name, then each dt_logic row of that page with its rule text, its
// explanation as the error list shows it (field names replaced by their descriptions) and the field
// the error list moves to. Written as a GBK text file (CR LF) or as a workbook of one sheet.

#include <string>
#include <vector>

namespace velmora {
class UserPrompts;
}
namespace velmora::db {
class Connection;
}
namespace velmora::session {
class DatabaseSession;
}  // namespace velmora::db

namespace velmora::checks {

class RuleTextFormatter;

inline constexpr const char* kRuleListFileName = "导出逻辑.txt";
inline constexpr const char* kRuleListTitle = "#2012基层调查表逻辑规则";

struct RuleListEntry {
  std::string rule;
  std::string explanation;
  std::string focus;
};

struct RuleListPage {
  int page = 0;
  std::string name;
  std::vector<RuleListEntry> rules;
};

// Reads the pages and their rules; throws db::DbError.
std::vector<RuleListPage> ReadRuleList(db::Connection& connection, RuleTextFormatter& formatter);

// The lines of the text file.
std::vector<std::string> RuleListLines(const std::vector<RuleListPage>& pages);

// Writes the text file (GBK, CR LF) or, for a name ending in ".xlsx", the workbook; the file takes
// its place only when complete and never replaces a file of another kind. Throws std::exception.
void WriteRuleList(const std::vector<RuleListPage>& pages, const std::string& path, const std::string& openDatabase);

// The hidden item of the main window: "导出逻辑.txt" in the report folder, then opened. False, with
// the message shown, when it could not be written.
bool ExportRuleList(session::DatabaseSession& session, UserPrompts& prompts);

}  // namespace velmora::checks
