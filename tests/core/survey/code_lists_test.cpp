// The pickers' code lists and the indicator picker's tables and fields, read by the core from the
// shipped database: each level in its order, its parameters bound (a quote is a value, not SQL).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/catalogue/search_fields.h"
#include "core/db/connection.h"
#include "core/survey/code_lists.h"
#include "support/database.h"
#include "support/test_paths.h"

namespace velmora {
namespace {

std::string Shown(const survey::CodeListRow& row, const char* column) {
  const db::Variant* v = row.find(column);
  return v ? v->toString() : "<none>";
}

TEST(CodeLists, EachLevelInItsOrderWithTheColumnsThePickerKeeps) {
  db::Connection c(testing::ConnectionTo(testing::ShippedDatabase(), true));
  struct Case {
    const char* level;
    std::function<survey::CodeList()> read;
    std::size_t count;
    const char* column;  // shown in the first row
    const char* first;
  } cases[] = {
      {"provinces", [&] { return survey::Provinces(c); }, 31, "Name", "北京市"},
      {"prefectures of 11", [&] { return survey::Prefectures(c, 11); }, 1, "Name", "市辖区"},
      {"counties of 11/1", [&] { return survey::Counties(c, 11, 1); }, 17, "Name", "市辖区"},
      {"prefectures of none", [&] { return survey::Prefectures(c, 99); }, 0, "Name", ""},
      {"sections", [&] { return survey::UnionSections(c); }, 12, "CombName", "A 教育、科技、文化、卫生、体育"},
      {"categories of A", [&] { return survey::UnionCategories(c, "A"); }, 7, "CombName", "A01 教育"},
      {"a quote is a value", [&] { return survey::UnionCategories(c, "A' or '1'='1"); }, 0, "CombName", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.level);
    const survey::CodeList rows = k.read();
    EXPECT_EQ(rows.size(), k.count);
    if (k.first[0] == '\0') {
      EXPECT_TRUE(rows.empty());
      continue;
    }
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(Shown(rows.front(), k.column), k.first);
    EXPECT_NE(rows.front().find("Code1"), nullptr);
    EXPECT_EQ(rows.front().find("NoSuchColumn"), nullptr);
  }
}

TEST(SearchFields, TablesInNumberOrderAndEachTablesIndicators) {
  db::Connection c(testing::ConnectionTo(testing::ShippedDatabase(), true));
  const std::vector<catalogue::SheetName> sheets = catalogue::SheetNames(c);
  ASSERT_GE(sheets.size(), 8u);
  EXPECT_EQ(sheets[0].id, 0);
  EXPECT_EQ(sheets[1].name, "表1 工会组织建设状况");
  for (std::size_t i = 1; i < sheets.size(); ++i) EXPECT_LT(sheets[i - 1].id, sheets[i].id);
  EXPECT_EQ(catalogue::SearchFields(c, 1).size(),
            static_cast<std::size_t>(testing::Scalar(c, "select count(*) from view_datasearch where PageID=1").toInt64()));
  EXPECT_TRUE(catalogue::SearchFields(c, 99).empty());
}

}  // namespace
}  // namespace velmora
