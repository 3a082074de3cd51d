#include "core/db/statement.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/db/error.h"

namespace velmora::db {

Statement::Statement(Connection& connection, const std::string& jetSql) : st_(connection.prepare(jetSql)) {}

Statement Statement::Native(Connection& connection, const std::string& sqliteSql) {
  return Statement(connection.prepareNative(sqliteSql));
}

Statement Statement::NativeSingle(Connection& connection, const std::string& sqliteSql) {
  return Statement(connection.prepareNative(sqliteSql, true));
}

Statement::~Statement() { sqlite3_finalize(st_); }

Statement::Statement(Statement&& other) noexcept : st_(std::exchange(other.st_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(st_);
    st_ = std::exchange(other.st_, nullptr);
  }
  return *this;
}

void Statement::require() const {
  if (!st_) throw DbError("语句没有准备");
}

// The engine takes values only before a statement's first step: a statement that has stepped (to
// a row or to its end) is started over, so the values bound now are the ones the next run uses.
template <class BindOnce>
void Statement::bindRetried(BindOnce bindOnce, int index) {
  int rc = bindOnce();
  if (rc == SQLITE_MISUSE && st_) {
    sqlite3_reset(st_);
    rc = bindOnce();
  }
  check(rc, index);
}

Statement& Statement::bind(int index, const Variant& value) {
  require();
  if (index < 1 || index > sqlite3_bind_parameter_count(st_))
    throw DbError("参数位置超出范围: " + std::to_string(index));
  bindRetried([&] { return BindValue(st_, index, value); }, index);
  return *this;
}

Statement& Statement::bind(const std::string& name, const Variant& value) {
  require();
  const bool prefixed = !name.empty() && (name[0] == ':' || name[0] == '@' || name[0] == '$');
  int index = 0;
  if (prefixed) {
    index = sqlite3_bind_parameter_index(st_, name.c_str());
  } else {
    for (const char* p : {":", "@", "$"}) {
      index = sqlite3_bind_parameter_index(st_, (p + name).c_str());
      if (index > 0) break;
    }
  }
  if (index <= 0) throw DbError("语句中没有参数: " + name);
  bindRetried([&] { return BindValue(st_, index, value); }, index);
  return *this;
}

Statement& Statement::bindAll(const std::map<std::string, Variant>& params) {
  require();
  bindRetried([&] { return BindParameters(st_, params); }, 0);
  return *this;
}

void Statement::check(int rc, int index) const {
  if (rc == SQLITE_OK) return;
  if (!st_) require();
  if (rc == SQLITE_RANGE) throw DbError("参数位置超出范围: " + std::to_string(index), rc);
  throw DbError(sqlite3_errstr(rc), rc);
}

Statement& Statement::bindInt64(int index, std::int64_t value) {
  // the engine answers a missing statement with a misuse code, which check() throws
  bindRetried([&] { return sqlite3_bind_int64(st_, index, value); }, index);
  return *this;
}

Statement& Statement::bindDouble(int index, double value) {
  bindRetried([&] { return sqlite3_bind_double(st_, index, value); }, index);
  return *this;
}

Statement& Statement::bindNull(int index) {
  bindRetried([&] { return sqlite3_bind_null(st_, index); }, index);
  return *this;
}

Statement& Statement::bindText(int index, std::string_view text) {
  bindRetried([&] { return sqlite3_bind_text(st_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT); }, index);
  return *this;
}

Statement& Statement::bindStaticText(int index, std::string_view text) {
  bindRetried([&] { return sqlite3_bind_text(st_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC); }, index);
  return *this;
}

Statement& Statement::clearBindings() {
  require();
  sqlite3_clear_bindings(st_);
  return *this;
}

int Statement::parameterCount() const {
  require();
  return sqlite3_bind_parameter_count(st_);
}

bool Statement::step() {
  require();
  int rc = sqlite3_step(st_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3* db = sqlite3_db_handle(st_);
  std::string text = sqlite3_errmsg(db);
  int code = sqlite3_extended_errcode(db);
  sqlite3_reset(st_);
  throw DbError(text, code);
}

std::int64_t Statement::run() {
  while (step()) {
  }
  return sqlite3_changes64(sqlite3_db_handle(st_));
}

void Statement::reset() {
  require();
  sqlite3_reset(st_);
}

int Statement::columnCount() const {
  require();
  return sqlite3_column_count(st_);
}

std::string Statement::columnName(int column) const {
  require();
  const char* name = sqlite3_column_name(st_, column);
  return name ? name : "";
}

std::string Statement::declaredType(int column) const {
  require();
  const char* type = sqlite3_column_decltype(st_, column);
  return type ? type : "";
}

ValueKind Statement::kind(int column) const {
  require();
  switch (sqlite3_column_type(st_, column)) {
    case SQLITE_INTEGER: return ValueKind::Integer;
    case SQLITE_FLOAT: return ValueKind::Float;
    case SQLITE_TEXT: return ValueKind::Text;
    case SQLITE_BLOB: return ValueKind::Blob;
    default: return ValueKind::Null;
  }
}

int Statement::findColumn(std::string_view name) const {
  require();
  const int n = sqlite3_column_count(st_);
  for (int i = 0; i < n; ++i) {
    const char* c = sqlite3_column_name(st_, i);
    if (!c) continue;
    std::string_view column(c);
    if (column.size() == name.size() &&
        std::equal(column.begin(), column.end(), name.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        }))
      return i;
  }
  return -1;
}

Variant Statement::value(int column) const {
  require();
  return ColumnValue(st_, column);
}

std::int64_t Statement::int64(int column) const {
  require();
  return sqlite3_column_int64(st_, column);
}

std::optional<double> Statement::number(int column) const {
  require();
  sqlite3_value* value = sqlite3_column_value(st_, column);
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: return static_cast<double>(sqlite3_value_int64(value));
    case SQLITE_FLOAT: return sqlite3_value_double(value);
    default: return std::nullopt;
  }
}

double Statement::real(int column) const {
  require();
  return sqlite3_column_double(st_, column);
}

std::string Statement::text(int column) const {
  require();
  const unsigned char* t = sqlite3_column_text(st_, column);
  int len = sqlite3_column_bytes(st_, column);
  return t ? std::string(reinterpret_cast<const char*>(t), static_cast<std::size_t>(len)) : std::string();
}

std::string_view Statement::textView(int column) const {
  require();
  const unsigned char* t = sqlite3_column_text(st_, column);
  int len = sqlite3_column_bytes(st_, column);
  return t ? std::string_view(reinterpret_cast<const char*>(t), static_cast<std::size_t>(len)) : std::string_view();
}

std::string Statement::sql() const {
  require();
  const char* s = sqlite3_sql(st_);
  return s ? s : "";
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
  connection_.beginTrans();
  active_ = true;
}

Transaction::~Transaction() {
  if (active_) {
    try {
      connection_.rollbackTrans();
    } catch (...) {
    }
  }
}

void Transaction::commit() {
  if (!active_) throw DbError("没有开始的事务");
  active_ = false;  // a failed commit leaves the engine to roll back; the guard is spent either way
  try {
    connection_.commitTrans();
  } catch (...) {
    connection_.rollbackTrans();
    throw;
  }
}

void Transaction::rollback() {
  if (!active_) return;
  active_ = false;
  connection_.rollbackTrans();
}

}  // namespace velmora::db
