#include "core/records/generator_codes.h"

#include <algorithm>

#include "core/db/error.h"
#include "core/db/statement.h"
#include "core/records/generator.h"
#include "core/records/generator_record.h"

namespace velmora::generator {

namespace {

template <typename RowFn>
void ForEachRow(db::Connection& connection, const char* sql, RowFn&& fn) {
  db::Statement st = db::Statement::Native(connection, sql);
  while (st.step()) fn(st);
}

std::vector<int> IntCodes(db::Connection& connection, const char* sql) {
  std::vector<int> codes;
  ForEachRow(connection, sql, [&](const db::Statement& s) { codes.push_back(static_cast<int>(s.int64(0))); });
  return codes;
}

// Names go into SQL text elsewhere in the program: keep apostrophes, quotes and blanks out of them.
std::string CleanName(std::string name) {
  name.erase(std::remove_if(name.begin(), name.end(),
                            [](char c) { return c == '\'' || c == '"' || c == '`' || c == ' '; }),
             name.end());
  return name;
}

template <typename T>
const T& Require(const std::vector<T>& list, const char* table) {
  if (list.empty()) throw GenerateError(std::string("代码表 ") + table + " 中没有可用的代码");
  return list.front();
}

}  // namespace

int CodeLists::pickOrganisationType(Random& r) const {
  // Most grassroots unions are single unions (code 1) where the table has that code.
  if (organisationTypes.front() == 1 && r.chance(700)) return 1;
  return organisationTypes[static_cast<std::size_t>(r.below(static_cast<std::int64_t>(organisationTypes.size())))];
}

const UnitCategory& CodeLists::pickUnitCategory(Random& r) const {
  const int index = categoryPicks[static_cast<std::size_t>(r.below(static_cast<std::int64_t>(categoryPicks.size())))];
  return categories[static_cast<std::size_t>(index)];
}

int CodeLists::pickReportingState(Random& r) const {
  if (reportingStates.front() == 1 && r.chance(930)) return 1;
  return reportingStates[static_cast<std::size_t>(r.below(static_cast<std::int64_t>(reportingStates.size())))];
}

CodeLists LoadCodeLists(db::Connection& db) {
  CodeLists codes;
  ForEachRow(db,
             "SELECT ID, Name FROM CT_CityName WHERE Code3<>0 AND ID BETWEEN 100000 AND 999999 ORDER BY ID",
             [&](const db::Statement& s) {
               Division d{static_cast<int>(s.int64(0)), CleanName(s.text(1))};
               if (!d.place.empty()) codes.divisions.push_back(std::move(d));
             });
  codes.organisationTypes = IntCodes(db, "SELECT ID FROM CT_LevelCode WHERE ID>0 ORDER BY ID");
  codes.industries = IntCodes(db, "SELECT ID FROM CT_Industry WHERE ID>0 ORDER BY ID");
  codes.reportingStates = IntCodes(db, "SELECT ID FROM CT_state WHERE ID BETWEEN 1 AND 2 ORDER BY ID");
  ForEachRow(db, "SELECT ID FROM CT_UnionDomain WHERE Code2<>0 AND length(ID)=3 ORDER BY ID",
             [&](const db::Statement& s) { codes.domains.push_back(s.text(0)); });
  const std::vector<int> holdings = IntCodes(db, "SELECT ID FROM CT_HoldSituation WHERE ID BETWEEN 1 AND 3 ORDER BY ID");
  // category 169 names its holding situations from CT_HoldSituation1 and never takes 1
  const std::vector<int> holdings169 =
      IntCodes(db, "SELECT ID FROM CT_HoldSituation1 WHERE ID BETWEEN 2 AND 3 ORDER BY ID");

  for (int id : IntCodes(db, "SELECT ID FROM CT_Economic WHERE ID>0 ORDER BY ID")) {
    UnitCategory c;
    c.id = id;
    c.fixedHolding = FixedHoldSituation(id);
    if (c.fixedHolding < 0) c.holdings = id == 169 ? holdings169 : holdings;
    if (c.fixedHolding < 0 && c.holdings.empty()) continue;  // no holding situation to give it
    c.weight = id < 400 ? 3 : 1;  // enterprises are the bulk of the organisations
    codes.categories.push_back(std::move(c));
  }
  for (std::size_t i = 0; i < codes.categories.size(); ++i)
    codes.categoryPicks.insert(codes.categoryPicks.end(), static_cast<std::size_t>(codes.categories[i].weight),
                               static_cast<int>(i));

  Require(codes.divisions, "CT_CityName");
  Require(codes.organisationTypes, "CT_LevelCode");
  Require(codes.industries, "CT_Industry");
  Require(codes.categories, "CT_Economic");
  Require(codes.domains, "CT_UnionDomain");
  Require(codes.reportingStates, "CT_state");
  return codes;
}

}  // namespace velmora::generator
