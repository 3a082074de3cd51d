#pragma once
// The batch logic check of all records against the plainest SQLite work it implies: every column
// of every row read through one statement and RecordState of every row written in one
// transaction.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::bench {

struct CheckTiming {
  std::string operation;  // check
  double ours = 0;        // median ms
  double floor = 0;       // median ms
  std::int64_t checked = 0;
};

// Works on a copy of `database` in `scratch`; before every run all states are reset to 0 so
// that both ways write every state.
CheckTiming MeasureCheck(const std::filesystem::path& database, const std::filesystem::path& scratch, int runs);

}  // namespace velmora::bench
