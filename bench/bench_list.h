#pragma once
// The record list on a large database: opening it with its first page, jumping to the last row,
// and sorting by an indexed and by a non-indexed column; each against the same statements run
// through plain SQLite.

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::bench {

struct ListTiming {
  std::string operation;  // list-open, list-last, list-middle, list-sort-key, list-sort-plain, list-next-plain
  double ours = 0;        // median ms
  double floor = 0;       // median ms
};

// `runs` timed runs of each operation on the database file.
std::vector<ListTiming> MeasureList(const std::filesystem::path& database, int runs);

}  // namespace velmora::bench
