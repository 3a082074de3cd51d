#pragma once
// What the indicator picker offers: the survey's tables by their number (ct_sheetName) and each
// table's indicators with their captions (view_datasearch), in the catalogue's order.

#include <string>
#include <vector>

namespace velmora::db {
class Connection;
}

namespace velmora::catalogue {

struct SheetName {
  int id = 0;  // 0 the cover, then the tables
  std::string name;
};
// The tables with a number of 0 or more, in number order.
std::vector<SheetName> SheetNames(db::Connection& connection);

struct SearchField {
  std::string code;  // the column name, what a search names
  std::string hint;  // its caption ("" when the view has none)
};
// The indicators of one table (its PageID) in sequence order; none when the view lacks a CodeName
// column.
std::vector<SearchField> SearchFields(db::Connection& connection, int page);

}  // namespace velmora::catalogue
