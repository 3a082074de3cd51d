#include "bench_check.h"

#include <sqlite3.h>

#include <stdexcept>

#include "bench_timing.h"
#include "core/checks/catalogue_hints.h"
#include "core/checks/logic_check_runner.h"
#include "core/db/connection.h"
#include "core/prompts/user_prompts.h"

namespace velmora::bench {

namespace {

std::string ConnectionTo(const std::filesystem::path& file) {
  return "Data Source=" + db::Connection::QuoteValue(file.string()) + ";Mode=ReadWrite";
}

class QuietPrompts : public ConsolePrompts {
 public:
  void message(const std::string&, MessageKind, const std::string& = {}) override {}
  bool openDocument(const std::string&) override { return true; }
};

// The check as the program runs it: its own connection, catalogue and report.
std::int64_t CheckOurs(const std::filesystem::path& file, const std::filesystem::path& report) {
  db::Connection connection(ConnectionTo(file));
  checks::CatalogueHints hints(connection);
  QuietPrompts prompts;
  checks::LogicCheckOptions options;
  options.reportPath = report.string();
  const auto r = checks::RunLogicCheck(connection, checks::AllRecordsSql("c912<=2"), prompts, hints, options);
  if (r.end != checks::LogicCheckResult::End::Completed) throw std::runtime_error("check failed: " + r.error);
  return r.checked;
}

void Exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
}

// The floor: read every column of every row, write RecordState of every row, one transaction.
std::int64_t CheckFloor(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open " + file.string());
  Exec(db, "BEGIN");
  sqlite3_stmt* read = nullptr;
  sqlite3_stmt* write = nullptr;
  sqlite3_prepare_v2(db, "select _rowid_, * from dt_data where c912<=2", -1, &read, nullptr);
  sqlite3_prepare_v2(db, "update dt_data set RecordState=?1 where _rowid_=?2", -1, &write, nullptr);
  std::int64_t rows = 0;
  double sink = 0;
  while (sqlite3_step(read) == SQLITE_ROW) {
    const int n = sqlite3_column_count(read);
    for (int i = 1; i < n; ++i) sink += sqlite3_column_double(read, i);
    sqlite3_bind_int(write, 1, sink > 0 ? 1 : 2);
    sqlite3_bind_int64(write, 2, sqlite3_column_int64(read, 0));
    sqlite3_step(write);
    sqlite3_reset(write);
    ++rows;
  }
  sqlite3_finalize(read);
  sqlite3_finalize(write);
  Exec(db, "COMMIT");
  sqlite3_close(db);
  return rows;
}

void ResetStates(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  Exec(db, "update dt_data set RecordState=0");
  sqlite3_close(db);
}

}  // namespace

CheckTiming MeasureCheck(const std::filesystem::path& database, const std::filesystem::path& scratch, int runs) {
  const std::filesystem::path work = scratch / "check-work.mdb";
  const std::filesystem::path report = scratch / "check-report.txt";
  std::filesystem::copy_file(database, work, std::filesystem::copy_options::overwrite_existing);
  CheckTiming t{"check"};
  std::int64_t floorRows = 0;
  for (int i = 0; i < 2; ++i) {  // alternate, so that neither side gets a warmer cache
    t.ours = MedianMs(runs, [&] { ResetStates(work); }, [&] { t.checked = CheckOurs(work, report); });
    t.floor = MedianMs(runs, [&] { ResetStates(work); }, [&] { floorRows = CheckFloor(work); });
  }
  if (floorRows != t.checked) throw std::runtime_error("the check and the floor visited different rows");
  std::error_code ec;
  std::filesystem::remove(work, ec);
  std::filesystem::remove(report, ec);
  return t;
}

}  // namespace velmora::bench
