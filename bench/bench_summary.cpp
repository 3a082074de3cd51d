#include "bench_summary.h"

#include <sqlite3.h>

#include <cmath>
#include <stdexcept>

#include "bench_timing.h"
#include "core/db/connection.h"
#include "core/db/translate.h"
#include "core/summary/summary.h"

namespace velmora::bench {

namespace {

constexpr int kGroupId = 9001;
constexpr int kGroupItems = 500;

std::vector<int> AllSheets() {
  std::vector<int> s;
  for (int i = 2; i <= 20; ++i) s.push_back(i);
  return s;
}

// The program's int() for the plain connection.
void IntFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: sqlite3_result_null(ctx); return;
    case SQLITE_INTEGER: sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0])); return;
    default: sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(std::floor(sqlite3_value_double(argv[0]))));
  }
}

class Plain {
 public:
  explicit Plain(const std::filesystem::path& file) {
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot open " + file.string());
    sqlite3_create_function(db_, "int", 1, SQLITE_UTF8, nullptr, IntFunction, nullptr, nullptr);
  }
  ~Plain() { sqlite3_close(db_); }
  // Steps through every row, touching every column; returns the rows.
  std::int64_t run(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db_) + std::string(": ") + sql);
    std::int64_t rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      const int n = sqlite3_column_count(st);
      for (int i = 0; i < n; ++i) sink_ += sqlite3_column_double(st, i);
      ++rows;
    }
    sqlite3_finalize(st);
    return rows;
  }
  void exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db_));
  }
  double sink() const { return sink_; }

 private:
  sqlite3* db_ = nullptr;
  double sink_ = 0;
};

// 500 items of equal width over the codes stored, in their stored order.
void AddGroup(const std::filesystem::path& file) {
  Plain p(file);
  p.exec("delete from DT_GroupItem where GroupID=" + std::to_string(kGroupId) +
         "; delete from CT_Group where ID=" + std::to_string(kGroupId));
  p.exec("insert into CT_Group (ID, Name, orderstr) values (" + std::to_string(kGroupId) + ", 'bench', 'id ASC')");
  p.exec("insert into DT_GroupItem (Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) "
         "with recursive n(i) as (select 0 union all select i+1 from n where i<" + std::to_string(kGroupItems - 1) +
         "), r(lo, hi) as (select min(c901), max(c901) + 1 from dt_data) "
         "select 'item ' || i, " + std::to_string(kGroupId) +
         ", cast(lo + (hi - lo) * i / " + std::to_string(kGroupItems) + " as integer), cast(lo + (hi - lo) * (i + 1) / " +
         std::to_string(kGroupItems) + " as integer), '>=', '<' from n, r");
}

}  // namespace

std::vector<SummaryTiming> MeasureSummary(const std::filesystem::path& database, const std::filesystem::path& scratch,
                                          int runs) {
  const std::filesystem::path work = scratch / "summary-work.mdb";
  std::filesystem::copy_file(database, work, std::filesystem::copy_options::overwrite_existing);
  AddGroup(work);
  const std::vector<int> sheets = AllSheets();
  db::Connection ours("Data Source=" + db::Connection::QuoteValue(work.string()) + ";Mode=Read");
  Plain plain(work);

  std::vector<std::string> sheetStatements;
  for (int s : sheets) sheetStatements.push_back(db::TranslateJetSql(summary::ClassificationStatement(s, 0)).sql);
  std::vector<std::string> rangeStatements;
  for (int s : sheets) {
    const auto items = summary::ReadGroupItems(ours, kGroupId);
    for (std::size_t i = 0; i < items.size(); ++i)
      rangeStatements.push_back(db::TranslateJetSql(summary::GroupItemStatement(
                                                        s, items[i].title, static_cast<int>(i) + 1, items[i].lowValue,
                                                        items[i].highValue))
                                    .sql);
  }
  if (rangeStatements.size() != sheets.size() * kGroupItems) throw std::runtime_error("the group was not stored");

  SummaryTiming scan{"summary-industry-vs-scan"}, statements{"summary-industry-vs-19-statements"},
      group{"summary-group500-vs-range-statements"};
  auto none = [] {};
  auto require = [&](const summary::SummaryRun& run) {
    if (run.sheets.size() != sheets.size() || run.usedStatements) throw std::runtime_error("the pass left out worksheets");
  };
  for (int pass = 0; pass < 2; ++pass) {  // alternate, so that neither side gets a warmer cache
    scan.ours = statements.ours = MedianMs(runs, none, [&] {
      require(summary::Summarize(ours, sheets, summary::kByIndustry));
    });
    scan.floor = MedianMs(runs, none, [&] { plain.run("select * from dt_data"); });
    statements.floor = MedianMs(runs, none, [&] {
      for (const std::string& sql : sheetStatements) plain.run(sql);
    });
    group.ours = MedianMs(runs, none, [&] {
      require(summary::Summarize(ours, sheets, summary::kByGroup, kGroupId));
    });
    group.floor = MedianMs(runs, none, [&] {
      for (const std::string& sql : rangeStatements) plain.run(sql);
    });
  }
  std::error_code ec;
  std::filesystem::remove(work, ec);
  return {scan, statements, group};
}

}  // namespace velmora::bench
