#include "core/entry/field_groups.h"

#include <algorithm>
#include <cstdio>

#include "core/entry/field_values.h"

namespace velmora::entry {

const std::vector<IndicatorTable>& IndicatorTables() {
  static const std::vector<IndicatorTable> tables = {
      {"z", 24, 1}, {"b", 29, 2}, {"h", 22, 3}, {"l", 10, 4},
      {"f", 26, 5}, {"j", 23, 6}, {"w", 4, 7},  {"s", 4, 7},
  };
  return tables;
}

std::string IndicatorName(std::string_view prefix, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", number);
  return std::string(prefix) + digits;
}

const std::vector<std::string>& IndicatorFields() {
  static const std::vector<std::string> fields = [] {
    std::vector<std::string> all;
    for (const IndicatorTable& t : IndicatorTables())
      for (int i = 1; i <= t.count; ++i) all.push_back(IndicatorName(t.prefix, i));
    return all;
  }();
  return fields;
}

bool IsIndicator(std::string_view name) {
  const auto& all = IndicatorFields();
  return std::any_of(all.begin(), all.end(), [&](const std::string& f) { return SameName(f, name); });
}

std::vector<std::string> FieldGroup(std::string_view prefix, int from, int to) {
  std::vector<std::string> group;
  for (int i = from; i <= to; ++i) {
    std::string name = IndicatorName(prefix, i);
    if (IsIndicator(name)) group.push_back(std::move(name));
  }
  return group;
}

const std::vector<std::string>& CoverFields() {
  static const std::vector<std::string> fields = {"c901", "c902", "c903", "c904", "c905", "c906",
                                                  "C907", "c909", "c912", "c910", "c911"};
  return fields;
}

bool HasFormControl(std::string_view name) { return PageOfField(name) >= 0; }

int PageOfField(std::string_view name) {
  for (const std::string& f : CoverFields())
    if (SameName(f, name)) return 0;
  for (const IndicatorTable& t : IndicatorTables())
    for (int i = 1; i <= t.count; ++i)
      if (SameName(IndicatorName(t.prefix, i), name)) return t.page;
  return -1;
}

}  // namespace velmora::entry
