#include "bench_csv.h"

#include <iconv.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench_timing.h"
#include "core/exchange/online_csv.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"

namespace velmora::bench {

namespace {

namespace fs = std::filesystem;

class QuietPrompts : public ConsolePrompts {
 public:
  void message(const std::string&, MessageKind, const std::string& = {}) override {}
  bool confirm(const std::string&, const std::string& = {}) override { return true; }
  bool openDocument(const std::string&) override { return true; }
};

sqlite3* Open(const fs::path& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open " + file.string());
  return db;
}

void Exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
}

void Remove(const fs::path& file) {
  std::error_code ec;
  fs::remove(file, ec);
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Column {
  std::string name;
  int type;
};

std::vector<Column> Catalogue(sqlite3* db) {
  std::vector<Column> cols;
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT fieldName, QueryType FROM dt_fieldlist WHERE sequence>0 AND sequence<1000 ORDER BY sequence",
                     -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW)
    cols.push_back({reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), sqlite3_column_int(st, 1)});
  sqlite3_finalize(st);
  return cols;
}

// UTF-8 into GBK through iconv, appended to the FILE.
void PutGbk(iconv_t cd, const char* text, std::size_t n, FILE* out) {
  char buffer[1024];
  char* in = const_cast<char*>(text);
  std::size_t left = n;
  while (left > 0) {
    char* o = buffer;
    std::size_t room = sizeof buffer;
    if (iconv(cd, &in, &left, &o, &room) == static_cast<std::size_t>(-1) && errno != E2BIG)
      throw std::runtime_error("iconv");
    fwrite(buffer, 1, static_cast<std::size_t>(o - buffer), out);
  }
}

// The plain program: the same bytes as the export, formatted in C.
void PlainExport(const fs::path& database, const fs::path& file) {
  sqlite3* db = Open(database);
  const std::vector<Column> cols = Catalogue(db);
  std::string sql = "SELECT ";
  for (std::size_t i = 0; i < cols.size(); ++i) sql += (i ? "," : "") + cols[i].name;
  sql += " FROM dt_data";
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  iconv_t cd = iconv_open("GBK", "UTF-8");
  FILE* out = std::fopen(file.c_str(), "wb");
  static char buffer[1 << 20];
  setvbuf(out, buffer, _IOFBF, sizeof buffer);
  for (const Column& c : cols) {
    fputs(c.name.c_str(), out);
    fputc(',', out);
  }
  fputs("\r\n", out);
  char cell[64];
  std::string text;
  while (sqlite3_step(st) == SQLITE_ROW) {
    for (int i = 0; i < static_cast<int>(cols.size()); ++i) {
      const int kind = sqlite3_column_type(st, i);
      const int type = cols[static_cast<std::size_t>(i)].name == "RecordState" ? 0 : cols[static_cast<std::size_t>(i)].type;
      if (type == 1) {
        if (kind != SQLITE_NULL) {
          const char* v = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
          const std::size_t n = static_cast<std::size_t>(sqlite3_column_bytes(st, i));
          text.assign(v, n);
          if (text.find(',') != std::string::npos) {
            std::string r;
            for (char ch : text) r += ch == ',' ? std::string("，") : std::string(1, ch);
            text = r;
          } else {
            for (std::size_t at = text.find("－"); at != std::string::npos; at = text.find("－", at)) text.replace(at, 3, "-");
          }
          PutGbk(cd, text.data(), text.size(), out);
        }
      } else if (kind == SQLITE_NULL) {
        fputc('0', out);
      } else if (kind == SQLITE_INTEGER || type != 2) {
        const int len = std::snprintf(cell, sizeof cell, "%lld", static_cast<long long>(sqlite3_column_int64(st, i)));
        fwrite(cell, 1, static_cast<std::size_t>(len), out);
      } else {
        const int len = std::snprintf(cell, sizeof cell, "%.15g", sqlite3_column_double(st, i));
        fwrite(cell, 1, static_cast<std::size_t>(len), out);
      }
      fputc(',', out);
    }
    fputs("\r\n", out);
  }
  std::fclose(out);
  iconv_close(cd);
  sqlite3_finalize(st);
  sqlite3_close(db);
}

// The plain program: split, bind, insert into the staging table, the conflict query.
void PlainImport(const fs::path& database, const fs::path& file, const std::string& stamp) {
  sqlite3* db = Open(database);
  const std::vector<Column> cols = Catalogue(db);
  std::string sql = "INSERT INTO dt_data_dt_data(";
  for (const Column& c : cols) sql += c.name + ",";
  sql += "c900) VALUES (";
  for (std::size_t i = 0; i <= cols.size(); ++i) sql += i ? ",?" : "?";
  sql += ")";
  Exec(db, "BEGIN");
  Exec(db, "DELETE FROM dt_data_dt_data");
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  iconv_t cd = iconv_open("UTF-8", "GBK");
  std::ifstream in(file, std::ios::binary);
  std::string line, text[200];
  std::getline(in, line);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t start = 0;
    for (int i = 0; i < static_cast<int>(cols.size()); ++i) {
      const std::size_t comma = line.find(',', start);
      const char* cell = line.data() + start;
      const std::size_t n = comma - start;
      if (cols[static_cast<std::size_t>(i)].type == 1) {
        std::string& t = text[i];
        t.resize(n * 2 + 4);
        char* ip = const_cast<char*>(cell);
        std::size_t il = n;
        char* op = t.data();
        std::size_t ol = t.size();
        iconv(cd, &ip, &il, &op, &ol);
        t.resize(t.size() - ol);
        sqlite3_bind_text(st, i + 1, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
      } else if (cols[static_cast<std::size_t>(i)].type == 2) {
        sqlite3_bind_double(st, i + 1, std::strtod(cell, nullptr));
      } else {
        sqlite3_bind_int64(st, i + 1, std::strtoll(cell, nullptr, 10));
      }
      start = comma + 1;
    }
    sqlite3_bind_text(st, static_cast<int>(cols.size()) + 1, stamp.c_str(), -1, SQLITE_STATIC);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_stmt* q = nullptr;
  sqlite3_prepare_v2(db, "SELECT c901,c902 FROM dt_data_dt_data WHERE c901 IN (SELECT c901 FROM dt_data ORDER BY c901)",
                     -1, &q, nullptr);
  while (sqlite3_step(q) == SQLITE_ROW) {
  }
  sqlite3_finalize(q);
  Exec(db, "COMMIT");
  iconv_close(cd);
  sqlite3_close(db);
}

}  // namespace

std::vector<ExchangeTiming> MeasureCsvExport(const fs::path& programFolder, const fs::path& database,
                                             const fs::path& scratch, int runs) {
  const fs::path ours = scratch / "csv-ours.csv", floor = scratch / "csv-floor.csv";
  QuietPrompts prompts;
  session::DatabaseSession session(programFolder.string(), prompts);
  if (!session.OpenDatabase(database.string())) throw std::runtime_error("cannot open " + database.string());
  ExchangeTiming t{"csv-export", 0, 0, 0};
  t.ours = MedianMs(runs, [&] { Remove(ours); },
                    [&] { t.records = exchange::WriteOnlineCsv(session, ours.string()).records; });
  t.floor = MedianMs(runs, [&] { Remove(floor); }, [&] { PlainExport(database, floor); });
  if (ReadAll(ours) != ReadAll(floor)) throw std::runtime_error("the floor of csv-export wrote other bytes");
  Remove(ours);
  Remove(floor);
  return {t};
}

std::vector<ExchangeTiming> MeasureCsvImport(const fs::path& programFolder, const fs::path& unitDatabase,
                                             const fs::path& baseDatabase, const fs::path& scratch, int runs) {
  const fs::path file = scratch / "csv-import.csv", work = scratch / "csv-import-work.mdb";
  const std::string stamp = "0123456789ABCDEF0123456789ABCDEF";
  std::int64_t records = 0;
  {
    // The records a unit reports (state 1): the others of the generated database hold values no
    // entry form takes, which the import refuses.
    const fs::path reported = scratch / "csv-import-unit.mdb";
    fs::copy_file(unitDatabase, reported, fs::copy_options::overwrite_existing);
    const fs::path exported = scratch / "csv-import-source.csv";
    {
      QuietPrompts prompts;
      session::DatabaseSession session(programFolder.string(), prompts);
      if (!session.OpenDatabase(reported.string())) throw std::runtime_error("cannot open " + reported.string());
      session.SysADOConnection().execute("delete from dt_data where RecordState<>1");
      records = exchange::WriteOnlineCsv(session, exported.string()).records;
    }
    Remove(reported);
    // Codes of their own: line N gets 100000000000 + N, a division no generated database uses, so
    // that none is stored in the base database.
    std::ifstream in(exported, std::ios::binary);
    std::ofstream out(file, std::ios::binary);
    std::string line;
    std::int64_t number = 0;
    while (std::getline(in, line)) {
      if (number == 0)
        out << line << "\n";
      else
        out << (100000000000 + number) << line.substr(line.find(',')) << "\n";
      ++number;
    }
    Remove(exported);
  }
  ExchangeTiming t{"csv-import", records, 0, 0};
  QuietPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
  exchange::CsvImportStatus status{};
  t.ours = MedianMs(runs, [&] {
    session.reset();
    fs::copy_file(baseDatabase, work, fs::copy_options::overwrite_existing);
    session = std::make_unique<session::DatabaseSession>(programFolder.string(), prompts);
    session->setPersonalFolder(scratch.string());
    if (!session->OpenDatabase(work.string())) throw std::runtime_error("cannot open " + work.string());
  }, [&] { status = exchange::ImportOnlineCsvFile(*session, file.string(), stamp).status; });
  session.reset();
  if (status != exchange::CsvImportStatus::Imported) throw std::runtime_error("the csv import failed");
  t.floor = MedianMs(runs, [&] { fs::copy_file(baseDatabase, work, fs::copy_options::overwrite_existing); },
                     [&] { PlainImport(work, file, stamp); });
  Remove(work);
  Remove(file);
  return {t};
}

}  // namespace velmora::bench
