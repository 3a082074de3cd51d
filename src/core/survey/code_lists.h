#pragma once
// The levels of the entry form's hierarchical pickers, read from their code tables: the regions of
// CT_CityName (province, prefecture, county) and the union domains of CT_UnionDomain (section,
// category). Each row carries the columns a picker keeps (ID, Code1..Code3, Name, CombName) that the
// table has, as stored.

#include <string>
#include <utility>
#include <vector>

#include "core/db/variant.h"

namespace velmora::db {
class Connection;
}

namespace velmora::survey {

struct CodeListRow {
  std::vector<std::pair<std::string, db::Variant>> columns;  // the kept columns the table has
  // The value of a kept column; nullptr when the table has no such column.
  const db::Variant* find(const std::string& column) const;
};
using CodeList = std::vector<CodeListRow>;

// CT_CityName: the provinces (Code2 0) by Code1; a province's prefectures (Code2 not 0, Code3 0) by
// Code2; a prefecture's counties by Code3.
CodeList Provinces(db::Connection& connection);
CodeList Prefectures(db::Connection& connection, int code1);
CodeList Counties(db::Connection& connection, int code1, int code2);

// CT_UnionDomain: the sections (Code2 0) by Code1, and a section's categories by Code2.
CodeList UnionSections(db::Connection& connection);
CodeList UnionCategories(db::Connection& connection, const std::string& section);

}  // namespace velmora::survey
