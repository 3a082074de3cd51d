#include "core/checks/catalogue_hints.h"

#include "core/base/text.h"
#include "core/db/query.h"

namespace velmora::checks {

void CatalogueHints::EnsureLoaded() {
  if (loaded_) return;
  hints_.clear();
  db::Query q(connection_);
  q.setSql(kCatalogueHintsSql);
  q.open();
  const int nameColumn = q.fieldIndex("FieldName");
  const int hintColumn = q.fieldIndex("Hint");
  if (nameColumn < 0 || hintColumn < 0) throw db::DbError("DT_FieldList 中没有 FieldName 或 Hint 列");
  for (q.first(); !q.eof(); q.next()) {
    // The first row of a name is the one found.
    hints_.try_emplace(base::AsciiLower(q.field(nameColumn).asString()), q.field(hintColumn).asString());
  }
  q.close();
  loaded_ = true;
}

std::optional<std::string> CatalogueHints::HintOf(const std::string& fieldName) {
  EnsureLoaded();
  auto it = hints_.find(base::AsciiLower(fieldName));
  if (it == hints_.end()) return std::nullopt;
  return it->second;
}

void CatalogueHints::ForgetCatalogue() {
  loaded_ = false;
  hints_.clear();
}

}  // namespace velmora::checks
