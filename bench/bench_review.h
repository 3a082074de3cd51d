#pragma once
// The year-over-year review of a database against last year's, against the plainest SQLite work it
// implies: the review columns of every row of both files read once through one statement each.

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::bench {

struct ReviewTiming {
  std::string operation;  // review
  double ours = 0;        // median ms
  double floor = 0;       // median ms
  std::size_t findings = 0;
};

// `reference` is last year's database; this year's is made beside it in `scratch` once (the same
// units, every indicator moved by up to ±10 %, a few moved far, one in a thousand units gone).
ReviewTiming MeasureReview(const std::filesystem::path& programFolder, const std::filesystem::path& reference,
                           const std::filesystem::path& scratch, int runs);

}  // namespace velmora::bench
