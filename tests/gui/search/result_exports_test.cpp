// The result list's export menu: the workbook with the list's titles (no sort marker) and the
// database file of the selected records; an empty result is told by both.
#include <gtest/gtest.h>

#include <QAction>

#include <filesystem>
#include <functional>
#include <memory>

#include "core/export/query_export.h"
#include "core/records/generator.h"
#include "core/session/session.h"
#include "gui/records/grid_routines.h"
#include "gui/records/record_grid.h"
#include "gui/search/query_list_form.h"
#include "gui/search/result_exports.h"
#include "support/database.h"
#include "support/saved_workbook.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;

// A program folder with generated records, its session and the result list's exports wired.
class ResultListExports : public ::testing::Test {
 protected:
  void open(std::int64_t records, std::uint64_t seed) {
    GenerateDatabase(velmora::testing::ShippedDatabase().string(), (dir / "2012Velmora.mdb").string(),
                     GenerateOptions{records, seed, 0});
    session_ = std::make_unique<session::DatabaseSession>(dir.path().string(), prompts);
    ASSERT_TRUE(session_->OpenDatabase(""));
    session_->setPersonalFolder(dir.path().string());
  }
  std::unique_ptr<TdlgQueryListForm> resultList() {
    auto form = std::make_unique<TdlgQueryListForm>(*session_, prompts);
    form->setExports(SaveResultListAsExcel, SaveResultListAsAccess);
    return form;
  }

  velmora::testing::TempDir dir;
  velmora::testing::ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session_;
};

TEST_F(ResultListExports, TheMenuWritesTheListAndTheRecordsOrTellsThatNothingMatched) {
  ASSERT_NO_FATAL_FAILURE(open(30, 3));
  session::DatabaseSession& session = *session_;
  const auto codes = velmora::testing::Column(session.SysADOConnection(), "select c901 from dt_data order by c901");

  const std::unique_ptr<TdlgQueryListForm> form = resultList();
  TdlgQueryListForm& list = *form;
  ASSERT_TRUE(list.SetCondition("where c901>=" + codes[20].toString()));
  list.show();
  RecordGrid* g = list.DBGrid1();
  g->sortByColumn(1);  // the second title now carries the marker
  ASSERT_TRUE(g->columnTitle(1).endsWith(QString::fromUtf8("▲")) || g->columnTitle(1).endsWith(QString::fromUtf8("▼")));

  const fs::path book = dir / "result.xlsx", mdb = dir / "result.mdb";
  prompts.fileAnswers.push_back(book.string());
  list.mnSaveAsExecel()->trigger();
  ASSERT_TRUE(fs::exists(book)) << prompts.lastMessage();
  const velmora::testing::SavedWorkbook wb = velmora::testing::ReadSavedWorkbook(book);
  EXPECT_EQ(wb.sheetName, kResultExportName);
  for (int c = 0; c < g->columnCount(); ++c) {
    const std::string title = g->columnTitle(c).toStdString(), hint = g->columnHint(c).toStdString();
    const std::string ref = std::string(1, static_cast<char>('A' + c)) + "3";
    ASSERT_NE(wb.cell(ref), nullptr) << ref;
    EXPECT_EQ(wb.cell(ref)->value, hint) << ref;
    EXPECT_EQ(wb.cell(ref)->value.find("▲"), std::string::npos);
    EXPECT_EQ(wb.cell(ref)->value.find("▼"), std::string::npos);
  }
  // The rows in the list's order: the first row shown is the first row written.
  const db::Variant first = g->source().value(0, 0);
  EXPECT_EQ(wb.cell("A5")->value, first.isNumber() ? db::FormatNumber(first.toDouble()) : first.toString());
  EXPECT_EQ(prompts.fileRequests.back().fileName.rfind(std::string(kResultExportName) + "-", 0), 0u);

  prompts.fileAnswers.push_back(mdb.string());
  list.mnSaveAsAccess()->trigger();
  EXPECT_EQ(prompts.lastMessage(), std::string(exports::kAccessDoneText) + mdb.string() + "'！");
  db::Connection target(velmora::testing::ConnectionTo(mdb));
  EXPECT_EQ(velmora::testing::Count(target, "[Velmora查询结果]"), 10);
  EXPECT_EQ(velmora::testing::Column(target, "SELECT name FROM pragma_table_info('Velmora查询结果')").size(),
            session.SysADOConnection().columnNames("dt_data").size());

  // Nothing matched: both entries say the table is empty and ask for no file.
  const std::unique_ptr<TdlgQueryListForm> noneForm = resultList();
  TdlgQueryListForm& none = *noneForm;
  ASSERT_TRUE(none.SetCondition("where c901<0"));
  prompts = {};
  none.mnSaveAsExecel()->trigger();
  none.mnSaveAsAccess()->trigger();
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{exports::kExcelEmptyText, exports::kAccessEmptyText}));
  EXPECT_TRUE(prompts.fileRequests.empty());
}

// The list's columns come in the catalogue's field-name order, case aside (the code first, with the
// ascending marker, as the rows are), and the workbook follows the order the list shows now.
TEST_F(ResultListExports, TheCodeLeadsAndTheWorkbookFollowsTheListsOrder) {
  ASSERT_NO_FATAL_FAILURE(open(12, 5));
  const std::unique_ptr<TdlgQueryListForm> form = resultList();
  TdlgQueryListForm& list = *form;
  ASSERT_TRUE(list.SetCondition("where c901>0"));
  list.show();
  RecordGrid* g = list.DBGrid1();
  ASSERT_GT(g->columnCount(), 2);
  EXPECT_EQ(g->columnField(0), "c901");
  EXPECT_TRUE(g->columnTitle(0).endsWith(SortMarker(1))) << g->columnTitle(0).toStdString();
  for (int c = 1; c < g->columnCount(); ++c)
    EXPECT_LE(g->columnField(c - 1).toLower(), g->columnField(c).toLower()) << c;

  struct Case {
    const char* name;
    std::function<void()> sort;
  } cases[] = {
      {"as opened", [] {}},
      {"code descending", [&] { g->sortByColumn(0); }},
      {"by another column", [&] { g->sortByColumn(3); }},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.sort();
    const fs::path book = dir / ("order" + std::to_string(n++) + ".xlsx");
    prompts.fileAnswers.push_back(book.string());
    list.mnSaveAsExecel()->trigger();
    ASSERT_TRUE(fs::exists(book)) << prompts.lastMessage();
    const velmora::testing::SavedWorkbook wb = velmora::testing::ReadSavedWorkbook(book);
    for (std::int64_t row = 0; row < g->recordCount(); ++row) {
      const std::string ref = "A" + std::to_string(row + 5);
      ASSERT_NE(wb.cell(ref), nullptr) << ref;
      EXPECT_EQ(wb.cell(ref)->value, db::FormatNumber(g->source().key(row).toDouble())) << ref;
    }
  }
}

}  // namespace
}  // namespace velmora::gui
