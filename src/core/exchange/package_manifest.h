#pragma once
// The manifest a reporting package carries about itself: table package_manifest with one row
// (label, record count, SHA-256 over the exported rows, program version, export time). Readers
// that do not know the table carry it along untouched; the import checks it before it inserts.
//
// The digest runs over the rows of dt_data in c901 order, every column in the table's order, each
// value in a fixed text form: "N" for null, "I<decimal>" for an integer, "R<shortest round-trip
// form>" for a floating number, "T<byte length>:<bytes>" for text, "B<length>:<bytes>" for a blob;
// each value is followed by 0x1F and each row by 0x1E. The column names, joined the same way, come
// first, so that a column added or dropped changes the digest as well.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include <optional>
#include <string>
#include <string_view>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/jobs/job.h"

namespace velmora::exchange {

inline constexpr const char* kManifestTable = "package_manifest";

struct PackageManifest {
  std::string label;
  std::int64_t records = 0;
  std::string sha256;  // 64 lower-case hexadecimal digits
  std::string programVersion;
  std::string exportedAt;  // local time "YYYY-MM-DD HH:MM:SS"
};

struct RowsDigest {
  std::int64_t records = 0;
  std::string sha256;
};

// The digest built row by row, for a writer that reads the rows anyway (the package export digests
// the rows as it copies them, in c901 order).
class RowsDigester {
 public:
  explicit RowsDigester(const std::vector<std::string>& columns);
  ~RowsDigester();
  RowsDigester(const RowsDigester&) = delete;
  RowsDigester& operator=(const RowsDigester&) = delete;
  // The current row of a statement whose columns are the ones given, in that order.
  void addRow(const db::Statement& row);
  // The same value by value, for a writer that reads each value once: the values of a row in
  // column order, then endRow().
  void addNull();
  void addInteger(std::int64_t value);
  void addReal(double value);
  void addText(std::string_view text, bool blob = false);
  void endRow();
  RowsDigest finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Reads every row of `table` of the connection's main database in c901 order. A stop asked through
// the job throws db::DbError (interrupted). Throws db::DbError when the table cannot be read.
// `eachRow`, when given, sees every row first (the record check of an import reads in the same pass).
using RowHook = std::function<void(const db::Statement& row)>;
RowsDigest DigestRows(db::Connection& connection, const std::string& table, jobs::Job& job = jobs::NoJob(),
                      const RowHook& eachRow = {});

// Creates package_manifest (replacing one there) and writes its row.
void WriteManifest(db::Connection& connection, const PackageManifest& manifest);

// The manifest of a package; nullopt when it has none. Throws db::DbError when the table is there
// but cannot be read as a manifest (that package is damaged).
std::optional<PackageManifest> ReadManifest(db::Connection& connection);

enum class ManifestStatus { Ok, Missing, Damaged };

struct ManifestCheck {
  ManifestStatus status = ManifestStatus::Missing;
  std::string reason;  // when Damaged: what does not match, for the user
  std::optional<PackageManifest> manifest;
  std::int64_t records = -1;  // rows of dt_data, when they were counted
};

// "ok", "missing", "damaged".
inline const char* ManifestStatusWord(ManifestStatus s) {
  return s == ManifestStatus::Ok ? "ok" : s == ManifestStatus::Damaged ? "damaged" : "missing";
}

// Compares the manifest (when there is one) with the package's rows and its label in ct_label.
// With a manifest, `eachRow` sees every row of dt_data during the comparison; without one, no row is read.
ManifestCheck CheckManifest(db::Connection& connection, jobs::Job& job = jobs::NoJob(), const RowHook& eachRow = {});

// The version the manifest records, and the local time in its form.
std::string ProgramVersion();
std::string ManifestTimeNow();

}  // namespace velmora::exchange
