#pragma once
// The tests' own statements on a database: set-up, one value, a count, rows. Statements are in the
// engine's dialect, as they stand; parameters are ?1, ?2 ...

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/db/variant.h"

namespace velmora::testing {

using Row = std::vector<db::Variant>;

// The connection string of a database file (read-write unless `readOnly`).
std::string ConnectionTo(const std::filesystem::path& file, bool readOnly = false);

// Runs the statements (several may be separated by ';'); a failure throws db::DbError.
void Exec(db::Connection& connection, const std::string& sql);
// The first column of the first row; null when there is no row.
db::Variant Scalar(db::Connection& connection, const std::string& sql, const Row& params = {});
// count(*) of a table, or of "table WHERE ...".
std::int64_t Count(db::Connection& connection, const std::string& from);
// Every row, or the first column of every row.
std::vector<Row> Rows(db::Connection& connection, const std::string& sql, const Row& params = {});
std::vector<db::Variant> Column(db::Connection& connection, const std::string& sql, const Row& params = {});

// The same on a file, through a connection of its own that closes again.
void Exec(const std::filesystem::path& file, const std::string& sql);
db::Variant Scalar(const std::filesystem::path& file, const std::string& sql, const Row& params = {});
std::int64_t Count(const std::filesystem::path& file, const std::string& from);

// Damages a plain database file where a table starts: its first page no longer reads as one of
// the engine's pages, so reading the table fails as a damaged file does.
void BreakTable(const std::filesystem::path& file, const std::string& table);

}  // namespace velmora::testing
