#pragma once
// The entry form's rule check: every dt_logic row of the shipped database evaluated on one set of
// form values, against preparing and stepping the same substituted "select ... as rt" statements
// through plain SQLite.

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::bench {

struct RulesTiming {
  std::string operation;  // rules-all (a checker in use), rules-first (a new checker)
  int rules = 0;          // rows evaluated per run
  double ours = 0;        // median ms
  double floor = 0;       // median ms
};

std::vector<RulesTiming> MeasureRules(const std::filesystem::path& shipped, int runs);

}  // namespace velmora::bench
