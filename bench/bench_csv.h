#pragma once
// The on-line exchange file against the plainest program that does the same work:
// - csv-export: our export of every record; floor: one SQLite scan of the catalogue's columns that
//   formats the cells in C (snprintf "%.15g", iconv for the texts) and writes the same bytes through a
//   buffered FILE (the bytes are compared);
// - csv-import: the file of N records under codes of their own into a database of `base` records;
//   floor: the same lines split at their commas and bound into dt_data_dt_data in one transaction,
//   then the conflict query.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "bench_exchange.h"

namespace velmora::bench {

std::vector<ExchangeTiming> MeasureCsvExport(const std::filesystem::path& programFolder,
                                             const std::filesystem::path& database,
                                             const std::filesystem::path& scratch, int runs);
std::vector<ExchangeTiming> MeasureCsvImport(const std::filesystem::path& programFolder,
                                             const std::filesystem::path& unitDatabase,
                                             const std::filesystem::path& baseDatabase,
                                             const std::filesystem::path& scratch, int runs);

}  // namespace velmora::bench
