#include "bench_operations.h"

#include <sqlite3.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/files/database_file.h"
#include "core/prompts/user_prompts.h"
#include "core/records/generator.h"

namespace velmora::bench {

namespace {

// A plain SQLite connection that closes itself.
class RawDb {
 public:
  RawDb(const fs::path& file, int flags) {
    if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      std::string text = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw std::runtime_error("cannot open " + file.string() + ": " + text);
    }
  }
  ~RawDb() { sqlite3_close(db_); }
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  sqlite3* get() const { return db_; }
  void exec(const std::string& sql) const {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::string text = error ? error : "";
      sqlite3_free(error);
      throw std::runtime_error(text + " in " + sql);
    }
  }
  sqlite3_stmt* prepare(const std::string& sql) const {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in " + sql);
    return st;
  }

 private:
  sqlite3* db_ = nullptr;
};

std::string ConnectionTo(const fs::path& file) {
  return "Data Source=" + db::Connection::QuoteValue(file.string()) + ";Mode=ReadWrite";
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Column {
  std::string name;
  enum Kind { Integer, Real, Text } kind;
};

// Sample texts of the width of generated cover texts.
const char* SampleText(const std::string& column) {
  if (column == "c900") return "000306A9001008007FBAE3FFBFEBFBFF";
  if (column == "c902") return "东城区华兴机械有限公司工会";
  if (column == "c907") return "C06";
  if (column == "c910") return "王建华";
  if (column == "c911") return "010-51152316";
  return "x";
}

}  // namespace

void GenerateOurs(const fs::path& shipped, const fs::path& out, std::int64_t records, std::uint64_t seed) {
  GenerateDatabase(shipped.string(), out.string(), GenerateOptions{records, seed, 5});
}

void GenerateFloor(const fs::path& shipped, const fs::path& out, std::int64_t records) {
  std::vector<std::string> schema;
  std::vector<Column> columns;
  {
    RawDb source(shipped, SQLITE_OPEN_READONLY);
    sqlite3_stmt* st = source.prepare(
        "SELECT sql FROM sqlite_master WHERE tbl_name='dt_data' AND type IN ('table', 'index') AND sql IS NOT NULL "
        "ORDER BY type DESC");
    while (sqlite3_step(st) == SQLITE_ROW) schema.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    st = source.prepare("SELECT name, upper(type) FROM pragma_table_info('dt_data')");
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      std::string type = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
      Column::Kind kind = type.find("CHAR") != std::string::npos || type.find("TEXT") != std::string::npos
                              ? Column::Text
                              : (type.find("DOUB") != std::string::npos || type.find("REAL") != std::string::npos
                                     ? Column::Real
                                     : Column::Integer);
      columns.push_back({name, kind});
    }
    sqlite3_finalize(st);
  }

  std::error_code ec;
  fs::remove(out, ec);
  RawDb db(out, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  db.exec("PRAGMA journal_mode=OFF");
  db.exec("PRAGMA synchronous=OFF");
  for (const auto& sql : schema) db.exec(sql);
  std::string names, marks;
  for (const auto& c : columns) {
    names += (names.empty() ? "" : ",") + c.name;
    marks += marks.empty() ? "?" : ",?";
  }
  db.exec("BEGIN");
  sqlite3_stmt* insert = db.prepare("INSERT INTO dt_data(" + names + ") VALUES(" + marks + ")");
  std::vector<const char*> texts;
  for (const auto& c : columns) texts.push_back(SampleText(c.name));
  for (std::int64_t row = 0; row < records; ++row) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const int index = static_cast<int>(i) + 1;
      const Column& c = columns[i];
      if (c.name == "id") {
        sqlite3_bind_int64(insert, index, row + 1);
      } else if (c.name == "c901") {
        sqlite3_bind_int64(insert, index, 110101000000 + row);
      } else if (c.kind == Column::Text) {
        sqlite3_bind_text(insert, index, texts[i], -1, SQLITE_STATIC);
      } else if (c.kind == Column::Real) {
        sqlite3_bind_double(insert, index, static_cast<double>((row * 7 + index) % 100000) / 100.0);
      } else {
        sqlite3_bind_int64(insert, index, (row * 7 + index) % 1000);
      }
    }
    if (sqlite3_step(insert) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db.get()));
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  db.exec("COMMIT");
}

std::int64_t OpenListOurs(const fs::path& file) {
  db::Connection connection(ConnectionTo(file));
  db::Query query(connection);
  query.setSql("select count(*) from dt_data");
  query.open();
  const std::int64_t count = query.field(0).asInt64();
  query.close();
  query.setSql("SELECT * from view_data where c901 > 0 order by c901 asc limit 50");
  query.open();
  std::size_t touched = 0;
  for (query.first(); !query.eof(); query.next())
    for (int i = 0; i < query.fieldCount(); ++i) touched += query.field(i).asString().size();
  query.close();
  return touched > 0 ? count : -1;
}

std::int64_t OpenListFloor(const fs::path& file) {
  RawDb db(file, SQLITE_OPEN_READWRITE);
  sqlite3_stmt* st = db.prepare("select count(*) from dt_data");
  const std::int64_t count = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
  sqlite3_finalize(st);
  st = db.prepare("SELECT * from view_data where c901 > ?1 order by c901 asc limit 50");
  sqlite3_bind_int64(st, 1, 0);
  std::size_t touched = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
      switch (sqlite3_column_type(st, i)) {
        case SQLITE_INTEGER: touched += static_cast<std::size_t>(sqlite3_column_int64(st, i) != 0); break;
        case SQLITE_FLOAT: touched += static_cast<std::size_t>(sqlite3_column_double(st, i) != 0); break;
        case SQLITE_TEXT: touched += static_cast<std::size_t>(sqlite3_column_bytes(st, i)); break;
        default: break;
      }
    }
  }
  sqlite3_finalize(st);
  return touched > 0 ? count : -1;
}

bool CompactOurs(const fs::path& file) {
  ConsolePrompts prompts;
  return files::CompactDatabaseFile(file.string(), prompts);
}

bool CompactFloor(const fs::path& file, const fs::path& out) {
  std::error_code ec;
  fs::remove(out, ec);
  std::string into = out.string();
  std::string escaped;
  for (char c : into) escaped += c == '\'' ? std::string("''") : std::string(1, c);
  const std::string command =
      "sqlite3 " + ShellQuote(file.string()) + " " + ShellQuote("VACUUM INTO '" + escaped + "'") + " 2>/dev/null";
  return std::system(command.c_str()) == 0 && fs::exists(out);
}

std::int64_t RecordCount(const fs::path& file) {
  try {
    RawDb db(file, SQLITE_OPEN_READONLY);
    sqlite3_stmt* st = db.prepare("SELECT count(*) FROM dt_data");
    const std::int64_t count = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    return count;
  } catch (const std::exception&) {
    return -1;
  }
}

}  // namespace velmora::bench
