#include "bench_review.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

#include "bench_timing.h"
#include "core/prompts/user_prompts.h"
#include "core/review/year_review.h"
#include "core/session/session.h"

namespace velmora::bench {

namespace {

class QuietPrompts : public ConsolePrompts {
 public:
  void message(const std::string&, MessageKind, const std::string& = {}) override {}
  bool openDocument(const std::string&) override { return true; }
};

sqlite3* Open(const std::filesystem::path& file, int flags) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + file.string());
  }
  return db;
}

void Exec(sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
}

// The review columns, as the review chooses them.
std::string ReviewColumns(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT group_concat(FieldName) FROM dt_fieldlist WHERE QueryType IN (0, 2) AND PageID <> 0 "
                     "AND lower(FieldName) NOT IN ('id', 'recordstate')",
                     -1, &st, nullptr);
  std::string columns;
  if (sqlite3_step(st) == SQLITE_ROW) columns = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  return columns;
}

// This year's records: last year's with every indicator moved by up to ±10 %, one unit in 5000
// with a field fifty times larger, one in a thousand not reported yet.
void MakeThisYear(const std::filesystem::path& reference, const std::filesystem::path& target) {
  std::filesystem::copy_file(reference, target, std::filesystem::copy_options::overwrite_existing);
  sqlite3* db = Open(target, SQLITE_OPEN_READWRITE);
  std::string set;
  const std::string columns = ReviewColumns(db);
  std::size_t from = 0;
  while (from <= columns.size()) {
    std::size_t comma = columns.find(',', from);
    if (comma == std::string::npos) comma = columns.size();
    const std::string c = columns.substr(from, comma - from);
    set += (set.empty() ? "" : ", ") + c + " = CAST(" + c + " * (0.9 + abs(random() % 200) / 1000.0) AS INTEGER)";
    from = comma + 1;
  }
  Exec(db, "BEGIN");
  Exec(db, "UPDATE dt_data SET " + set);
  Exec(db, "UPDATE dt_data SET b001 = b001 * 50 WHERE id % 5000 = 1");
  Exec(db, "DELETE FROM dt_data WHERE id % 1000 = 5");
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

std::size_t ReviewOurs(const std::filesystem::path& programFolder, const std::filesystem::path& current,
                       const std::filesystem::path& reference) {
  QuietPrompts prompts;
  session::DatabaseSession session(programFolder.string(), prompts);
  if (!session.OpenDatabase(current.string())) throw std::runtime_error("cannot open " + current.string());
  const review::ReviewResult result =
      review::RunReview(session, {review::Reference::Kind::File, reference.string()}, {}, jobs::NoJob());
  return result.findings.size();
}

// The floor: the review columns and the code of every row of both files, read once.
double ScanFloor(const std::filesystem::path& file) {
  sqlite3* db = Open(file, SQLITE_OPEN_READONLY);
  sqlite3_stmt* st = nullptr;
  const std::string sql = "SELECT c901, " + ReviewColumns(db) + " FROM dt_data WHERE c912 <= 2";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  double sink = 0;
  const int n = sqlite3_column_count(st);
  while (sqlite3_step(st) == SQLITE_ROW)
    for (int i = 0; i < n; ++i)
      if (sqlite3_column_type(st, i) == SQLITE_INTEGER) sink += static_cast<double>(sqlite3_column_int64(st, i));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return sink;
}

}  // namespace

ReviewTiming MeasureReview(const std::filesystem::path& programFolder, const std::filesystem::path& reference,
                           const std::filesystem::path& scratch, int runs) {
  const std::filesystem::path current = scratch / (reference.stem().string() + "-this-year.mdb");
  if (!std::filesystem::exists(current) ||
      std::filesystem::last_write_time(current) < std::filesystem::last_write_time(reference))
    MakeThisYear(reference, current);
  ReviewTiming t{"review"};
  double sink = 0;
  for (int i = 0; i < 2; ++i) {  // alternate, so that neither side gets a warmer cache
    t.ours = MedianMs(runs, [] {}, [&] { t.findings = ReviewOurs(programFolder, current, reference); });
    t.floor = MedianMs(runs, [] {}, [&] { sink += ScanFloor(current) + ScanFloor(reference); });
  }
  if (!(sink > 0)) throw std::runtime_error("the floor read no value");
  return t;
}

}  // namespace velmora::bench
