#include "bench_search.h"

#include <sqlite3.h>

#include <stdexcept>

#include "bench_timing.h"
#include "core/catalogue/field_catalogue.h"
#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/records/record_source.h"
#include "core/search/search_conditions.h"

namespace velmora::bench {

namespace {

std::string ConnectionTo(const std::filesystem::path& file) {
  return "Data Source=" + db::Connection::QuoteValue(file.string()) + ";Mode=ReadWrite";
}

// Reads every value of the page holding `row`, the way the grid paints the rows in view.
std::size_t ShowRow(records::RecordSource& source, std::int64_t row) {
  const std::int64_t first = row / source.pageSize() * source.pageSize();
  std::size_t touched = 0;
  for (std::int64_t r = first; r < first + source.pageSize() && r < source.count(); ++r)
    for (int c = 0; c < source.columnCount(); ++c) touched += source.value(r, c).toString().size();
  return touched;
}

class Floor {
 public:
  explicit Floor(const std::filesystem::path& file) {
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot open " + file.string());
  }
  ~Floor() { sqlite3_close(db_); }
  Floor(const Floor&) = delete;
  Floor& operator=(const Floor&) = delete;
  std::size_t run(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in " + sql);
    std::size_t touched = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
      for (int i = 0; i < sqlite3_column_count(st); ++i)
        touched += static_cast<std::size_t>(sqlite3_column_bytes(st, i));
    sqlite3_finalize(st);
    return touched;
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace

std::vector<SearchTiming> MeasureSearch(const std::filesystem::path& database, int runs) {
  std::vector<SearchTiming> out;
  db::Connection c(ConnectionTo(database));
  std::vector<std::string> columns;
  std::string select;
  for (const auto& f : catalogue::LoadFieldData(c, session::EditionSettings{})) {
    columns.push_back(f.Visible ? f.ShowName : std::string());
    if (f.Visible) select += (select.empty() ? "" : ", ") + f.ShowName;
  }
  // A record two thirds down the list, and the name of the record stored in the middle of the
  // table (a name search reads the table in its stored order until the first match).
  const std::int64_t total = [&] {
    db::Statement st(c, "select count(*) from dt_data");
    return st.step() ? st.value(0).toInt64() : 0;
  }();
  if (total == 0) throw std::runtime_error("no records");
  auto scalar = [&c](const std::string& sql) {
    db::Statement st(c, sql);
    if (!st.step()) throw std::runtime_error("nothing from " + sql);
    return st.value(0);
  };
  const db::Variant code = scalar("select c901 from dt_data order by c901 limit 1 offset " + std::to_string(total * 2 / 3));
  const std::string name = scalar("select c902 from dt_data limit 1 offset " + std::to_string(total / 2)).toString();
  const db::Variant half = scalar("select c901 from dt_data order by c901 limit 1 offset " + std::to_string(total / 2 - 1));
  const std::string page = " LIMIT 128";
  std::size_t sink = 0;
  Floor f(database);

  records::RecordSource list(c);
  list.setColumns(columns);
  list.open();
  auto floorRow = [&](const std::string& key) {
    sink += f.run("SELECT count(*) FROM view_data WHERE c901 < " + key);
    sink += f.run("SELECT " + select + " FROM view_data WHERE c901 >= " + key + " ORDER BY c901" + page);
  };
  {
    SearchTiming t{"locate-code", 0, 0};
    t.ours = MedianMs(runs, [&] { list.requery(); }, [&] { sink += ShowRow(list, list.rowOfKey(code)); });
    t.floor = MedianMs(runs, [] {}, [&] { floorRow(code.toString()); });
    out.push_back(t);
  }
  {
    SearchTiming t{"locate-name", 0, 0};
    t.ours = MedianMs(runs, [&] { list.requery(); }, [&] {
      const auto found = search::FindCodeByName(c, name);
      if (!found) throw std::runtime_error("name not found");
      sink += ShowRow(list, list.rowOfKey(*found));
    });
    t.floor = MedianMs(runs, [] {}, [&] {
      sink += f.run("select c901 from dt_data where c902 like " + search::SqlText("%" + name + "%") + " limit 1");
      floorRow(code.toString());
    });
    out.push_back(t);
  }
  {
    const std::string condition = "where c901<=" + half.toString();
    SearchTiming t{"results-open", 0, 0};
    t.ours = MedianMs(runs, [] {}, [&] {
      records::RecordSource results(c);
      results.setColumns(columns);
      results.setCondition(condition);
      results.open();
      if (results.count() != total / 2) throw std::runtime_error("the condition matched " + std::to_string(results.count()));
      sink += ShowRow(results, 0);
    });
    t.floor = MedianMs(runs, [] {}, [&] {
      sink += f.run("SELECT count(*) FROM view_data " + condition);
      sink += f.run("SELECT " + select + " FROM view_data " + condition + " ORDER BY c901" + page);
    });
    out.push_back(t);
  }
  if (sink == 0) throw std::runtime_error("the search read nothing");
  return out;
}

}  // namespace velmora::bench
