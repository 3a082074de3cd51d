// A result-set export and a data list, read back by a spreadsheet program value for value.
#include <gtest/gtest.h>

#include <string>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/exchange/data_list.h"
#include "core/export/query_export.h"
#include "core/jobs/job.h"
#include "core/records/generator.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/spreadsheet_program.h"
#include "support/test_paths.h"

namespace velmora::exports {
namespace {

using testing::CellOf;
using testing::SheetsAsSpreadsheetProgramReadsThem;

TEST(ExportsInterop, AQueryExportAndADataListReadBackAsTheyWereStored) {
  testing::TempDir dir;
  const auto file = dir / "work.mdb";
  GenerateOptions options;
  options.records = 300;
  GenerateDatabase(testing::ShippedDatabase().string(), file.string(), options);
  db::Connection connection(testing::ConnectionTo(file));
  testing::ScriptedPrompts prompts;
  ExportContext context{prompts, jobs::NoJob(), file.string(), dir.path().string(), {}};
  context.today.tm_year = 124;
  context.today.tm_mon = 4;
  context.today.tm_mday = 1;

  const catalogue::TFieldDataArray columns =
      ListColumns({{"c901", "统计编号▲"}, {"c902", "单位名称"}, {"z002", "职工"}, {"b005", "金额"}, {"c912", "状态"}});
  const auto book = dir / "query.xlsx";
  ASSERT_TRUE(ExportQueryToWorkbook(context, {connection, "SELECT * from view_data order by c901"}, "Velmora查询结果",
                                    columns, book.string())
                  .exported)
      << prompts.lastMessage();

  exchange::DataListRequest request;
  request.ticked[0] = request.ticked[7] = true;
  const auto list = dir / "list.xlsx";
  ASSERT_TRUE(exchange::ExportDataList(context, connection, request, "某工会", list.string()).exported)
      << prompts.lastMessage();

  struct Expected {
    std::string sheet;
    std::string sql;  // the values as stored, column by column
    std::size_t columns;
  };
  const std::string listSql = *exchange::DataListSql(connection, request, prompts);
  db::Statement probe(connection, listSql);
  const std::vector<std::pair<std::filesystem::path, Expected>> books{
      {book, {"Velmora查询结果", "SELECT c901, c902, z002, b005, c912 FROM dt_data ORDER BY c901", 5}},
      {list, {"某工会数据列表", listSql, static_cast<std::size_t>(probe.columnCount())}},
  };
  for (const auto& [path, expected] : books) {
    SCOPED_TRACE(expected.sheet);
    const auto sheets = SheetsAsSpreadsheetProgramReadsThem(path);
    ASSERT_EQ(sheets.count(expected.sheet), 1u);
    const testing::SheetRows& rows = sheets.at(expected.sheet);
    EXPECT_EQ(CellOf(rows, 2, 1), "导出日期:");
    EXPECT_EQ(CellOf(rows, 2, 2), "2024-05-01");
    if (expected.columns == 5) {
      EXPECT_EQ(CellOf(rows, 3, 1), "统计编号");
    }
    std::size_t row = 5;
    db::Statement st(connection, expected.sql);
    while (st.step()) {
      for (std::size_t c = 0; c < expected.columns; ++c) {
        const db::Variant v = st.value(static_cast<int>(c));
        const std::string want = v.isNumber() ? db::FormatNumber(v.toDouble()) : v.toString();
        ASSERT_EQ(CellOf(rows, row, c + 1), want) << "row " << row << " column " << c + 1;
      }
      ++row;
    }
    EXPECT_EQ(row, 305u);
    EXPECT_EQ(CellOf(rows, row, 1), "");
  }
}

}  // namespace
}  // namespace velmora::exports
