#pragma once
// Filling a template sheet the way the summary does: the first row written at row 9, every further
// row inserted above row 9, 15 cells a row, column A auto-fitted, the workbook saved. The floor is
// the same sheet written as XML text in one pass and zipped with the template's other parts.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::bench {

struct TemplateTiming {
  std::string operation;  // tpl-fill: open, insert and write in memory; tpl-save: all of it and the save
  std::int64_t rows = 0;
  double ours = 0;   // median ms
  double floor = 0;  // median ms
};

// Both timings; the floor of the fill is the floor's XML text alone, that of the save its whole run.
std::vector<TemplateTiming> MeasureTemplateFill(const std::filesystem::path& scratch, std::int64_t rows, int runs);

}  // namespace velmora::bench
