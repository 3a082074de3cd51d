// The search windows as the user meets them: the two searches open the result list of their
// condition (the real modal windows), refusals keep the dialog open, the picker starts on the
// cover's indicators each time, locate moves the paged main list to the record without reading
// the rows before it, and the result list counts, marks, modifies and deletes its own records.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QToolButton>

#include "core/catalogue/field_catalogue.h"
#include "core/records/generator.h"
#include "core/search/search_conditions.h"
#include "gui/records/grid_bound_records.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/valid_edit.h"
#include "gui/records/grid_routines.h"
#include "gui/records/record_grid.h"
#include "gui/search/locate_form.h"
#include "gui/search/query_list_form.h"
#include "gui/search/search_actions.h"
#include "gui/search/search_forms.h"
#include "support/database.h"
#include "support/modal_dialogs.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;
using velmora::testing::WhenModalOpens;

class SearchDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GenerateDatabase(velmora::testing::ShippedDatabase().string(), (dir / "2012Velmora.mdb").string(),
                     GenerateOptions{60, 3, 0});
    session = std::make_unique<session::DatabaseSession>(dir.path().string(), prompts);
    ASSERT_TRUE(session->OpenDatabase(""));
    velmora::testing::Exec(session->SysADOConnection(),
                           "update dt_data set c902='同名单位' where c901 in (select c901 from dt_data "
                           "order by c901 limit 2 offset 40);"
                           "update dt_data set c902='百分之100%_O''Neil' where c901=(select max(c901) from dt_data)");
    codes = velmora::testing::Column(session->SysADOConnection(), "select c901 from dt_data order by c901");
    grid = std::make_unique<RecordGrid>(*session, prompts);
    grid->setFieldData(catalogue::LoadFieldData(session->SysADOConnection(), session->Edition()));
    grid->source().setPageSize(8);
    grid->open();
  }
  std::int64_t code(int row) const { return codes[static_cast<std::size_t>(row)].toInt64(); }

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
  std::unique_ptr<RecordGrid> grid;
  std::vector<db::Variant> codes;
};

// Types the text as the user would: Chinese through the input method, the rest as keys.
void Type(QLineEdit* edit, const QString& text) {
  for (const QChar ch : text) {
    if (ch.unicode() < 0x80) {
      QTest::keyClicks(edit, QString(ch));
      continue;
    }
    QInputMethodEvent commit;
    commit.setCommitString(QString(ch));
    QApplication::sendEvent(edit, &commit);
  }
}

// Chooses an entry of an operator or connector field through its pop-up menu.
void ChooseFromPopup(TToolForm* tool, TCodeNameBox* box, const QString& text) {
  emit box->dropDownRequested();
  QMenu* menu = tool->CodePopupMenu();
  for (QAction* a : menu->actions())
    if (a->text() == text) {
      menu->hide();
      a->trigger();
      return;
    }
  ADD_FAILURE() << "no entry " << text.toStdString();
}

TEST_F(SearchDialogsTest, LocateMovesTheListToTheRecordWithoutReadingTheRowsBeforeIt) {
  struct Case {
    bool byName;
    std::string text;
    int row;  // the row the list moves to; -1: not found, the dialog stays
  } cases[] = {
      {false, std::to_string(code(57)), 57},
      {false, std::to_string(code(3)), 3},
      {true, "同名单位", 40},  // two units carry the name: the first the engine returns
      {true, "100%_O", 59},    // the wildcards are characters of the name
      {true, "100_", -1},
      {false, "1", -1},
      {false, "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    grid->setCurrentRow(0);
    prompts.messages.clear();
    TdlgLocateForm locate(session->SysADOConnection(), prompts, *grid);
    locate.show();
    Type(c.byName ? static_cast<QLineEdit*>(locate.c902()) : locate.c901(), QString::fromStdString(c.text));
    EXPECT_EQ(locate.rad902()->isChecked(), c.byName && !c.text.empty());
    const std::int64_t readsBefore = grid->source().pageReads();
    locate.tbSumClick();
    if (c.row >= 0) {
      EXPECT_EQ(grid->currentRow(), c.row);
      EXPECT_EQ(grid->currentKey()->toInt64(), code(c.row));
      EXPECT_EQ(locate.result(), QDialog::Accepted);
      EXPECT_TRUE(prompts.messages.empty());
      // At most the page of the row and its neighbour: the rows before it are counted, not read.
      EXPECT_LE(grid->source().pageReads() - readsBefore, 2);
    } else {
      EXPECT_EQ(grid->currentRow(), 0);
      EXPECT_TRUE(locate.isVisible());
      EXPECT_EQ(prompts.messages, std::vector<std::string>{search::kNoMatchingData});
    }
  }
}

TEST_F(SearchDialogsTest, LocateTypingChoosesTheRadioAndTheNameRefusesQuotes) {
  TdlgLocateForm locate(session->SysADOConnection(), prompts, *grid);
  locate.show();
  EXPECT_TRUE(locate.rad901()->isChecked());
  QTest::keyClicks(locate.c902(), "a'b\"c`d");
  EXPECT_EQ(locate.c902()->text(), "abcd");
  EXPECT_TRUE(locate.rad902()->isChecked());
  QTest::keyClicks(locate.c901(), "12");
  EXPECT_TRUE(locate.rad901()->isChecked());

  // A code that is stored but not in the list (the list narrowed) is not found.
  grid->source().setCondition("where c901<>" + std::to_string(code(10)));
  grid->requery();
  locate.c901()->setPlain(QString::number(code(10)));
  locate.tbSumClick();
  EXPECT_EQ(prompts.messages, std::vector<std::string>{search::kNoMatchingData});
  EXPECT_TRUE(locate.isVisible());
}

// The code-range search through the real modal windows: the operators and the connector chosen in
// their pop-up, the result list of the condition, the main list re-queried and on its record after.
TEST_F(SearchDialogsTest, CodeRangeSearchShowsTheResultListOfItsCondition) {
  grid->setCurrentRow(20);
  struct Case {
    QString op1, number1, connector, op3, number2;
    int count;
  } cases[] = {
      {">=", QString::number(code(5)), "和", "<=", QString::number(code(9)), 5},
      {"<", QString::number(code(2)), "或", ">", QString::number(code(56)), 5},
      {"=", "", "和", ">=", QString::number(code(50)), 10},  // only the second number
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number1.toStdString() + " " + c.number2.toStdString());
    prompts.messages.clear();
    std::string condition;
    QString countText;
    WhenModalOpens([&](QWidget* w) {
      auto* search = qobject_cast<TdlgSearchForm*>(w);
      ASSERT_NE(search, nullptr);
      EXPECT_EQ(search->lc1()->text(), "=");
      EXPECT_EQ(search->lc2()->text(), "和");
      ChooseFromPopup(search->ToolForm(), search->lc1(), c.op1);
      ChooseFromPopup(search->ToolForm(), search->lc2(), c.connector);
      ChooseFromPopup(search->ToolForm(), search->lc3(), c.op3);
      search->number1()->setPlain(c.number1);
      search->number2()->setPlain(c.number2);
      WhenModalOpens(
          [&](QWidget* list) {
            auto* results = qobject_cast<TdlgQueryListForm*>(list);
            ASSERT_NE(results, nullptr);
            condition = results->condition();
            countText = results->CountLabel()->text();
            list->close();
          },
          search);
      search->tbSumClick();
      search->close();
    });
    ActionContext context{.session = *session, .prompts = prompts, .list = grid.get()};
    RunSearchAction(context);
    EXPECT_EQ(countText, QString::number(c.count)) << condition;
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(grid->currentRow(), 20);
  }
}

TEST_F(SearchDialogsTest, SearchesRefuseWhatIsNoConditionAndStayOpen) {
  TdlgSearchForm search(prompts);
  search.show();
  int shown = 0;
  search.showResults = [&shown](const std::string&) { return ++shown, true; };
  search.tbSumClick();
  EXPECT_EQ(prompts.messages, std::vector<std::string>{search::kEnterOneCondition});
  EXPECT_EQ(shown, 0);

  TdlgDataSearchForm data(session->SysADOConnection(), prompts);
  data.show();
  prompts.messages.clear();
  data.tbSumClick();
  data.DataField()->setText("z002");
  data.tbSumClick();
  QTest::keyClicks(data.Number1(), "-1x5");
  EXPECT_EQ(data.Number1()->text(), "15");
  data.tbSumClick();  // a number without its operator
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{search::kChooseIndicator, search::kEnterOneCondition,
                                                        "请选择第一个条件的运算符"}));
  EXPECT_EQ(shown, 0);

  // An indicator that is no column: the engine's text, no result list, the dialog stays.
  prompts.messages.clear();
  ActionContext context{.session = *session, .prompts = prompts, .list = grid.get()};
  data.showResults = [&context](const std::string& condition) { return ShowQueryResults(context, condition); };
  data.DataField()->setText("zz99");
  ChooseFromPopup(data.ToolForm(), data.lc1(), ">");
  data.tbSumClick();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].find("no such column: zz99"), std::string::npos) << prompts.messages[0];
  EXPECT_TRUE(data.isVisible());
}

TEST_F(SearchDialogsTest, ThePickerStartsOnTheCoverEachTimeItOpens) {
  TdlgDataSearchForm data(session->SysADOConnection(), prompts);
  data.show();
  TDataSearchCodeForm* picker = data.picker();
  std::vector<std::string> chosen;
  int pickerShown = 0;
  for (int round = 0; round < 2; ++round) {
    WhenModalOpens([&](QWidget* w) {
      ASSERT_EQ(w, picker);
      ++pickerShown;
      EXPECT_EQ(picker->shownPage(), 0);
      EXPECT_EQ(picker->TypeList1()->currentRow(), 0);
      ASSERT_GT(picker->TypeList2()->count(), 0);
      picker->TypeList1()->setCurrentRow(2);
      QTest::keyRelease(picker->TypeList1(), Qt::Key_Down);
      EXPECT_EQ(picker->shownPage(), 2);
      picker->TypeList2()->setCurrentRow(1);
      picker->tbOKClick();
    });
    data.DataFieldButtonClick();
    chosen.push_back(data.DataField()->text().toStdString());
  }
  EXPECT_EQ(pickerShown, 2);
  const auto page2 = velmora::testing::Column(session->SysADOConnection(),
                                              "select CodeName from view_datasearch where PageID=2 order by sequence");
  ASSERT_GT(page2.size(), 1u);
  EXPECT_EQ(chosen, (std::vector<std::string>{page2[1].toString(), page2[1].toString()}));
}

// At the picker's own size every survey table's name shows whole: no eliding, no scrolling.
TEST_F(SearchDialogsTest, ThePickerShowsTheTableNamesWhole) {
  TdlgDataSearchForm data(session->SysADOConnection(), prompts);
  TDataSearchCodeForm* picker = data.picker();
  bool shown = false;
  WhenModalOpens([&](QWidget* w) {
    shown = w == picker;
    QListWidget* tables = picker->TypeList1();
    ASSERT_EQ(tables->count(), 8);
    const int margins = 2 * (tables->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tables) + 1);
    for (int i = 0; i < tables->count(); ++i) {
      QListWidgetItem* item = tables->item(i);
      SCOPED_TRACE(item->text().toStdString());
      const QRect shownAt = tables->visualItemRect(item);
      EXPECT_LE(tables->fontMetrics().horizontalAdvance(item->text()) + margins, shownAt.width());
      EXPECT_LE(shownAt.right(), tables->viewport()->width());
      EXPECT_EQ(item->toolTip(), item->text());
    }
    EXPECT_FALSE(tables->horizontalScrollBar()->isVisible());
    picker->reject();
  });
  picker->exec();
  EXPECT_TRUE(shown);
}

TEST_F(SearchDialogsTest, TheResultListCountsMarksModifiesAndDeletesItsOwnRecords) {
  struct Case {
    std::string condition;
    int count;
  } cases[] = {{"where c901>" + std::to_string(code(59)), 0}, {"where c901>=" + std::to_string(code(50)), 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition);
    TdlgQueryListForm list(*session, prompts);
    RecordGrid* modified = nullptr;
    std::optional<db::Variant> modifiedKey;
    list.modifyRecord = [&](RecordGrid& g) {
      modified = &g;
      modifiedKey = GridBoundRecords(g).currentKey();
    };
    ASSERT_TRUE(list.SetCondition(c.condition));
    list.show();
    EXPECT_EQ(list.CountLabel()->text(), QString::number(c.count));
    RecordGrid* g = list.DBGrid1();
    EXPECT_TRUE(g->columnTitle(0).endsWith(SortMarker(1)));
    EXPECT_EQ(g->columnTitleColour(0), kSortedTitleColour);
    EXPECT_EQ(g->sortedColumn(), 0);
    EXPECT_FALSE(list.mnSaveAsExecel()->isEnabled());
    list.tbEditClick();
    if (c.count == 0) {
      EXPECT_EQ(modified, nullptr);
      list.tbDeleteClick();
      EXPECT_TRUE(prompts.messages.empty());
      continue;
    }
    EXPECT_EQ(modified, g);
    EXPECT_EQ(modifiedKey->toInt64(), code(50));
    g->setCurrentRow(3);
    prompts.confirmAnswers.push_back(true);
    prompts.askAnswers.push_back(Answer::Yes);
    list.tbDeleteClick();
    EXPECT_EQ(velmora::testing::Count(session->SysADOConnection(), "dt_data where c901=" + std::to_string(code(53))), 0);
    EXPECT_EQ(g->recordCount(), 9);
    EXPECT_EQ(list.CountLabel()->text(), "10");  // what the search found
  }
}

}  // namespace
}  // namespace velmora::gui
