#pragma once
// The controls of the entry form by page, and the field groups that the enabling rules open and
// close.

#include <string>
#include <string_view>
#include <vector>

namespace velmora::entry {

// A page's indicator fields: a prefix and the numbers 1 to count ("z" 24 gives z001 … z024).
struct IndicatorTable {
  const char* prefix;
  int count;
  int page;  // page index of the entry form
};

// The survey tables in form order (pages 1 to 7; w and s share page 7).
const std::vector<IndicatorTable>& IndicatorTables();

// "%0.3d" field names: prefix followed by the number with three digits.
std::string IndicatorName(std::string_view prefix, int number);

// The 142 indicator fields in form order (z, b, h, l, f, j, w, s).
const std::vector<std::string>& IndicatorFields();
bool IsIndicator(std::string_view name);

// The fields prefix+from … prefix+to in ascending number, leaving out numbers that name no
// indicator (the board group runs to h023, which does not exist).
std::vector<std::string> FieldGroup(std::string_view prefix, int from, int to);

// The cover's field controls in tab order.
const std::vector<std::string>& CoverFields();

// True when the form has a control for the field (the cover fields and the indicators); catalogue
// rows of other columns (c900, w005, RecordState, id) are passed over when loading and storing.
bool HasFormControl(std::string_view name);

// Page index of a control: 0 for the cover, 1 to 7 for the survey pages, -1 when none.
int PageOfField(std::string_view name);

}  // namespace velmora::entry
