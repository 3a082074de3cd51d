#pragma once
// Test data for the survey: realistic grassroots-union records written into dt_data in bulk, for
// trying the program and its batch operations at the scale of a province or of the whole country.
//
// The records use only codes found in the database's code tables, keep every field that the unit
// category closes at 0, and pass every consistency rule; a chosen share of them carries one
// deliberate fault and is stored with RecordState 2, the others with RecordState 1. The same seed
// always gives the same records.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/jobs/job.h"

namespace velmora {

struct GenerateOptions {
  std::int64_t records = 0;
  std::uint64_t seed = 1;
  double faultyPercent = 5;  // share of records with one deliberate fault, 0 to 100
  bool replaceExisting = false;  // GenerateDatabase: an existing database file at the output may be replaced
};

struct GenerateResult {
  std::int64_t records = 0;  // records written
  std::int64_t faulty = 0;   // of which stored with RecordState 2
  bool cancelled = false;    // the job was stopped; nothing was written
};

// Bad options, a database without the tables the records need, codes exhausted.
class GenerateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Appends options.records records to dt_data of an existing database file in one transaction.
// Statistical codes continue above those already stored in each division. A failure or a stop
// leaves the file's records as they were. `job` counts the records (one level, options.records in
// all) and is asked every few thousand records, and once more at the end, whether to stop.
// Throws GenerateError, db::DbError.
GenerateResult GenerateRecords(const std::string& databaseFile, const GenerateOptions& options,
                               jobs::Job& job = jobs::NoJob());

// Writes a new database at `outFile`: the layout and code tables of `shippedFile` (a consistent
// copy taken under its lock) without any of its records, and the generated records. The output is
// never the source, never a file other than a database, and an existing database only with
// options.replaceExisting (refused with GenerateError before anything is written). It is written
// beside `outFile` and put in place at the end (an existing database gets its content through the
// engine, so that a program holding it loses nothing): a failed or stopped run leaves `outFile` as
// it was and no temporary file behind. `job` as for GenerateRecords. Throws GenerateError,
// db::DbError, files::FileError.
GenerateResult GenerateDatabase(const std::string& shippedFile, const std::string& outFile,
                                const GenerateOptions& options, jobs::Job& job = jobs::NoJob());

}  // namespace velmora
