#include <sqlite3.h>

#include <stdexcept>

#include "forms.h"

namespace velmora::mktemplate {

namespace {

std::string Text(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

std::vector<CatalogueRow> ReadCatalogue(const std::filesystem::path& database) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + database.string());
  }
  sqlite3_stmt* statement = nullptr;
  const char* sql =
      "SELECT FieldName, Hint, FieldType, PageID, printPageID, printplace FROM dt_fieldlist ORDER BY ID";
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    const std::string message = sqlite3_errmsg(db);
    sqlite3_close(db);
    throw std::runtime_error("cannot read the field catalogue: " + message);
  }
  std::vector<CatalogueRow> rows;
  while (sqlite3_step(statement) == SQLITE_ROW)
    rows.push_back({Text(statement, 0), Text(statement, 1), Text(statement, 2), sqlite3_column_int(statement, 3),
                    sqlite3_column_int(statement, 4), Text(statement, 5)});
  sqlite3_finalize(statement);
  sqlite3_close(db);
  if (rows.empty()) throw std::runtime_error("the field catalogue of " + database.string() + " is empty");
  return rows;
}

}  // namespace velmora::mktemplate
