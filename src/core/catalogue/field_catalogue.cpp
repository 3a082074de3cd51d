#include "core/catalogue/field_catalogue.h"

#include "core/db/query.h"

namespace velmora::catalogue {

QueryType QueryTypeFromInt(std::int64_t value) {
  switch (value) {
    case 1: return QueryType::Text;
    case 2: return QueryType::Decimal;
    case 3: return QueryType::SmallCode;
    default: return QueryType::Integer;
  }
}

std::string FieldListTable(const session::EditionSettings& edition) {
  return edition.EditionCompanionTable == 1 ? kFieldListCompanionTable : kFieldListTable;
}

TFieldDataArray LoadFieldData(db::Connection& connection, const session::EditionSettings& edition) {
  db::Table table(connection);
  table.setTableName(FieldListTable(edition));
  table.setIndexName("sequence");
  table.open();
  TFieldDataArray fields;
  fields.reserve(static_cast<std::size_t>(table.recordCount()));
  for (table.first(); !table.eof(); table.next()) {
    TFieldData f;
    f.ID = table["ID"].asInteger();
    f.FieldName = table["FieldName"].asString();
    f.ShowName = table["ShowName"].asString();
    f.Hint = table["Hint"].asString();
    f.FieldWidth = table["FieldWidth"].asInteger();
    f.FieldType = table["FieldType"].asString();
    f.Visible = table["Visible"].asBoolean();
    f.QueryShow = table["QueryShow"].asBoolean();
    f.QueryType = QueryTypeFromInt(table["QueryType"].asInt64());
    fields.push_back(std::move(f));
  }
  table.close();
  return fields;
}

std::vector<ChooserRow> LoadChooserRows(db::Connection& connection) {
  db::Query query(connection);
  query.setSql(kChooserSql);
  query.open();
  std::vector<ChooserRow> rows;
  for (query.first(); !query.eof(); query.next()) {
    ChooserRow r;
    r.id = query["id"].asInteger();
    r.FieldName = query["FieldName"].asString();
    r.Hint = query["Hint"].asString();
    r.visible = query["visible"].asBoolean();
    r.PageID = query["PageID"].asInteger();
    r.SheetName = query["SheetName"].asString();
    rows.push_back(std::move(r));
  }
  query.close();
  return rows;
}

void SaveChooserSelection(db::Connection& connection, const std::vector<std::int32_t>& visibleIds) {
  connection.execute("update view_fieldlist set visible=false");
  for (std::int32_t id : visibleIds)
    connection.execute("update view_fieldlist set visible=true where id=" + std::to_string(id));
}

}  // namespace velmora::catalogue
