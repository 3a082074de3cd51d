#pragma once
// Code tables of the survey record: in-memory copies of their rows (the code caches of the entry
// form) and the lookups by code and by name.

#include <string>
#include <vector>

namespace velmora {
class UserPrompts;
}
namespace velmora::db {
class Connection;
}

namespace velmora::survey {

// A code number with its name.
struct TCode {
  int Code = 0;
  std::string Name;
};
// An ordered list of codes.
using TMenuItemDataArray = std::vector<TCode>;

// The rows of a code table with ID<>0 in ascending ID order (ID as the code, Name as the name).
// Database errors reach the caller as db::DbError.
TMenuItemDataArray LoadCodes(db::Connection& connection, const std::string& tableName);

// The name of the first element whose code is `code`; empty when there is none. Code 0 never has a
// name.
std::string LookupCodeName(const TMenuItemDataArray& codes, int code);
// The code of the first element whose name equals `name` exactly; 0 when there is none.
int LookupCodeId(const TMenuItemDataArray& codes, const std::string& name);

// An administrative division code ID = Code1*10000 + Code2*100 + Code3.
struct CityCode {
  int Code1 = 0;
  int Code2 = 0;
  int Code3 = 0;
  friend bool operator==(const CityCode&, const CityCode&) = default;
};
CityCode SplitCityCode(int id);

// The full name of an administrative division (CT_CityName.CombName); empty for ids of fewer than six
// digits and for ids not in the table. A database error is shown and gives empty text.
std::string CityCombName(db::Connection& connection, int id, UserPrompts& prompts);
// The name of a union industry category (CT_UnionDomain.Name); empty unless `code` has exactly three
// characters, and for codes not in the table. A database error is shown and gives empty text.
std::string UnionDomainName(db::Connection& connection, const std::string& code, UserPrompts& prompts);

// The holding-situation table that names c909 for a unit category (c906).
inline constexpr int kHoldSituationAltCategory = 169;
std::string HoldSituationTableFor(int unitCategory);

// The code caches of the entry form; they live until the program ends.
struct CodeCaches {
  TMenuItemDataArray LevelCodes;          // CT_LevelCode, names c904
  TMenuItemDataArray IndustryCodes;       // CT_Industry, names c905
  TMenuItemDataArray EconomicCodes;       // CT_Economic, names c906
  TMenuItemDataArray HoldSituationCodes;  // CT_HoldSituation or CT_HoldSituation1, names c909
  TMenuItemDataArray StateCodes;          // CT_state, names c912

  // Reloads all five from their tables (HoldSituationCodes from CT_HoldSituation). Throws
  // db::DbError; the caches are then left as they were.
  void LoadAll(db::Connection& connection);
  // Reloads HoldSituationCodes from the table that fits the unit category.
  void LoadHoldSituation(db::Connection& connection, int unitCategory);
};

// The process-wide caches.
CodeCaches& SurveyCodes();

}  // namespace velmora::survey
