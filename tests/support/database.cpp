#include "support/database.h"

#include <stdexcept>

#include "support/test_paths.h"

namespace velmora::testing {

namespace {

db::Statement Prepared(db::Connection& connection, const std::string& sql, const Row& params) {
  db::Statement st = db::Statement::Native(connection, sql);
  for (std::size_t i = 0; i < params.size(); ++i) st.bind(static_cast<int>(i) + 1, params[i]);
  return st;
}

}  // namespace

std::string ConnectionTo(const std::filesystem::path& file, bool readOnly) {
  return "Data Source=" + db::Connection::QuoteValue(file.string()) + (readOnly ? ";Mode=Read" : ";Mode=ReadWrite");
}

void Exec(db::Connection& connection, const std::string& sql) { connection.executeNative(sql); }

db::Variant Scalar(db::Connection& connection, const std::string& sql, const Row& params) {
  db::Statement st = Prepared(connection, sql, params);
  return st.step() ? st.value(0) : db::Variant();
}

std::int64_t Count(db::Connection& connection, const std::string& from) {
  return Scalar(connection, "SELECT count(*) FROM " + from).toInt64();
}

std::vector<Row> Rows(db::Connection& connection, const std::string& sql, const Row& params) {
  db::Statement st = Prepared(connection, sql, params);
  std::vector<Row> rows;
  while (st.step()) {
    Row row;
    for (int i = 0; i < st.columnCount(); ++i) row.push_back(st.value(i));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<db::Variant> Column(db::Connection& connection, const std::string& sql, const Row& params) {
  db::Statement st = Prepared(connection, sql, params);
  std::vector<db::Variant> values;
  while (st.step()) values.push_back(st.value(0));
  return values;
}

void Exec(const std::filesystem::path& file, const std::string& sql) {
  db::Connection connection(ConnectionTo(file));
  Exec(connection, sql);
}

db::Variant Scalar(const std::filesystem::path& file, const std::string& sql, const Row& params) {
  db::Connection connection(ConnectionTo(file));
  return Scalar(connection, sql, params);
}

std::int64_t Count(const std::filesystem::path& file, const std::string& from) {
  db::Connection connection(ConnectionTo(file));
  return Count(connection, from);
}

void BreakTable(const std::filesystem::path& file, const std::string& table) {
  std::int64_t pageSize = 0, root = 0;
  {
    db::Connection c(ConnectionTo(file));
    pageSize = Scalar(c, "PRAGMA page_size").toInt64();
    root = Scalar(c, "SELECT rootpage FROM sqlite_master WHERE name = ?1", {db::Variant(table)}).toInt64();
  }
  std::string bytes = ReadFileBytes(file);
  const auto at = static_cast<std::size_t>((root - 1) * pageSize);
  if (root < 2 || at >= bytes.size()) throw std::runtime_error("no table to damage: " + table);
  bytes[at] = '\x01';  // no kind of page the engine knows
  WriteFileBytes(file, bytes);
}

}  // namespace velmora::testing
