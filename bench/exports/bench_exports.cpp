// velmora-bench-exports: the result-set exports against the plain floor measured in the same run.
//   workbook   the record list's visible columns of every record, through ExportQueryToWorkbook,
//              against libxlsxwriter (constant memory) writing the same cells from a plain SQLite scan
//   datalist   the data list of all eight tables, the same comparison
//   database   every column of every record into a table of a new database file, against a plain
//              INSERT ... SELECT into the attached file
//
//   velmora-bench-exports [--records N] [--runs R] [--dir DIR] [--ops workbook,datalist,database]
#include <sqlite3.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "../bench_timing.h"
#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/exchange/data_list.h"
#include "core/export/query_export.h"
#include "core/jobs/job.h"
#include "core/office/number_format.h"
#include "core/prompts/user_prompts.h"
#include "core/records/generator.h"

namespace {

namespace fs = std::filesystem;
using namespace velmora;
using bench::MedianMs;

class QuietPrompts : public ConsolePrompts {
 public:
  void message(const std::string& text, MessageKind kind, const std::string& = {}) override {
    if (kind != MessageKind::Information) std::cerr << text << "\n";
  }
};

struct Column {
  std::string name, hint;
  exports::FieldKind kind;
};

std::string Connect(const fs::path& file) { return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string(); }

// The floor: a plain scan of the same statement and libxlsxwriter writing the same cells.
void FloorWorkbook(const fs::path& db, const std::string& sql, const std::vector<Column>& columns, const fs::path& out) {
  sqlite3* h = nullptr;
  sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr);
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* wb = workbook_new_opt(out.c_str(), &options);
  lxw_worksheet* ws = workbook_add_worksheet(wb, "floor");
  std::vector<lxw_format*> formats;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    lxw_format* f = workbook_add_format(wb);
    const std::string local = exports::NumberFormatOf(columns[c].kind);
    if (!local.empty()) format_set_num_format(f, office::FormatCode(local).c_str());
    formats.push_back(f);
    worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), 12, f);
  }
  lxw_format* bold = workbook_add_format(wb);
  format_set_bold(bold);
  format_set_font_size(bold, 12);
  worksheet_write_string(ws, 1, 0, "导出日期:", bold);
  worksheet_write_string(ws, 1, 1, "2024-05-01", formats[0]);
  for (std::size_t c = 0; c < columns.size(); ++c)
    worksheet_write_string(ws, 2, static_cast<lxw_col_t>(c), columns[c].hint.c_str(), nullptr);
  lxw_row_t row = 4;
  while (sqlite3_step(st) == SQLITE_ROW) {
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
      const int type = sqlite3_column_type(st, c);
      if (type == SQLITE_NULL) continue;
      if (columns[static_cast<std::size_t>(c)].kind == exports::FieldKind::Text || type == SQLITE_TEXT)
        worksheet_write_string(ws, row, static_cast<lxw_col_t>(c),
                               reinterpret_cast<const char*>(sqlite3_column_text(st, c)), formats[static_cast<std::size_t>(c)]);
      else
        worksheet_write_number(ws, row, static_cast<lxw_col_t>(c), sqlite3_column_double(st, c),
                               formats[static_cast<std::size_t>(c)]);
    }
    ++row;
  }
  workbook_close(wb);
  sqlite3_finalize(st);
  sqlite3_close(h);
}

void FloorDatabase(const fs::path& db, const fs::path& out) {
  sqlite3* h = nullptr;
  sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  const std::string create = "SELECT sql FROM sqlite_master WHERE name='dt_data'";
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, create.c_str(), -1, &st, nullptr);
  sqlite3_step(st);
  std::string ddl = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  ddl.replace(ddl.find("dt_data"), 7, "x.result");
  const std::string sql = "ATTACH '" + out.string() + "' AS x; BEGIN; " + ddl +
                          "; INSERT INTO x.result SELECT * FROM dt_data ORDER BY c901; COMMIT; DETACH x;";
  char* err = nullptr;
  if (sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) std::cerr << err << "\n";
  sqlite3_close(h);
}

void Report(const char* op, double ours, double floor) {
  std::printf("%-10s ours %9.1f ms   floor %9.1f ms   ratio %.2f\n", op, ours, floor, ours / floor);
}

}  // namespace

int main(int argc, char** argv) {
  std::int64_t records = 100000;
  int runs = 3;
  std::string ops = "workbook,datalist,database";
  fs::path dir = fs::temp_directory_path() / "velmora-bench-exports";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--records") records = std::atoll(argv[i + 1]);
    else if (a == "--runs") runs = std::atoi(argv[i + 1]);
    else if (a == "--dir") dir = argv[i + 1];
    else if (a == "--ops") ops = argv[i + 1];
  }
  fs::create_directories(dir);
  const fs::path db = dir / ("records-" + std::to_string(records) + ".mdb");
  if (!fs::exists(db)) {
    GenerateOptions options;
    options.records = records;
    GenerateDatabase(SHIPPED_DATABASE, db.string(), options);
  }
  db::Connection connection(Connect(db));
  QuietPrompts prompts;
  exports::ExportContext context{prompts, jobs::NoJob(), "", dir.string(), {}};
  context.today.tm_year = 124;

  // The record list's visible columns.
  catalogue::TFieldDataArray visible;
  std::vector<Column> visibleColumns;
  std::string select;
  {
    db::Statement st(connection, "select FieldName, Hint from dt_fieldlist where Visible<>0 order by sequence");
    while (st.step()) {
      catalogue::TFieldData f;
      f.ShowName = st.text(0);
      f.Hint = st.text(1);
      f.QueryShow = true;
      visible.push_back(f);
      select += (select.empty() ? "" : ",") + f.ShowName;
    }
    db::Statement probe(connection, "select " + select + " from dt_data");
    for (int c = 0; c < probe.columnCount(); ++c)
      visibleColumns.push_back({visible[static_cast<std::size_t>(c)].ShowName, visible[static_cast<std::size_t>(c)].Hint,
                                exports::FieldOfDeclaredType("", probe.declaredType(c)).kind});
  }
  const std::string listSql = "SELECT * from view_data order by c901";
  const fs::path book = dir / "ours.xlsx", floorBook = dir / "floor.xlsx";
  std::printf("%lld records, %zu visible columns, median of %d runs\n", static_cast<long long>(records), visible.size(),
              runs);
  const auto wanted = [&](const char* op) { return ops.find(op) != std::string::npos; };
  if (wanted("workbook")) {
  const double oursBook = MedianMs(runs, [] {}, [&] {
    exports::ExportQueryToWorkbook(context, {connection, listSql}, "Velmora查询结果", visible, book.string());
  });
  const double floorBookMs = MedianMs(runs, [] {}, [&] {
    FloorWorkbook(db, "select " + select + " from dt_data order by c901", visibleColumns, floorBook);
  });
  Report("workbook", oursBook, floorBookMs);
  }

  exchange::DataListRequest all;
  all.ticked.fill(true);
  std::string listSelect;
  std::vector<Column> listColumns;
  {
    exchange::DataListRequest copy = all;
    listSelect = *exchange::DataListSql(connection, copy, prompts);
    db::Statement probe(connection, listSelect);
    for (int c = 0; c < probe.columnCount(); ++c)
      listColumns.push_back({probe.columnName(c), probe.columnName(c),
                             exports::FieldOfDeclaredType("", probe.declaredType(c)).kind});
  }
  if (wanted("datalist")) {
  const double oursList = MedianMs(runs, [] {}, [&] {
    exchange::DataListRequest r = all;
    exchange::ExportDataList(context, connection, r, "基准", book.string());
  });
  const double floorList = MedianMs(runs, [] {}, [&] { FloorWorkbook(db, listSelect, listColumns, floorBook); });
  Report("datalist", oursList, floorList);
  }

  const fs::path mdb = dir / "ours.mdb", floorMdb = dir / "floor.mdb";
  if (wanted("database")) {
  const double oursDb = MedianMs(runs, [&] { fs::remove(mdb); }, [&] {
    exports::ExportQueryToDatabase(context, {connection, "SELECT * from dt_data order by c901"}, "Velmora查询结果",
                                   mdb.string());
  });
  const double floorDb = MedianMs(runs, [&] { fs::remove(floorMdb); }, [&] { FloorDatabase(db, floorMdb); });
  Report("database", oursDb, floorDb);
  }
  return 0;
}
