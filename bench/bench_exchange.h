#pragma once
// Reporting packages against the plainest SQLite work they imply, on the same files:
// - export: the package of every formally saved record; floor: copy of the template, ATTACH,
//   INSERT … SELECT, the label, and the head rewritten;
// - import: a package into a large database (no conflict, and with one conflict and its report);
//   floor: ATTACH of the plain file and INSERT … SELECT in one transaction;
// - batch: many small packages into a database; floor: ATTACH/INSERT/DETACH per file.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::bench {

struct ExchangeTiming {
  std::string operation;
  std::int64_t records = 0;
  double ours = 0;   // median ms
  double floor = 0;  // median ms
};

struct ExchangeSizes {
  std::int64_t base = 1000000;      // records of the importing database
  std::int64_t batchFiles = 2000;
  std::int64_t batchRecords = 50;
  std::int64_t batchBase = 100000;  // records of the database the batch goes into
};

// `unitDatabase` holds the records exported and imported; `databaseOf(n)` gives (making it when
// missing) the database of n generated records in the scratch folder.
std::vector<ExchangeTiming> MeasureExport(const std::filesystem::path& programFolder,
                                          const std::filesystem::path& unitDatabase,
                                          const std::filesystem::path& scratch, int runs);
std::vector<ExchangeTiming> MeasureImport(const std::filesystem::path& programFolder,
                                          const std::filesystem::path& unitDatabase,
                                          const std::filesystem::path& baseDatabase,
                                          const std::filesystem::path& scratch, int runs);
std::vector<ExchangeTiming> MeasureBatch(const std::filesystem::path& programFolder,
                                         const std::filesystem::path& sourceDatabase,
                                         const std::filesystem::path& baseDatabase, const ExchangeSizes& sizes,
                                         const std::filesystem::path& scratch, int runs);

// Peak resident memory of this process in MiB.
double PeakResidentMiB();

}  // namespace velmora::bench
