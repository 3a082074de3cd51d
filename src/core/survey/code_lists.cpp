#include "core/survey/code_lists.h"

#include <algorithm>
#include <array>

#include "core/base/text.h"
#include "core/db/statement.h"

namespace velmora::survey {

namespace {

constexpr std::array<const char*, 6> kKept = {"ID", "Code1", "Code2", "Code3", "Name", "CombName"};

CodeList Read(db::Statement& st) {
  // The kept columns by their position in this table's rows (names compared case aside).
  std::vector<std::pair<std::string, int>> slots;
  for (const char* kept : kKept) {
    for (int i = 0; i < st.columnCount(); ++i) {
      if (base::AsciiLower(st.columnName(i)) == base::AsciiLower(kept)) {
        slots.emplace_back(kept, i);
        break;
      }
    }
  }
  CodeList rows;
  while (st.step()) {
    CodeListRow row;
    row.columns.reserve(slots.size());
    for (const auto& [name, i] : slots) row.columns.emplace_back(name, st.value(i));
    rows.push_back(std::move(row));
  }
  return rows;
}

CodeList Read(db::Connection& connection, const std::string& sql) {
  db::Statement st(connection, sql);
  return Read(st);
}

}  // namespace

const db::Variant* CodeListRow::find(const std::string& column) const {
  const auto it = std::find_if(columns.begin(), columns.end(), [&](const auto& c) { return c.first == column; });
  return it == columns.end() ? nullptr : &it->second;
}

CodeList Provinces(db::Connection& connection) {
  return Read(connection, "select * from CT_CityName where Code2=0 order by Code1");
}

CodeList Prefectures(db::Connection& connection, int code1) {
  db::Statement st(connection, "select * from CT_CityName where Code1=?1 and Code2<>0 and Code3=0 order by Code2");
  st.bindInt64(1, code1);
  return Read(st);
}

CodeList Counties(db::Connection& connection, int code1, int code2) {
  db::Statement st(connection, "select * from CT_CityName where Code1=?1 and Code2=?2 order by Code3");
  st.bindInt64(1, code1);
  st.bindInt64(2, code2);
  return Read(st);
}

CodeList UnionSections(db::Connection& connection) {
  return Read(connection, "select * from CT_UnionDomain where Code2=0 order by Code1");
}

// The section is bound, never spliced: a letter as stored in Code1.
CodeList UnionCategories(db::Connection& connection, const std::string& section) {
  db::Statement st(connection, "select * from CT_UnionDomain where Code1=?1 and Code2<>0 order by Code2");
  st.bindText(1, section);
  return Read(st);
}

}  // namespace velmora::survey
