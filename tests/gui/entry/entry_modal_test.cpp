// The entry form as the program shows it, modal through exec(): the error list beside it takes
// the mouse, keeps clear of the form's buttons and closes; the buttons that must not act.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include "gui/entry_fixture.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/valid_edit.h"
#include "support/modal_dialogs.h"

namespace velmora::gui {
namespace {

using velmora::testing::WhenModalOpens;

class EntryModalTest : public EntryFormFixture {
 protected:
  // Opens the form for modifying the grid's row with exec(); `whileOpen` runs inside the modal
  // loop, then the form is closed with 返回.
  void openModifying(int row, const std::function<void()>& whileOpen) {
    grid->setCurrentRow(row);
    bool ran = false;
    WhenModalOpens([&](QWidget* modal) {
      EXPECT_EQ(modal, form.get());
      QApplication::processEvents();
      whileOpen();
      ran = true;
      prompts.askAnswers = {Answer::No};  // drop what is left unsaved
      form->button("tbReturn")->click();
    });
    form->OpenModifying(*records);
    EXPECT_TRUE(ran);
  }
  // The rectangle of the form's save, return and navigation buttons on the screen.
  QRect buttonRow() const {
    QWidget* row = form->button("tbSave")->parentWidget()->parentWidget();
    return QRect(row->mapToGlobal(QPoint(0, 0)), row->size());
  }
  // A real double-click on a row of the list, through the list's own window.
  void doubleClickRow(TMessageListWinForm* list, int row) {
    QTableWidget* table = list->Grid();
    const QRect cell = table->visualRect(table->model()->index(row, TMessageListWinForm::ColRule));
    QWindow* window = list->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPoint at = table->viewport()->mapTo(list, cell.center());
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, at);
    QApplication::processEvents();
  }
};

TEST_F(EntryModalTest, TheErrorListTakesADoubleClickWhileTheFormIsModal) {
  openModifying(2, [&] {
    // a formal save of a record that breaks rules fills the list
    form->numericBox("z002")->setPlain("0");
    form->button("tbSave")->click();
    TMessageListWinForm* list = form->MessageListWin();
    ASSERT_TRUE(list->isVisible());
    ASSERT_GE(list->entryCount(), 1);
    const int row = list->entryCount() > 1 ? 1 : 0;
    const int page = list->Grid()->item(row, TMessageListWinForm::ColPage)->text().toInt();
    const QString focus = list->Grid()->item(row, TMessageListWinForm::ColFocus)->text();
    form->setActivePage(0);
    ASSERT_EQ(form->DataPage()->currentIndex(), 0);

    // beside the modal form, clear of its buttons, on its screen
    EXPECT_FALSE(list->frameGeometry().intersects(buttonRow()));
    EXPECT_TRUE(form->screen()->availableGeometry().contains(list->frameGeometry()))
        << list->frameGeometry().x() << "," << list->frameGeometry().y();

    doubleClickRow(list, row);
    EXPECT_EQ(form->DataPage()->currentIndex(), page) << focus.toStdString();
    EXPECT_EQ(form->focusWidget(), form->control(focus)) << focus.toStdString();

    // its close box closes it
    list->close();
    EXPECT_FALSE(list->isVisible());
  });
}

TEST_F(EntryModalTest, NothingChangedLeavesSaveDisabledAndCtrlSStoresNothing) {
  const std::string code = sql("select cast(c901 as integer) from dt_data order by c901 limit 1");
  sql("update dt_data set RecordState=2 where c901=" + code);
  openModifying(0, [&] {
    // the first record opened for modifying: nothing to save
    EXPECT_FALSE(form->button("tbSave")->isEnabled());
    EXPECT_FALSE(form->button("tbHold")->isEnabled());
    EXPECT_TRUE(form->button("tbPrint")->isEnabled());  // opened for modifying, nothing changed
    EXPECT_FALSE(form->isModified());
    // Ctrl+S stands for the disabled temporary save: nothing is stored, nothing said
    prompts.messages.clear();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : form.get(), Qt::Key_S,
                    Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage();
  });
  EXPECT_EQ(sql("select RecordState from dt_data where c901=" + code), "2");
}

TEST_F(EntryModalTest, AFormalSaveWithErrorsWhileAddingKeepsTheErrorListOpen) {
  bool ran = false;
  WhenModalOpens([&](QWidget* modal) {
    EXPECT_EQ(modal, form.get());
    fillValidCover();
    form->numericBox("z002")->setPlain("0");
    form->numericBox("z003")->setPlain("5");
    EXPECT_FALSE(form->button("tbPrint")->isEnabled());
    form->button("tbAdd")->click();
    EXPECT_EQ(prompts.lastMessage(), "数据保存成功，有逻辑错误！");
    EXPECT_TRUE(form->MessageListWin()->isVisible());
    EXPECT_FALSE(form->MessageListWin()->HasNoEntries());
    ran = true;
    form->button("tbReturn")->click();
  });
  form->OpenAdding(*records);
  EXPECT_TRUE(ran);
  EXPECT_FALSE(form->MessageListWin()->isVisible());  // closing the form closes the list
}

}  // namespace
}  // namespace velmora::gui
