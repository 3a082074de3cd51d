// The error list window: entries, row heights, clearing, and the double-click that leads the entry
// form to the entry's page and field.
#include "gui/entry/message_list_win.h"

#include <gtest/gtest.h>

#include <QScreen>
#include <QTabWidget>

#include "core/catalogue/field_catalogue.h"
#include "core/records/generator.h"
#include "core/settings/settings_store.h"
#include "gui/records/grid_bound_records.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_data_form.h"
#include "gui/records/record_grid.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;

TEST(MessageListTest, EntriesFillRowsThatGrowWithTheirTextAndClearingEmptiesAndHides) {
  TMessageListWinForm list;
  EXPECT_EQ(list.windowTitle(), "逻辑错误列表");
  EXPECT_TRUE(list.HasNoEntries());
  EXPECT_EQ(list.Grid()->rowCount(), 1);
  list.AddEntry("z003<=z002", "短", "z003", 1);
  list.AddEntry("b002<=b001", QString(200, QChar(0x957f)).toStdString(), "b002", 2);
  list.Show();
  EXPECT_TRUE(list.isVisible());
  // alone, at (90, 476) where the screen has room for it, otherwise within the screen
  const QRect screen = list.screen()->availableGeometry();
  if (screen.contains(QRect(QPoint(90, 476), list.frameGeometry().size()))) {
    EXPECT_EQ(list.pos(), QPoint(90, 476));
  } else {
    EXPECT_TRUE(screen.contains(list.frameGeometry()));
  }
  EXPECT_FALSE(list.HasNoEntries());
  ASSERT_EQ(list.Grid()->rowCount(), 2);
  EXPECT_EQ(list.Grid()->item(1, TMessageListWinForm::ColPage)->text(), "2");
  EXPECT_EQ(list.Grid()->item(1, TMessageListWinForm::ColFocus)->text(), "b002");
  EXPECT_GE(list.Grid()->rowHeight(0), 18);
  EXPECT_GT(list.Grid()->rowHeight(1), 3 * list.Grid()->rowHeight(0));  // the long explanation wraps

  list.ClearEntries();
  EXPECT_TRUE(list.HasNoEntries());
  EXPECT_FALSE(list.isVisible());
  EXPECT_EQ(list.Grid()->rowCount(), 1);
  EXPECT_EQ(list.Grid()->item(0, 0), nullptr);
}

TEST(MessageListTest, DoubleClickLeadsTheFormToThePageAndFieldOfTheEntry) {
  TempDir dir;
  ScriptedPrompts prompts;
  settings::MemorySettingsStore store;
  settings::ScopedStore scoped(store);
  GenerateDatabase(velmora::testing::ShippedDatabase().string(), (dir / "2012Velmora.mdb").string(),
                   GenerateOptions{6, 3, 0});
  session::DatabaseSession session(dir.path().string(), prompts);
  ASSERT_TRUE(session.OpenDatabase(""));
  RecordGrid grid(session, prompts);
  grid.setFieldData(catalogue::LoadFieldData(session.SysADOConnection(), session.Edition()));
  grid.open();
  GridBoundRecords records(grid);
  TdlgSurveyDataForm form(session, prompts);
  form.setBoundRecords(&records);
  form.IsNew = false;
  form.FormShow();
  form.show();

  struct Case {
    const char* focus;
    int page;
  } cases[] = {{"b002", 2}, {"l005", 4}, {"Z003", 1}, {"s004", 7}};
  for (const Case& c : cases) {
    TMessageListWinForm* list = form.MessageListWin();
    list->ClearEntries();
    list->AddEntry("rule", "explanation", "z001", 1);
    list->AddEntry("rule", "explanation", c.focus, c.page);
    list->GridDblClick(1);
    EXPECT_FALSE(list->Navigating);
    EXPECT_EQ(form.DataPage()->currentIndex(), c.page) << c.focus << " " << prompts.lastMessage();
    ASSERT_NE(form.focusWidget(), nullptr);
    EXPECT_EQ(form.focusWidget(), form.control(c.focus)) << c.focus;
  }
  form.MessageListWin()->hide();
}

}  // namespace
}  // namespace velmora::gui
