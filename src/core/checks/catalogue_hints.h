#pragma once
// The field descriptions of the rule explanations, read from the open database's catalogue
// ("select * from DT_FieldList") at the first lookup and kept until the catalogue is forgotten.
// Opening another database must forget it, so that the descriptions of the new one are used.

#include <string>
#include <unordered_map>

#include "core/checks/rule_text.h"

namespace velmora::db {
class Connection;
}

namespace velmora::checks {

inline constexpr const char* kCatalogueHintsSql = "select * from DT_FieldList";

class CatalogueHints : public FieldHints {
 public:
  explicit CatalogueHints(db::Connection& connection) : connection_(connection) {}

  // Reads the catalogue when it has not been read since the last ForgetCatalogue; throws db::DbError.
  void EnsureLoaded() override;
  std::optional<std::string> HintOf(const std::string& fieldName) override;

  bool CatalogueLoaded() const { return loaded_; }
  // The next lookup reads the catalogue again.
  void ForgetCatalogue();

 private:
  db::Connection& connection_;
  bool loaded_ = false;
  std::unordered_map<std::string, std::string> hints_;  // lower-case field name -> Hint
};

}  // namespace velmora::checks
