// The delete dialog: the three ways of deleting, the range checks, and the list after each.
#include "gui/records/delete_form.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "core/catalogue/field_catalogue.h"
#include "core/records/generator.h"
#include "core/records/record_delete.h"
#include "gui/records/record_grid.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "support/database.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;

class DeleteDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GenerateDatabase(velmora::testing::ShippedDatabase().string(), (dir / "2012Velmora.mdb").string(),
                     GenerateOptions{40, 5, 0});
    session = std::make_unique<db::DatabaseSession>(dir.path().string(), prompts);
    ASSERT_TRUE(session->OpenDatabase(""));
    session->SysADOConnection().execute("insert into dt_dataelse (c901) values (1)");
    grid = std::make_unique<RecordGrid>(*session, prompts);
    grid->setFieldData(catalogue::LoadFieldData(session->SysADOConnection(), session->Edition()));
    grid->open();
    dialog = std::make_unique<TdlgDeleteForm>(*session, prompts, *grid);
    dialog->show();
  }
  std::int64_t count(const std::string& table) {
    return velmora::testing::Count(session->SysADOConnection(), table);
  }
  std::string key(int row) { return grid->source().key(row).toString(); }

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<db::DatabaseSession> session;
  std::unique_ptr<RecordGrid> grid;
  std::unique_ptr<TdlgDeleteForm> dialog;
};

TEST_F(DeleteDialogTest, StartsOnTheSelectedRowsWithDigitOnlyBoxes) {
  EXPECT_EQ(dialog->windowTitle(), "选择删除的方式");
  EXPECT_EQ(dialog->size(), QSize(265, 177));
  EXPECT_TRUE(dialog->Selected()->isChecked());
  EXPECT_EQ(dialog->tbDelete()->text(), "删  除");
  EXPECT_EQ(dialog->tbReturn()->text(), "返  回");
  QTest::keyClicks(dialog->c901_1(), "12a3-4 5");
  EXPECT_EQ(dialog->c901_1()->text(), "12345");
}

TEST_F(DeleteDialogTest, RangesAreRefusedWithoutBothBoundsAndSwappedWhenReversed) {
  dialog->Range()->setChecked(true);
  dialog->c901_2()->setText(QString::fromStdString(key(10)));
  QTest::mouseClick(dialog->tbDelete(), Qt::LeftButton);
  EXPECT_EQ(prompts.lastMessage(), records::kEnterRange);
  EXPECT_EQ(dialog->c901_1()->text(), "0");
  EXPECT_EQ(count("dt_data"), 40);

  // Upper below lower: only the lower code goes; the dialog stays open on the shorter list.
  dialog->c901_1()->setText(QString::fromStdString(key(10)));
  dialog->c901_2()->setText(QString::fromStdString(key(3)));
  prompts.confirmAnswers = {true};
  QTest::mouseClick(dialog->tbDelete(), Qt::LeftButton);
  EXPECT_EQ(prompts.lastMessage(), records::kDeleteWarning);
  EXPECT_EQ(dialog->c901_2()->text(), dialog->c901_1()->text());
  EXPECT_EQ(count("dt_data"), 39);
  EXPECT_EQ(grid->recordCount(), 39);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(DeleteDialogTest, AllRecordsAsksThenEmptiesOnlyTheRecordTable) {
  dialog->AllRecord()->setChecked(true);
  prompts.confirmAnswers = {false, true};
  dialog->tbDeleteClick();
  EXPECT_EQ(grid->recordCount(), 40);
  dialog->tbDeleteClick();
  EXPECT_EQ(count("dt_data"), 0);
  EXPECT_EQ(count("dt_dataelse"), 1);
  EXPECT_TRUE(grid->isEmpty());
  EXPECT_FALSE(grid->currentKey().has_value());
}

TEST_F(DeleteDialogTest, SelectedDeletesTheCurrentRowOfTheList) {
  grid->setCurrentRow(39);
  const std::string last = key(39);
  prompts.askAnswers = {Answer::Yes};
  dialog->tbDeleteClick();
  EXPECT_EQ(prompts.messages.front(), records::kDeleteQuestion);
  EXPECT_EQ(grid->recordCount(), 39);
  EXPECT_EQ(grid->currentRow(), 38);
  EXPECT_EQ(grid->source().rowOfKey(db::Variant(std::stod(last))), -1);
}

}  // namespace
}  // namespace velmora::gui
