#include "bench_records.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "bench_timing.h"
#include "core/exchange/record_import.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"

namespace velmora::bench {

namespace {

namespace fs = std::filesystem;

class QuietPrompts : public ConsolePrompts {
 public:
  void message(const std::string&, MessageKind, const std::string& = {}) override {}
  bool confirm(const std::string&, const std::string& = {}) override { return true; }
};

void Check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db));
}

// The floor: a prepared SELECT on the source and a prepared single-row INSERT naming every column,
// each value bound as it was read, in one transaction.
void PlainRowByRow(const fs::path& source, const fs::path& target) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(target.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open " + target.string());
  sqlite3* src = nullptr;
  if (sqlite3_open_v2(source.c_str(), &src, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open " + source.string());
  sqlite3_stmt* read = nullptr;
  Check(sqlite3_prepare_v2(src, "SELECT * FROM dt_data", -1, &read, nullptr), src);
  const int n = sqlite3_column_count(read);
  std::string names, places;
  for (int i = 0; i < n; ++i) {
    names += std::string(i ? "," : "") + "\"" + sqlite3_column_name(read, i) + "\"";
    places += std::string(i ? "," : "") + "?";
  }
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare_v2(db, ("INSERT INTO dt_data (" + names + ") VALUES (" + places + ")").c_str(), -1, &insert,
                           nullptr),
        db);
  Check(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db);
  while (sqlite3_step(read) == SQLITE_ROW) {
    for (int i = 0; i < n; ++i) sqlite3_bind_value(insert, i + 1, sqlite3_column_value(read, i));
    Check(sqlite3_step(insert), db);
    sqlite3_reset(insert);
  }
  Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  sqlite3_finalize(insert);
  sqlite3_finalize(read);
  sqlite3_close(src);
  sqlite3_close(db);
}

}  // namespace

std::vector<ExchangeTiming> MeasureRecordImport(const fs::path& programFolder, const fs::path& sourceDatabase,
                                                const fs::path& scratch, int runs) {
  const fs::path shipped = programFolder / "2012Velmora.mdb";
  const fs::path ours = scratch / "records-ours.mdb", floor = scratch / "records-floor.mdb";
  ExchangeTiming t{"record import", 0, 0, 0};
  QuietPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
  t.ours = MedianMs(
      runs,
      [&] {
        session.reset();
        fs::copy_file(shipped, ours, fs::copy_options::overwrite_existing);
        session = std::make_unique<session::DatabaseSession>(programFolder.string(), prompts);
        if (!session->OpenDatabase(ours.string())) throw std::runtime_error("cannot open " + ours.string());
      },
      [&] {
        const exchange::RecordImportResult r =
            exchange::ImportRecordsFrom(*session, prompts, sourceDatabase.string(), "dt_data", exchange::RecordImportOptions{});
        if (r.status != exchange::RecordImportStatus::Imported) throw std::runtime_error(r.message);
        t.records = r.imported;
      });
  session.reset();
  t.floor = MedianMs(runs, [&] { fs::copy_file(shipped, floor, fs::copy_options::overwrite_existing); },
                     [&] { PlainRowByRow(sourceDatabase, floor); });
  std::error_code ec;
  fs::remove(ours, ec);
  fs::remove(floor, ec);
  return {t};
}

}  // namespace velmora::bench
