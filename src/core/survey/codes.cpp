#include "core/survey/codes.h"

#include <exception>

#include "core/base/error_text.h"
#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/db/translate.h"
#include "core/prompts/user_prompts.h"

namespace velmora::survey {

namespace {

// Characters of a UTF-8 text (lead bytes, not continuation bytes).
std::size_t CharacterCount(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// The first column of the first row of a statement, or empty text; errors are shown.
std::string FirstText(db::Connection& connection, const std::string& sql, UserPrompts& prompts) {
  try {
    db::Query query(connection);
    query.setSql(sql);
    query.open();
    if (query.isEmpty()) return std::string();
    query.first();
    return query.field(0).asString();
  } catch (const std::exception& e) {
    prompts.message(base::AdministratorErrorText(e.what()),
                    MessageKind::Error);
    return std::string();
  }
}

}  // namespace

TMenuItemDataArray LoadCodes(db::Connection& connection, const std::string& tableName) {
  db::Table table(connection);
  table.setTableName(tableName);
  table.setIndexName("ID");
  table.setFilter("ID<>0");
  table.setFiltered(true);
  table.open();
  TMenuItemDataArray codes;
  codes.reserve(static_cast<std::size_t>(table.recordCount()));
  const int idColumn = table.fieldIndex("ID");
  const int nameColumn = table.fieldIndex("Name");
  for (table.first(); !table.eof(); table.next()) {
    codes.push_back(TCode{table.field(idColumn).asInteger(), table.field(nameColumn).asString()});
  }
  table.close();
  table.setFiltered(false);
  return codes;
}

std::string LookupCodeName(const TMenuItemDataArray& codes, int code) {
  if (code == 0) return std::string();
  for (const TCode& c : codes)
    if (c.Code == code) return c.Name;
  return std::string();
}

int LookupCodeId(const TMenuItemDataArray& codes, const std::string& name) {
  for (const TCode& c : codes)
    if (c.Name == name) return c.Code;
  return 0;
}

CityCode SplitCityCode(int id) { return CityCode{id / 10000, (id % 10000) / 100, id % 100}; }

std::string CityCombName(db::Connection& connection, int id, UserPrompts& prompts) {
  if (id <= 99999) return std::string();
  return FirstText(connection, "Select CombName from CT_CityName where ID=" + std::to_string(id), prompts);
}

std::string UnionDomainName(db::Connection& connection, const std::string& code, UserPrompts& prompts) {
  if (CharacterCount(code) != 3) return std::string();
  return FirstText(connection, "Select Name from CT_UnionDomain where ID=" + db::QuoteText(code), prompts);
}

std::string HoldSituationTableFor(int unitCategory) {
  return unitCategory == kHoldSituationAltCategory ? "CT_HoldSituation1" : "CT_HoldSituation";
}

void CodeCaches::LoadAll(db::Connection& connection) {
  // Read everything first so that a failure leaves the caches as they were.
  TMenuItemDataArray level = LoadCodes(connection, "CT_LevelCode");
  TMenuItemDataArray industry = LoadCodes(connection, "CT_Industry");
  TMenuItemDataArray economic = LoadCodes(connection, "CT_Economic");
  TMenuItemDataArray hold = LoadCodes(connection, "CT_HoldSituation");
  TMenuItemDataArray state = LoadCodes(connection, "CT_state");
  LevelCodes = std::move(level);
  IndustryCodes = std::move(industry);
  EconomicCodes = std::move(economic);
  HoldSituationCodes = std::move(hold);
  StateCodes = std::move(state);
}

void CodeCaches::LoadHoldSituation(db::Connection& connection, int unitCategory) {
  HoldSituationCodes = LoadCodes(connection, HoldSituationTableFor(unitCategory));
}

CodeCaches& SurveyCodes() {
  static CodeCaches caches;
  return caches;
}

}  // namespace velmora::survey
