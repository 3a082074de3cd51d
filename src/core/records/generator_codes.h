#pragma once
// The codes generated records may use, read from the database's code tables at the start of a run.

#include <string>
#include <vector>

#include "core/records/generator_random.h"

namespace velmora::db {
class Connection;
}

namespace velmora::generator {

// A third-level administrative division (CT_CityName with Code3<>0).
struct Division {
  int id = 0;
  std::string place;  // its own name, for union names
};

// A unit category (CT_Economic) with the holding situations it allows.
struct UnitCategory {
  int id = 0;
  int fixedHolding = -1;      // the holding situation the category fixes, or -1
  std::vector<int> holdings;  // the choices when it fixes none
  int weight = 1;
};

struct CodeLists {
  std::vector<Division> divisions;     // ascending ID
  std::vector<int> organisationTypes;  // CT_LevelCode
  std::vector<int> industries;         // CT_Industry
  std::vector<UnitCategory> categories;
  std::vector<int> categoryPicks;      // indexes into categories, repeated by weight
  std::vector<std::string> domains;    // CT_UnionDomain categories ("A01")
  std::vector<int> reportingStates;    // CT_state codes 1 and 2 that exist

  int pickOrganisationType(Random& r) const;
  const UnitCategory& pickUnitCategory(Random& r) const;
  int pickReportingState(Random& r) const;
};

// Reads the code tables; throws GenerateError when a table gives no usable code.
CodeLists LoadCodeLists(db::Connection& connection);

}  // namespace velmora::generator
