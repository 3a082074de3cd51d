#include "core/db/connection.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "core/base/text.h"
#include "core/db/translate.h"

namespace velmora::db {

namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& context = {}) {
  std::string text = db ? sqlite3_errmsg(db) : "database engine error";
  int code = db ? sqlite3_extended_errcode(db) : 0;
  throw DbError(context.empty() ? text : context + ": " + text, code);
}

// The largest integer not above x (Jet's Int).
void IntFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: sqlite3_result_null(ctx); return;
    case SQLITE_INTEGER: sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0])); return;
    default: {
      double d = std::floor(sqlite3_value_double(argv[0]));
      if (std::fabs(d) < 9e18) sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(d));
      else sqlite3_result_double(ctx, d);
    }
  }
}

int TraceStatement(unsigned, void* trace, void* statement, void*) {
  const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(statement));
  (*static_cast<Connection::StatementTrace*>(trace))(sql ? sql : "");
  return 0;
}

void RegisterFunctions(sqlite3* db) {
  sqlite3_create_function(db, "int", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, IntFunction, nullptr, nullptr);
}

}  // namespace

Connection::Connection() = default;
Connection::Connection(const std::string& connectionString) { setConnectionString(connectionString); }
Connection::~Connection() {
  try {
    close();
  } catch (...) {
  }
}

std::string Connection::DataSourceOf(const std::string& connectionString) {
  // "key=value" pairs separated by ';'; a value may be put between double quotes (a doubled
  // quote inside stands for one), so a file name may hold ';' or outer blanks.
  std::size_t pos = 0;
  const std::string& s = connectionString;
  while (pos < s.size()) {
    std::size_t eq = s.find('=', pos);
    if (eq == std::string::npos) break;
    std::string key = base::Lower(base::Trim(s.substr(pos, eq - pos), " \t"));
    std::size_t v = eq + 1;
    while (v < s.size() && s[v] == ' ') ++v;
    std::string value;
    std::size_t next;
    if (v < s.size() && s[v] == '"') {
      std::size_t i = v + 1;
      while (i < s.size()) {
        if (s[i] == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {
            value += '"';
            i += 2;
            continue;
          }
          break;
        }
        value += s[i++];
      }
      next = s.find(';', i);
    } else {
      next = s.find(';', v);
      value = base::Trim(s.substr(v, next == std::string::npos ? std::string::npos : next - v), " \t");
    }
    if (key == "data source") return value;
    if (next == std::string::npos) break;
    pos = next + 1;
  }
  return {};
}

std::string Connection::QuoteValue(const std::string& value) {
  bool plain = value.find_first_of(";\"") == std::string::npos && base::Trim(value, " \t") == value;
  if (plain) return value;
  std::string out = "\"";
  for (char c : value) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

void Connection::setConnectionString(const std::string& connectionString) {
  close();
  connectionString_ = connectionString;
  dataSource_ = DataSourceOf(connectionString);
  std::string lower = base::Lower(connectionString);
  std::size_t m = lower.find("mode=");
  readOnly_ = m != std::string::npos && lower.compare(m + 5, 4, "read") == 0 && lower.compare(m + 5, 9, "readwrite") != 0;
}

void Connection::open() {
  if (db_) return;
  if (dataSource_.empty()) throw DbError("连接字符串中没有指定数据库文件");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(dataSource_, ec)) throw DbError("找不到文件 '" + dataSource_ + "'");
  int flags = (readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(dataSource_.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    std::string text = db ? sqlite3_errmsg(db) : "cannot open";
    const int code = db ? sqlite3_extended_errcode(db) : SQLITE_CANTOPEN;
    sqlite3_close(db);
    throw DbError(text, code);
  }
  sqlite3_busy_timeout(db, busyTimeoutMs_);
  sqlite3_extended_result_codes(db, 1);
  if (untrustedMaxValue_ > 0) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, untrustedMaxValue_);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
  }
  // The file must be a readable database: reading its schema tells.
  char* err = nullptr;
  if (const int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err); rc != SQLITE_OK) {
    std::string text = err ? err : sqlite3_errmsg(db);
    const int code = sqlite3_extended_errcode(db);
    sqlite3_free(err);
    sqlite3_close(db);
    throw DbError(text, code);
  }
  RegisterFunctions(db);
  db_ = db;
  ++openCount_;
  if (trace_) sqlite3_trace_v2(db_, SQLITE_TRACE_STMT, TraceStatement, trace_.get());
}

void Connection::setUntrusted(int maxValueBytes) {
  close();
  untrustedMaxValue_ = maxValueBytes > 0 ? maxValueBytes : 1;
}

void Connection::setGuarded(bool on) {
  sqlite3* db = handle();
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, on ? 1 : 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, on ? 0 : 1, nullptr);
}

void Connection::openInMemory() {
  close();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    std::string text = db ? sqlite3_errmsg(db) : "cannot open";
    sqlite3_close(db);
    throw DbError(text);
  }
  sqlite3_extended_result_codes(db, 1);
  RegisterFunctions(db);
  db_ = db;
  ++openCount_;
}

void Connection::close() {
  if (!db_) return;
  if (transactionBegun_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  transactionDepth_ = 0;
  transactionBegun_ = false;
  attached_.clear();
  sqlite3_close_v2(db_);
  db_ = nullptr;
}

sqlite3* Connection::handle() {
  open();
  return db_;
}

void Connection::setBusyTimeout(int ms) {
  busyTimeoutMs_ = ms;
  if (db_) sqlite3_busy_timeout(db_, ms);
}

void Connection::beginTrans() {
  open();
  if (transactionDepth_ > 0) throw DbError("事务已经开始");
  transactionDepth_ = 1;
  transactionBegun_ = false;  // BEGIN follows the attachments of the first statement
}

void Connection::beginPendingTransaction() {
  if (transactionDepth_ > 0 && !transactionBegun_) {
    char* err = nullptr;
    if (sqlite3_exec(db_, readOnly_ ? "BEGIN" : "BEGIN IMMEDIATE", nullptr, nullptr, &err) != SQLITE_OK) {
      std::string text = err ? err : "BEGIN failed";
      sqlite3_free(err);
      throw DbError(text, sqlite3_extended_errcode(db_));
    }
    transactionBegun_ = true;
  }
}

void Connection::commitTrans() {
  if (transactionDepth_ == 0) throw DbError("没有开始的事务");
  if (transactionBegun_ && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db_);
  transactionDepth_ = 0;
  transactionBegun_ = false;
  detachAll();
}

void Connection::rollbackTrans() {
  if (transactionDepth_ == 0) return;
  if (transactionBegun_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  transactionDepth_ = 0;
  transactionBegun_ = false;
  detachAll();
}

std::string Connection::attachFor(const std::vector<std::string>& files, std::string sql) {
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::string schema;
    auto it = attached_.find(files[i]);
    if (it != attached_.end()) {
      schema = it->second;
    } else {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(files[i], ec)) throw DbError("找不到文件 '" + files[i] + "'");
      schema = "vm_file" + std::to_string(nextAttach_++);
      sqlite3_stmt* st = nullptr;
      if (sqlite3_prepare_v2(db_, "ATTACH DATABASE ?1 AS ?2", -1, &st, nullptr) != SQLITE_OK) Fail(db_);
      sqlite3_bind_text(st, 1, files[i].c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(st, 2, schema.c_str(), -1, SQLITE_TRANSIENT);
      int rc = sqlite3_step(st);
      sqlite3_finalize(st);
      if (rc != SQLITE_DONE) Fail(db_);
      attached_[files[i]] = schema;
    }
    std::string alias = ExternalAlias(i);
    for (std::size_t p = sql.find(alias); p != std::string::npos; p = sql.find(alias, p + schema.size()))
      sql.replace(p, alias.size(), schema);
  }
  return sql;
}

void Connection::detachAll() {
  if (!db_) return;
  for (const auto& [file, schema] : attached_)
    sqlite3_exec(db_, ("DETACH DATABASE " + schema).c_str(), nullptr, nullptr, nullptr);
  attached_.clear();
}

sqlite3_stmt* Connection::prepare(const std::string& jetSql) {
  open();
  Translation t = TranslateJetSql(jetSql);
  std::string sql = attachFor(t.files, t.sql);
  return prepareNative(sql);
}

sqlite3_stmt* Connection::prepareNative(const std::string& sqliteSql, bool single) {
  open();
  beginPendingTransaction();
  sqlite3_stmt* st = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, sqliteSql.c_str(), static_cast<int>(sqliteSql.size()), &st, &tail) != SQLITE_OK) Fail(db_);
  if (!st) throw DbError("语句为空");
  if (single) {
    for (const char* end = sqliteSql.c_str() + sqliteSql.size(); tail && tail < end; ++tail) {
      if (*tail != ' ' && *tail != ';') {
        sqlite3_finalize(st);
        throw DbError("more than one statement");
      }
    }
  }
  return st;
}

void Connection::executeNative(const std::string& sqliteSql) {
  open();
  beginPendingTransaction();
  char* err = nullptr;
  if (sqlite3_exec(db_, sqliteSql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string text = err ? err : sqlite3_errmsg(db_);
    sqlite3_free(err);
    throw DbError(text, sqlite3_extended_errcode(db_));
  }
}

namespace {

Variant ArgumentValue(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return Variant(static_cast<std::int64_t>(sqlite3_value_int64(v)));
    case SQLITE_FLOAT: return Variant(sqlite3_value_double(v));
    case SQLITE_NULL: return Variant();
    default: {
      const unsigned char* text = sqlite3_value_text(v);
      const int len = sqlite3_value_bytes(v);
      return Variant(text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(len)) : std::string());
    }
  }
}

void CallFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  const auto& function = *static_cast<const Connection::ScalarFunction*>(sqlite3_user_data(ctx));
  std::vector<Variant> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(ArgumentValue(argv[i]));
  try {
    const Variant result = function(arguments);
    switch (result.raw().index()) {
      case 1: sqlite3_result_int64(ctx, result.toInt64()); break;
      case 2: sqlite3_result_double(ctx, result.toDouble()); break;
      case 3: {
        const std::string& s = std::get<std::string>(result.raw());
        sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        break;
      }
      default: sqlite3_result_null(ctx);
    }
  } catch (const std::exception& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void DeleteFunction(void* function) { delete static_cast<Connection::ScalarFunction*>(function); }

}  // namespace

void Connection::traceStatements(StatementTrace trace) {
  open();
  trace_ = trace ? std::make_unique<StatementTrace>(std::move(trace)) : nullptr;
  sqlite3_trace_v2(db_, trace_ ? SQLITE_TRACE_STMT : 0, trace_ ? TraceStatement : nullptr, trace_.get());
}

void Connection::createFunction(const std::string& name, int argumentCount, ScalarFunction function) {
  open();
  auto* owned = new ScalarFunction(std::move(function));
  // The engine owns the function from here on and deletes it, even when registering fails.
  if (sqlite3_create_function_v2(db_, name.c_str(), argumentCount, SQLITE_UTF8, owned, CallFunction, nullptr, nullptr,
                                 DeleteFunction) != SQLITE_OK)
    Fail(db_, name);
}

std::int64_t Connection::execute(const std::string& sql, const std::map<std::string, Variant>& params) {
  open();
  Translation t = TranslateJetSql(sql);
  std::string native = attachFor(t.files, t.sql);
  beginPendingTransaction();
  std::int64_t changed = 0;
  const char* p = native.c_str();
  const char* end = p + native.size();
  try {
    while (p < end) {
      sqlite3_stmt* st = nullptr;
      const char* tail = nullptr;
      if (sqlite3_prepare_v2(db_, p, static_cast<int>(end - p), &st, &tail) != SQLITE_OK) Fail(db_);
      p = tail;
      if (!st) continue;  // white space or a lone ';'
      BindParameters(st, params);
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      }
      if (rc != SQLITE_DONE) {
        std::string text = sqlite3_errmsg(db_);
        int code = sqlite3_extended_errcode(db_);
        sqlite3_finalize(st);
        throw DbError(text, code);
      }
      changed += sqlite3_changes64(db_);
      sqlite3_finalize(st);
    }
  } catch (...) {
    if (!inTransaction()) detachAll();
    throw;
  }
  if (!inTransaction()) detachAll();
  return changed;
}

std::vector<std::string> Connection::tableNames() {
  std::vector<std::string> names;
  sqlite3_stmt* st = prepareNative(
      "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name");
  while (sqlite3_step(st) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  return names;
}

bool Connection::TableExists(const std::string& name) {
  std::string wanted = base::Lower(name);
  for (const std::string& n : tableNames())
    if (base::Lower(n) == wanted) return true;
  return false;
}

std::vector<std::string> Connection::columnNames(const std::string& tableOrView) {
  std::vector<std::string> names;
  sqlite3_stmt* st = prepareNative("SELECT name FROM pragma_table_info(?1)");
  sqlite3_bind_text(st, 1, tableOrView.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(st) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  return names;
}

int BindValue(sqlite3_stmt* st, int index, const Variant& v) {
  switch (v.raw().index()) {
    case 1: return sqlite3_bind_int64(st, index, v.toInt64());
    case 2: return sqlite3_bind_double(st, index, v.toDouble());
    case 3: {
      const std::string& s = std::get<std::string>(v.raw());
      return sqlite3_bind_text(st, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    default: return sqlite3_bind_null(st, index);
  }
}

int BindParameters(sqlite3_stmt* st, const std::map<std::string, Variant>& params) {
  int n = sqlite3_bind_parameter_count(st);
  for (int i = 1; i <= n; ++i) {
    const char* name = sqlite3_bind_parameter_name(st, i);
    if (!name || !*name) continue;
    std::string key = base::Lower(name + 1);
    for (const auto& [k, v] : params) {
      std::string kk = base::Lower(!k.empty() && (k[0] == ':' || k[0] == '@' || k[0] == '$') ? k.substr(1) : k);
      if (kk == key) {
        if (const int rc = BindValue(st, i, v); rc != SQLITE_OK) return rc;
        break;
      }
    }
  }
  return SQLITE_OK;
}

Variant ColumnValue(sqlite3_stmt* st, int column) {
  switch (sqlite3_column_type(st, column)) {
    case SQLITE_INTEGER: return Variant(static_cast<std::int64_t>(sqlite3_column_int64(st, column)));
    case SQLITE_FLOAT: return Variant(sqlite3_column_double(st, column));
    case SQLITE_NULL: return Variant();
    default: {
      const unsigned char* text = sqlite3_column_text(st, column);
      int len = sqlite3_column_bytes(st, column);
      return Variant(std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(len)));
    }
  }
}

void CreateDatabase(const std::string& connectionString) {
  std::string file = Connection::DataSourceOf(connectionString);
  std::error_code ec;
  if (file.empty()) throw DbError("连接字符串中没有指定数据库文件");
  if (std::filesystem::exists(file, ec)) throw DbError("数据库已经存在: " + file);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
  // An empty SQLite file is only a database once it has a page: write the header now.
  if (rc == SQLITE_OK)
    rc = sqlite3_exec(db, "CREATE TABLE vm_new(a); DROP TABLE vm_new;", nullptr, nullptr, nullptr);
  std::string text = db ? sqlite3_errmsg(db) : "cannot create";
  sqlite3_close(db);
  if (rc != SQLITE_OK) {
    std::filesystem::remove(file, ec);
    throw DbError(text);
  }
}

bool IsBusy(const DbError& error) {
  const int primary = error.code() & 0xFF;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

void VacuumDatabase(const std::string& file, int busyTimeoutMs) {
  Connection connection("Data Source=" + Connection::QuoteValue(file) + ";Mode=ReadWrite");
  connection.setBusyTimeout(busyTimeoutMs);
  sqlite3* db = connection.handle();
  char* err = nullptr;
  if (sqlite3_exec(db, "VACUUM", nullptr, nullptr, &err) != SQLITE_OK) {
    std::string text = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    throw DbError(text, sqlite3_extended_errcode(db));
  }
  // A database in write-ahead mode carries the compacted pages in its log until a checkpoint.
  sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

void CopyDatabaseContent(Connection& source, Connection& destination) {
  sqlite3* to = destination.handle();
  sqlite3_backup* backup = sqlite3_backup_init(to, "main", source.handle(), "main");
  if (!backup) Fail(to);
  const int rc = sqlite3_backup_step(backup, -1);
  sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) {
    const char* text = sqlite3_errstr(rc);
    throw DbError(text ? text : "backup failed", rc);
  }
}

void CompactDatabase(const std::string& sourceConnection, const std::string& destinationConnection) {
  Connection source(sourceConnection);
  std::string target = Connection::DataSourceOf(destinationConnection);
  std::error_code ec;
  if (target.empty()) throw DbError("连接字符串中没有指定数据库文件");
  if (std::filesystem::exists(target, ec)) throw DbError("数据库已经存在: " + target);
  sqlite3_stmt* st = source.prepareNative("VACUUM INTO ?1");
  sqlite3_bind_text(st, 1, target.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(st);
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) {
    std::string text = sqlite3_errmsg(source.handle());
    std::filesystem::remove(target, ec);
    throw DbError(text);
  }
}

}  // namespace velmora::db
