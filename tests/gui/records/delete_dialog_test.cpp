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
#include "gui/checks/check_form.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/record_scope_box.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;

class DeleteDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GenerateDatabase(velmora::testing::ShippedDatabase().string(), (dir / "2012Velmora.mdb").string(),
                     GenerateOptions{40, 5, 0});
    session = std::make_unique<session::DatabaseSession>(dir.path().string(), prompts);
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
  std::unique_ptr<session::DatabaseSession> session;
  std::unique_ptr<RecordGrid> grid;
  std::unique_ptr<TdlgDeleteForm> dialog;
};

// The check and delete dialogs choose their records with the same box: it starts on the selected
// records and its code boxes take digits only, at most the 12 of a code, however they are typed.
TEST_F(DeleteDialogTest, BothDialogsChooseRecordsWithTheSameCodeBoxes) {
  TdlgCheckForm check(*session, prompts, grid.get());
  for (QDialog* d : std::initializer_list<QDialog*>{dialog.get(), &check}) {
    SCOPED_TRACE(d->objectName().toStdString());
    auto* box = d->findChild<RecordScopeBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->kind(), records::ScopeKind::Selected);
    box->Range()->setChecked(true);
    EXPECT_EQ(box->kind(), records::ScopeKind::Range);
    for (QLineEdit* edit : {box->c901_1(), box->c901_2()}) {
      ASSERT_EQ(d->findChild<QLineEdit*>(edit->objectName()), edit);
      QTest::keyClicks(edit, "12a3-4 5");
      EXPECT_EQ(edit->text(), "12345");
      edit->clear();
      QTest::keyClicks(edit, "1234567890123");
      EXPECT_EQ(edit->text(), "123456789012");
      edit->setText("1234567890123");
      EXPECT_EQ(edit->text(), "123456789012");
    }
    box->c901_2()->setText("5");
    const records::RangeResolution r = box->resolveRange();
    ASSERT_TRUE(r.range.has_value());
    EXPECT_EQ(r.range->lower, 123456789012.0);
    EXPECT_EQ(box->c901_2()->text(), "123456789012");  // raised to the lower bound
  }
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
