#include "core/catalogue/search_fields.h"

#include "core/db/statement.h"

namespace velmora::catalogue {

std::vector<SheetName> SheetNames(db::Connection& connection) {
  std::vector<SheetName> sheets;
  db::Statement st(connection, "Select CodeID, CodeName from ct_sheetName where CodeID>=0 order by CodeID");
  while (st.step()) sheets.push_back({static_cast<int>(st.value(0).toInt64()), st.value(1).toString()});
  return sheets;
}

std::vector<SearchField> SearchFields(db::Connection& connection, int page) {
  std::vector<SearchField> fields;
  db::Statement st(connection, "Select * from view_datasearch where PageID=?1 order by sequence");
  st.bindInt64(1, page);
  int codeColumn = -1, hintColumn = -1;
  for (int i = 0; i < st.columnCount(); ++i) {
    if (st.columnName(i) == "CodeName") codeColumn = i;
    if (st.columnName(i) == "Hint") hintColumn = i;
  }
  while (codeColumn >= 0 && st.step())
    fields.push_back({st.value(codeColumn).toString(), hintColumn >= 0 ? st.value(hintColumn).toString() : ""});
  return fields;
}

}  // namespace velmora::catalogue
