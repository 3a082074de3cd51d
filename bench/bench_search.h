#pragma once
// Searching a large database: locating a record of the main list by code and by name (to its row
// read for display), and opening the result list of a condition that matches half the records;
// each against the same statements run through plain SQLite.

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::bench {

struct SearchTiming {
  std::string operation;  // locate-code, locate-name, results-open
  double ours = 0;        // median ms
  double floor = 0;       // median ms
};

std::vector<SearchTiming> MeasureSearch(const std::filesystem::path& database, int runs);

}  // namespace velmora::bench
