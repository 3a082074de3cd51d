#include "bench_list.h"

#include <sqlite3.h>

#include <stdexcept>

#include "bench_timing.h"
#include "core/catalogue/field_catalogue.h"
#include "core/db/connection.h"
#include "core/records/record_source.h"

namespace velmora::bench {

namespace {

constexpr int kPage = 128;

std::string ConnectionTo(const std::filesystem::path& file) {
  return "Data Source=" + db::Connection::QuoteValue(file.string()) + ";Mode=ReadWrite";
}

// The list's visible columns, as the record list reads them.
std::vector<std::string> VisibleColumns(db::Connection& c) {
  std::vector<std::string> names;
  for (const auto& f : catalogue::LoadFieldData(c, session::EditionSettings{}))
    names.push_back(f.Visible ? f.ShowName : std::string());
  return names;
}

// Reads every value of a page the way the grid paints it.
std::size_t TouchPage(records::RecordSource& source, std::int64_t first) {
  std::size_t touched = 0;
  for (std::int64_t r = first; r < first + kPage && r < source.count(); ++r)
    for (int c = 0; c < source.columnCount(); ++c) touched += source.value(r, c).toString().size();
  return touched;
}

// The floor: one statement stepped to its end on a plain connection, every value read.
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

std::vector<ListTiming> MeasureList(const std::filesystem::path& database, int runs) {
  std::vector<ListTiming> out;
  std::vector<std::string> columns;
  std::string select;
  {
    db::Connection c(ConnectionTo(database));
    columns = VisibleColumns(c);
    for (const auto& name : columns)
      if (!name.empty()) select += (select.empty() ? "" : ", ") + name;
  }
  const std::string page = " LIMIT " + std::to_string(kPage);
  std::size_t sink = 0;

  // Opening: connect, count, first page in code order.
  {
    ListTiming t{"list-open", 0, 0};
    t.ours = MedianMs(runs, [] {}, [&] {
      db::Connection c(ConnectionTo(database));
      records::RecordSource source(c);
      source.setColumns(columns);
      source.open();
      sink += TouchPage(source, 0);
    });
    t.floor = MedianMs(runs, [] {}, [&] {
      Floor f(database);
      sink += f.run("SELECT count(*) FROM view_data");
      sink += f.run("SELECT " + select + " FROM view_data ORDER BY c901 ASC" + page);
    });
    out.push_back(t);
  }

  db::Connection c(ConnectionTo(database));
  Floor f(database);
  auto fresh = [&](records::RecordSource& source, const char* column, bool descending) {
    source.close();
    source.setColumns(columns);
    source.setSort(column, descending);
    source.open();
  };
  records::RecordSource source(c);

  // The last row, from a list open on its first page.
  {
    ListTiming t{"list-last", 0, 0};
    t.ours = MedianMs(runs, [&] { fresh(source, "", false), TouchPage(source, 0); },
                      [&] { sink += TouchPage(source, source.count() - kPage); });
    t.floor = MedianMs(runs, [] {}, [&] { sink += f.run("SELECT " + select + " FROM view_data ORDER BY c901 DESC" + page); });
    out.push_back(t);
  }
  // A jump to the middle of the list (the scroll bar dragged half-way).
  {
    ListTiming t{"list-middle", 0, 0};
    t.ours = MedianMs(runs, [&] { fresh(source, "", false), TouchPage(source, 0); },
                      [&] { sink += TouchPage(source, source.count() / 2 / kPage * kPage); });
    const std::string offset = " OFFSET " + std::to_string(source.count() / 2 / kPage * kPage);
    t.floor = MedianMs(runs, [] {}, [&] {
      sink += f.run("SELECT " + select + " FROM view_data ORDER BY c901 ASC" + page + offset);
    });
    out.push_back(t);
  }
  // Sorting by the indexed key, descending, and showing the first page.
  {
    ListTiming t{"list-sort-key", 0, 0};
    t.ours = MedianMs(runs, [&] { fresh(source, "", false); }, [&] {
      source.setSort("c901", true);
      sink += TouchPage(source, 0);
    });
    t.floor = MedianMs(runs, [] {}, [&] { sink += f.run("SELECT " + select + " FROM view_data ORDER BY c901 DESC" + page); });
    out.push_back(t);
  }
  // Sorting by a column without an index, and the next page after the first.
  {
    ListTiming t{"list-sort-plain", 0, 0};
    t.ours = MedianMs(runs, [&] { fresh(source, "", false); }, [&] {
      source.setSort("z002", true);
      sink += TouchPage(source, 0);
    });
    t.floor = MedianMs(runs, [] {}, [&] {
      sink += f.run("SELECT " + select + " FROM view_data ORDER BY z002 DESC, c901 ASC" + page);
    });
    out.push_back(t);

    ListTiming next{"list-next-plain", 0, 0};
    next.ours = MedianMs(runs, [&] { fresh(source, "z002", true), TouchPage(source, 0); },
                         [&] { sink += TouchPage(source, kPage); });
    next.floor = MedianMs(runs, [] {}, [&] {
      sink += f.run("SELECT " + select + " FROM view_data ORDER BY z002 DESC, c901 ASC" + page + " OFFSET " +
                    std::to_string(kPage));
    });
    out.push_back(next);
  }
  if (sink == 0) throw std::runtime_error("the list read nothing");
  return out;
}

}  // namespace velmora::bench
