#pragma once
// The summary figures of all nineteen worksheets from one pass over dt_data, against the plainest
// SQLite work: one scan reading every column of every row, the nineteen grouped statements as
// plain SQLite runs them, and (for a custom group of 500 items) the range statements of every item
// on the index on c901.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::bench {

struct SummaryTiming {
  std::string operation;
  double ours = 0;   // median ms
  double floor = 0;  // median ms
};

// Works on a copy of `database` in `scratch` (the group is added to the copy).
std::vector<SummaryTiming> MeasureSummary(const std::filesystem::path& database, const std::filesystem::path& scratch,
                                          int runs);

}  // namespace velmora::bench
