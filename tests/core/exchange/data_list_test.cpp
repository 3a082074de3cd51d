// The data list export: the columns of the ticked tables, the three scopes and the table list file.
#include "core/exchange/data_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/jobs/job.h"
#include "core/text/gbk_encoder.h"
#include "support/database.h"
#include "support/saved_workbook.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::exchange {
namespace {

namespace fs = std::filesystem;
using testing::Exec;
using testing::ScriptedPrompts;
using testing::TempDir;

class DataListTest : public ::testing::Test {
 protected:
  DataListTest() : file(dir.copyOfShipped()), connection(testing::ConnectionTo(file)) {
    Exec(connection,
         "INSERT INTO dt_data (id, c901, c902, RecordState) VALUES (1, 100, '甲', 1), (2, 150, '乙', 1),"
         "(3, 199, '丙', 2), (4, 200, '丁', 1), (5, 250, '戊', 0);"
         "DELETE FROM DT_GroupItem;"
         "INSERT INTO DT_GroupItem (id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) VALUES"
         "(7, '一百到二百', 1, 100, 200, '>=', '<'), (8, '坏的', 1, 100, 200, '>=0 or 1=1 --', '<')");
  }

  // The codes the request's statement selects; empty with the message when there is none.
  std::vector<std::int64_t> Codes(DataListRequest& request) {
    std::vector<std::int64_t> codes;
    const std::optional<std::string> sql = DataListSql(connection, request, prompts);
    if (!sql) return codes;
    db::Statement st(connection, *sql);
    while (st.step()) codes.push_back(st.int64(0));
    return codes;
  }

  // The catalogue's fields of a family, independently of the export.
  std::vector<std::string> Family(char letter) {
    std::vector<std::string> names;
    for (const auto& v : testing::Column(
             connection, "SELECT FieldName FROM dt_fieldlist WHERE sequence>=7 AND sequence<1000 ORDER BY sequence")) {
      std::string n = v.toString(), lower = n;
      std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
      if (lower.find(letter) != std::string::npos) names.push_back(n);
    }
    return names;
  }

  TempDir dir;
  fs::path file;
  db::Connection connection;
  ScriptedPrompts prompts;
};

TEST_F(DataListTest, TheColumnsAreTheCoverOnesThenEachTickedTableInCatalogueOrder) {
  const std::vector<std::string> cover{"c901", "c902", "c903", "c904", "c905", "c906", "RecordState"};
  struct Case {
    const char* name;
    std::vector<int> ticked;
  };
  for (const Case& k : std::vector<Case>{{"none", {}}, {"tables 1 and 5", {0, 4}}, {"table 8", {7}}}) {
    SCOPED_TRACE(k.name);
    DataListRequest request;
    std::vector<std::string> expected = cover;
    for (int i : k.ticked) {
      request.ticked[static_cast<std::size_t>(i)] = true;
      for (const std::string& f : Family(kFamilyLetters[static_cast<std::size_t>(i)])) expected.push_back(f);
    }
    const std::optional<std::string> sql = DataListSql(connection, request, prompts);
    ASSERT_TRUE(sql);
    db::Statement st(connection, *sql);
    std::vector<std::string> names;
    for (const auto& c : DataListColumns(st)) names.push_back(c.ShowName);
    EXPECT_EQ(names, expected);
  }
  EXPECT_GT(Family('z').size(), 10u);
  DataListRequest one;
  one.ticked[0] = true;
  db::Statement st(connection, *DataListSql(connection, one, prompts));
  const catalogue::TFieldDataArray columns = DataListColumns(st);
  EXPECT_EQ(columns[0].FieldType, "DOUBLE");
  EXPECT_EQ(columns[1].FieldType, "VARCHAR(60)");
  EXPECT_EQ(columns[7].FieldType, "INTEGER");
  EXPECT_TRUE(columns[7].QueryShow);
  EXPECT_EQ(columns[7].Hint, columns[7].ShowName);
}

TEST_F(DataListTest, TheScopesSelectTheirCodes) {
  struct Case {
    const char* name;
    DataListScope scope;
    std::string low, high;
    std::optional<std::int64_t> group;
    std::vector<std::int64_t> codes;
    std::string message;    // "" when none
    std::string highAfter;  // what the upper box shows afterwards
  };
  const std::vector<Case> cases{
      {"all", DataListScope::All, "", "", {}, {100, 150, 199, 200, 250}, "", ""},
      {"range", DataListScope::Range, "150", "200", {}, {150, 199, 200}, "", "200"},
      {"range 200 to 100", DataListScope::Range, "200", "100", {}, {200}, "", "200"},
      {"range 0 to 500", DataListScope::Range, "0", "500", {}, {}, kEnterRangeText, "500"},
      {"range with an empty box", DataListScope::Range, "100", "", {}, {}, kEnterRangeText, "0"},
      {"group >= 100 < 200", DataListScope::Group, "", "", 7, {100, 150, 199}, "", ""},
      {"group whose operator is not a comparison", DataListScope::Group, "", "", 8, {}, "自定义分组“坏的”的比较符号不正确",
       ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    prompts = {};
    DataListRequest request;
    request.scope = k.scope;
    request.lowText = k.low;
    request.highText = k.high;
    if (k.group) request.group = ReadGroupItem(connection, *k.group);
    EXPECT_EQ(Codes(request), k.codes);
    EXPECT_EQ(prompts.lastMessage(), k.message);
    if (k.scope == DataListScope::Range) {
      EXPECT_EQ(request.highText, k.highAfter);
    }
  }
  EXPECT_FALSE(ReadGroupItem(connection, 99));
  const std::vector<GroupItem> items = ReadGroupItems(connection);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].title, "一百到二百");
}

TEST_F(DataListTest, TheExportWritesTheLabelledListWithItsColumns) {
  DataListRequest request;
  request.ticked[4] = true;
  request.scope = DataListScope::Range;
  request.lowText = "200";
  request.highText = "100";
  std::tm today{};
  today.tm_year = 112;
  exports::ExportContext context{prompts, jobs::NoJob(), file.string(), dir.path().string(), today};
  const fs::path out = dir / "list.xlsx";
  ASSERT_TRUE(ExportDataList(context, connection, request, "某市总工会", out.string()).exported)
      << prompts.lastMessage();
  const testing::SavedWorkbook wb = testing::ReadSavedWorkbook(out);
  EXPECT_EQ(wb.sheetName, "某市总工会数据列表");
  EXPECT_EQ(wb.cell("A3")->value, "c901");
  EXPECT_EQ(wb.cell("G3")->value, "RecordState");
  EXPECT_EQ(wb.cell("H3")->value, Family('f').front());
  EXPECT_EQ(wb.cell("A5")->value, "200");
  EXPECT_EQ(wb.cell("B5")->value, "丁");
  EXPECT_EQ(wb.cell("A6"), nullptr);
  // Without a path the save dialog proposes the title.
  prompts.fileAnswers.push_back(std::nullopt);
  request.scope = DataListScope::All;
  EXPECT_FALSE(ExportDataList(context, connection, request, "某市总工会").exported);
  ASSERT_EQ(prompts.fileRequests.size(), 1u);
  EXPECT_EQ(prompts.fileRequests[0].fileName.rfind("某市总工会数据列表-2012-", 0), 0u);
}

TEST(ExportTableCaptions, TheFileMustBeGbkLinesOfAtMostEight) {
  TempDir dir;
  text::GbkEncoder gbk;
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no file
    std::size_t lines;                 // 0: refused
    const char* reason;
  };
  const std::string eight = gbk.Encode("表一\r\n表二\r\n表三\r\n表四\r\n表五\r\n表六\r\n表七\r\n表八\r\n");
  const std::vector<Case> cases{
      {"shipped form", eight, 8, ""},
      {"fewer lines, no line end", gbk.Encode("表一 工会组织建设状况\r\n表二"), 2, ""},
      {"missing", std::nullopt, 0, "找不到"},
      {"empty", std::string(), 0, "是空的"},
      {"blank lines only", std::string("\r\n\r\n"), 0, "是空的"},
      {"UTF-8", std::string("表一\r\n表二\r\n"), 0, "不是GBK编码"},
      {"nine lines", eight + gbk.Encode("表九\r\n"), 0, "有9行"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const fs::path folder = dir / k.name;
    fs::create_directories(folder);
    if (k.bytes) testing::WriteFileBytes(folder / kExportTableFile, *k.bytes);
    std::string error;
    const auto captions = ReadExportTableCaptions(folder.string(), error);
    EXPECT_EQ(captions ? captions->size() : 0u, k.lines);
    if (k.lines == 0) {
      EXPECT_NE(error.find(k.reason), std::string::npos) << error;
    }
  }
  std::string error;
  const auto shipped = ReadExportTableCaptions(testing::ProgramDir().string(), error);
  ASSERT_TRUE(shipped) << error;
  EXPECT_EQ(shipped->at(4), "表五 工会法律工作");
}

}  // namespace
}  // namespace velmora::exchange
