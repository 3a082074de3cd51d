#pragma once
// The record-by-record import against the plainest SQLite work it implies: every row of the
// file's dt_data read and inserted through one prepared single-row INSERT, in one transaction.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "bench_exchange.h"

namespace velmora::bench {

// `sourceDatabase` holds the records imported; they go into an empty copy of the shipped database.
std::vector<ExchangeTiming> MeasureRecordImport(const std::filesystem::path& programFolder,
                                                const std::filesystem::path& sourceDatabase,
                                                const std::filesystem::path& scratch, int runs);

}  // namespace velmora::bench
