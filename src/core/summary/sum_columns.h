#pragma once
// The aggregate select lists of the summary workbook's worksheets (`SumColumns`): for sheet s, the
// aggregate expressions of its columns joined by "," and followed by " from dt_data". They are kept
// as a short notation next to the worksheets' column headings and expanded into the exact texts:
//   "S z001-z009"  sum_x of every field from z001 to z009
//   "Y b010"       records whose yes/no field is 1       ("sum(b010*(2-b010)) as sum_b010_1")
//   "N b010"       records whose yes/no field is 0 or 2  ("sum(int(b010/2) + ...) as sum_b010_2")
//   "YN b010"      Y followed by N
//   anything else  an expression that stands for itself

#include <string>
#include <string_view>
#include <vector>

namespace velmora::summary {

inline constexpr int kFirstSummarySheet = 2;  // sheet 1 is the cover and is never filled
inline constexpr int kLastSummarySheet = 20;

// The title of a worksheet of the summary template ("封面", "表一  工会组织建设状况(1)", ...); empty
// outside 1..20.
std::string SheetTitle(int sheet);

// The expressions one notation entry stands for, in order.
std::vector<std::string> ExpandColumnNotation(std::string_view entry);

// The select list of a sheet: "count(*) as cnt,...,sum(z009) as sum_z009 from dt_data" for sheet 2;
// empty for the cover and for numbers outside 1..20.
const std::string& SumColumns(int sheet);

// The number of aggregate columns of a sheet (0 for the cover and numbers outside 2..20).
int SumColumnCount(int sheet);

// The aggregate columns of a sheet that hold a ratio (those named "percent_..."), as 0-based
// positions in its select list.
std::vector<int> RatioColumns(int sheet);

}  // namespace velmora::summary
