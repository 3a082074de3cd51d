// The field catalogue as the lists read it, and the chooser's rows and save.
#include "core/catalogue/field_catalogue.h"

#include <gtest/gtest.h>

#include "core/db/query.h"
#include "support/test_paths.h"

namespace velmora::catalogue {
namespace {

using testing::TempDir;

class FieldCatalogueTest : public ::testing::Test {
 protected:
  FieldCatalogueTest()
      : file_(dir_.copyOfShipped()),
        connection_("Data Source=" + db::Connection::QuoteValue(file_.string()) + ";Mode=ReadWrite") {}
  std::vector<std::string> visibleNames(const TFieldDataArray& fields) {
    std::vector<std::string> names;
    for (const auto& f : fields)
      if (f.Visible) names.push_back(f.ShowName);
    return names;
  }
  TempDir dir_;
  std::filesystem::path file_;
  db::Connection connection_;
};

TEST_F(FieldCatalogueTest, RowsComeInSequenceOrderWithTheirMembers) {
  const TFieldDataArray fields = LoadFieldData(connection_, session::EditionSettings{});
  ASSERT_EQ(fields.size(), 157u);  // one row per dt_data column
  EXPECT_EQ(fields[0].ShowName, "id");  // sequence 0
  EXPECT_EQ(fields[1].ShowName, "c901");
  EXPECT_EQ(fields[1].Hint, "基层工会统计编码");
  EXPECT_EQ(fields[1].FieldWidth, 110);
  EXPECT_EQ(fields[1].FieldType, "DOUBLE");
  EXPECT_TRUE(fields[1].Visible);
  EXPECT_TRUE(fields[1].QueryShow);
  EXPECT_EQ(fields[1].QueryType, QueryType::Decimal);
  EXPECT_EQ(fields[2].QueryType, QueryType::Text);
  EXPECT_EQ(fields.back().ShowName, "c900");  // sequence 1000
}

TEST_F(FieldCatalogueTest, TheEditionChoosesTheCatalogueTable) {
  connection_.execute("update dt_fieldlist_quan set Hint='另一目录' where ID=1");
  session::EditionSettings companion;
  companion.EditionCompanionTable = 1;
  EXPECT_EQ(LoadFieldData(connection_, companion)[1].Hint, "另一目录");
  EXPECT_EQ(LoadFieldData(connection_, session::EditionSettings{})[1].Hint, "基层工会统计编码");
}

TEST_F(FieldCatalogueTest, QueryTypesOutsideTheFourKindsReadAsWholeNumbers) {
  const std::pair<int, QueryType> cases[] = {{0, QueryType::Integer}, {1, QueryType::Text}, {2, QueryType::Decimal},
                                             {3, QueryType::SmallCode}, {4, QueryType::Integer}, {-1, QueryType::Integer}};
  for (auto [stored, kind] : cases) EXPECT_EQ(QueryTypeFromInt(stored), kind) << stored;
}

TEST_F(FieldCatalogueTest, ChooserRowsLeaveOutNegativePagesAndCarryTheirSheet) {
  const auto rows = LoadChooserRows(connection_);
  ASSERT_FALSE(rows.empty());
  int page = 0;
  for (const auto& r : rows) {
    EXPECT_GE(r.PageID, page);  // by page
    page = r.PageID;
    EXPECT_NE(r.FieldName, "c900");
    EXPECT_NE(r.FieldName, "id");
  }
  EXPECT_EQ(rows.front().FieldName, "c901");
  EXPECT_EQ(rows.front().SheetName, "封面");
  EXPECT_EQ(rows.back().PageID, 7);
  EXPECT_EQ(rows.back().SheetName, "表7&&表8");
}

TEST_F(FieldCatalogueTest, SavingShowsExactlyTheCheckedFields) {
  const std::pair<std::vector<std::int32_t>, std::vector<std::string>> cases[] = {
      {{}, {}},
      {{11, 2, 202}, {"c902", "z002", "RecordState"}},  // in catalogue order whatever the order checked
  };
  for (const auto& [ids, names] : cases) {
    SaveChooserSelection(connection_, ids);
    EXPECT_EQ(visibleNames(LoadFieldData(connection_, session::EditionSettings{})), names);
  }
}

}  // namespace
}  // namespace velmora::catalogue
