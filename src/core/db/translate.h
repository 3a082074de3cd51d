#pragma once
// The Jet dialect translation every statement passes before it is prepared.

#include <string>
#include <vector>

namespace velmora::db {

struct Translation {
  std::string sql;                    // the statement as SQLite reads it
  std::vector<std::string> files;     // other database files the statement names; files[i] is
                                      // attached under the schema name ExternalAlias(i)
};

// Rewrites one statement (or several separated by ';'). Statements that name other files get
// the schema names "vm_ext0", "vm_ext1", ... in the order the files first appear; the caller maps
// them to its own attachments (Connection does).
Translation TranslateJetSql(const std::string& statement);
std::string ExternalAlias(std::size_t index);

// The statements of a text, in order, split at the semicolons outside texts, bracketed names and
// "--" comments (comments become blanks); statements of blanks only are left out.
std::vector<std::string> SplitJetStatements(const std::string& text);

// Puts text between apostrophes for SQL, doubling any apostrophe inside.
std::string QuoteText(const std::string& text);

}  // namespace velmora::db
