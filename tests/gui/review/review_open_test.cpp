// The review from the clerk's side: the dialog's checks and its run, the action that opens the result
// window beside the entry form, and a finding leading to its record's field while the form is modal.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "core/intake/source_file.h"
#include "gui/review/review_form.h"
#include "gui/review/review_plot.h"
#include "gui/review/review_fixture.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/progress_bar_2line_form.h"
#include "gui/widgets/run_buttons.h"
#include "support/modal_dialogs.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using velmora::testing::WhenDialogOpens;
using velmora::testing::WhenModalOpens;

class ReviewOpenTest : public ReviewFixture {
 protected:
  // A real double-click on a finding's row, through the result window's own window.
  void doubleClickFinding(std::size_t index) {
    ASSERT_TRUE(window->selectFinding(index));
    QTableWidget* table = window->findingsTable();
    const QRect cell = table->visualRect(table->model()->index(table->currentRow(), TReviewResultWin::ColName));
    QWindow* handle = window->windowHandle();
    ASSERT_NE(handle, nullptr);
    const QPoint at = table->viewport()->mapTo(window.get(), cell.center());
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(handle, Qt::LeftButton, Qt::NoModifier, at);
    QApplication::processEvents();
  }
  // The code of the record the form shows.
  std::int64_t formCode() const { return form->numericBox("c901")->integerValue(); }
  // A copy of the test database as last year's file.
  std::string lastYearFile() {
    const std::filesystem::path copy = dir / "上年备份.mdb";
    std::filesystem::copy_file(dir / "2012Velmora.mdb", copy);
    return copy.string();
  }
};

TEST_F(ReviewOpenTest, AFindingLeadsToItsFieldAndTheWindowStaysUsableBesideTheModalForm) {
  TReviewResultWin& w = open(HandResult());
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  bool ran = false;
  WhenModalOpens([&](QWidget* modal) {
    EXPECT_EQ(modal, form.get());
    QApplication::processEvents();
    // the first finding's record, at its field's page with the focus in the field
    EXPECT_EQ(formCode(), codes[0]);
    EXPECT_EQ(form->DataPage()->currentIndex(), first[0].page);
    EXPECT_EQ(form->focusWidget(), form->control(QString::fromStdString(first[0].name)));

    // the window beside the modal form takes a double-click: the form moves to another record and table
    doubleClickFinding(3);
    EXPECT_EQ(formCode(), codes[3]);
    EXPECT_EQ(form->DataPage()->currentIndex(), second->page);
    EXPECT_EQ(form->focusWidget(), form->control(QString::fromStdString(second->name)));

    // and Enter on a row does the same
    ASSERT_TRUE(w.selectFinding(1));
    QTest::keyClick(w.findingsTable(), Qt::Key_Return);
    EXPECT_EQ(formCode(), codes[1]);
    EXPECT_EQ(form->focusWidget(), form->control(QString::fromStdString(first[0].name)));
    ran = true;
    prompts.askAnswers = {Answer::No};
    form->button("tbReturn")->click();
  });
  doubleClickFinding(0);
  EXPECT_TRUE(ran);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(w.isVisible());  // the result window stays open after the form closed
  EXPECT_EQ(grid->currentKey()->toInt64(), codes[1]);
}

// The window manager learns again that the window stays above the form once the form is shown.
TEST_F(ReviewOpenTest, TheWindowStaysAboveTheFormOnceItShows) {
  QWidget main;
  form->setParent(&main, form->windowFlags());
  TReviewResultWin& w = open(HandResult());
  main.show();
  w.show();
  QApplication::processEvents();
  ASSERT_NE(w.windowHandle(), nullptr);
  EXPECT_EQ(w.windowHandle()->transientParent(), main.windowHandle());  // the form is not open
  form->show();
  QApplication::processEvents();
  EXPECT_EQ(w.windowHandle()->transientParent(), form->windowHandle());
  form->hide();
  QApplication::processEvents();
  EXPECT_EQ(w.windowHandle()->transientParent(), main.windowHandle());
  window.reset();
  form->setParent(nullptr, form->windowFlags());
}

// While the form is open the window keeps clear of the form's buttons, on the form's screen; it
// takes its own size and place back when the form closes.
TEST_F(ReviewOpenTest, WhileTheFormIsOpenTheWindowKeepsClearOfItsButtons) {
  TReviewResultWin& w = open(HandResult());
  w.setKeepClear(form->button("tbSave")->parentWidget()->parentWidget());
  w.move(0, 0);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  const QRect before = w.geometry();
  bool ran = false;
  WhenModalOpens([&](QWidget*) {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    QWidget* row = form->button("tbSave")->parentWidget()->parentWidget();
    const QRect buttons(row->mapToGlobal(QPoint(0, 0)), row->size());
    EXPECT_TRUE(w.compact());
    EXPECT_FALSE(w.plot()->isVisible());
    EXPECT_FALSE(w.frameGeometry().intersects(buttons));
    EXPECT_TRUE(form->screen()->availableGeometry().contains(w.frameGeometry()));
    EXPECT_LE(w.height(), TReviewResultWin::kCompactSize.height());
    ran = true;
    form->button("tbReturn")->click();
  });
  doubleClickFinding(0);
  EXPECT_TRUE(ran);
  QApplication::processEvents();
  EXPECT_FALSE(w.compact());
  EXPECT_TRUE(w.plot()->isVisible());
  EXPECT_EQ(w.geometry(), before);
}

TEST_F(ReviewOpenTest, AFormAddingARecordIsNotTakenOver) {
  TReviewResultWin& w = open(HandResult());
  w.show();
  bool ran = false;
  WhenModalOpens([&](QWidget*) {
    ASSERT_TRUE(w.selectFinding(0));
    w.openCurrent();
    EXPECT_TRUE(form->IsNew);
    EXPECT_NE(prompts.lastMessage().find("正在添加新记录"), std::string::npos) << prompts.lastMessage();
    ran = true;
    form->button("tbReturn")->click();
  });
  form->OpenAdding(*records);
  EXPECT_TRUE(ran);
}

TEST_F(ReviewOpenTest, ACodeTheListDoesNotHoldIsTold) {
  review::ReviewResult result = HandResult();
  result.findings[0].code = 990000000009;
  TReviewResultWin& w = open(std::move(result));
  ASSERT_TRUE(w.selectFinding(0));
  w.openCurrent();
  EXPECT_FALSE(form->isVisible());
  EXPECT_NE(prompts.lastMessage().find("990000000009"), std::string::npos) << prompts.lastMessage();
}

TEST_F(ReviewOpenTest, TheDialogWantsAReference) {
  TdlgReviewForm dialog(*session, prompts, fields, false);
  bool ran = false;
  dialog.setRunner([&ran](const review::Reference&, const review::ReviewOptions&, jobs::Job&) {
    ran = true;
    return review::ReviewResult{};
  });
  EXPECT_FALSE(dialog.previousYearChoice()->isEnabled());
  EXPECT_DOUBLE_EQ(dialog.uBox()->value(), 0.5);
  EXPECT_DOUBLE_EQ(dialog.aBox()->value(), 0.05);
  EXPECT_DOUBLE_EQ(dialog.cBox()->value(), 7);
  dialog.tbRunClick();
  EXPECT_FALSE(ran);
  EXPECT_EQ(prompts.lastMessage(), TdlgReviewForm::kNoReferenceText);
  EXPECT_FALSE(dialog.result().has_value());

  // a cancelled file dialog chooses nothing; a chosen file is the reference, with the parameters and fields
  dialog.tbBrowseClick();
  EXPECT_TRUE(dialog.pathEdit()->text().isEmpty());
  prompts.fileAnswers = {std::string("/tmp/上年.mdb")};
  dialog.tbBrowseClick();
  ASSERT_TRUE(dialog.reference().has_value());
  EXPECT_EQ(dialog.reference()->kind, review::Reference::Kind::File);
  EXPECT_EQ(dialog.reference()->path, "/tmp/上年.mdb");
  dialog.cBox()->setValue(5);
  dialog.fieldList()->item(1)->setCheckState(Qt::Checked);
  review::ReviewOptions seen;
  dialog.setRunner([&](const review::Reference&, const review::ReviewOptions& options, jobs::Job&) {
    seen = options;
    return review::ReviewResult{};
  });
  dialog.tbRunClick();
  EXPECT_TRUE(dialog.result().has_value());
  EXPECT_DOUBLE_EQ(seen.parameters.c, 5);
  EXPECT_EQ(seen.fields, std::vector<std::string>{fields[1].name});
}

TEST_F(ReviewOpenTest, AnUnreadableReferenceIsToldInTheIntakesWords) {
  const std::filesystem::path text = dir / "上年.mdb";
  velmora::testing::WriteFileBytes(text, "这不是数据库");
  TdlgReviewForm dialog(*session, prompts, fields, false);
  prompts.fileAnswers = {text.string()};
  dialog.tbBrowseClick();
  std::string expected;
  try {
    jobs::Job none;
    review::RunReview(*session, *dialog.reference(), {}, none);
  } catch (const intake::IntakeError& e) {
    expected = e.what();
  }
  ASSERT_FALSE(expected.empty());
  prompts.messages.clear();
  dialog.tbRunClick();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.lastMessage(), expected);
  EXPECT_EQ(prompts.shown.back().kind, MessageKind::Error);
  EXPECT_FALSE(dialog.result().has_value());
  EXPECT_FALSE(dialog.progress()->isVisible());
}

TEST_F(ReviewOpenTest, StopEndsTheRunWithoutAResult) {
  // last year's file long enough for the review to look at the stop button while it reads
  const std::filesystem::path reference = dir / "上年.mdb";
  GenerateDatabase(velmora::testing::ShippedDatabase().string(), reference.string(), GenerateOptions{2500, 11, 0});
  TdlgReviewForm dialog(*session, prompts, fields, false);
  prompts.fileAnswers = {reference.string()};
  dialog.tbBrowseClick();
  // the clerk presses 停止 while the rows are read
  QTimer clerk;
  clerk.setInterval(0);
  QObject::connect(&clerk, &QTimer::timeout, [&dialog] {
    QToolButton* stop = dialog.progress()->Buttons()->tbStop();
    if (dialog.progress()->isVisible() && stop->isEnabled() && !dialog.progress()->Buttons()->stopRequested())
      stop->click();
  });
  clerk.start();
  dialog.tbRunClick();
  EXPECT_FALSE(dialog.result().has_value());
  EXPECT_EQ(prompts.lastMessage(), TdlgReviewForm::kStoppedText);
}

TEST_F(ReviewOpenTest, TheActionRunsTheReviewAndOpensTheResultBesideTheEntryForm) {
  const std::string reference = lastYearFile();
  // last year's file lacks one unit: it is new this year
  velmora::testing::Exec(std::filesystem::path(reference), "delete from dt_data where c901=" + std::to_string(codes[2]));
  QWidget main;
  ActionContext context{.session = *session, .prompts = prompts, .parent = &main, .list = grid.get()};
  auto shown = WhenDialogOpens<TdlgReviewForm>([&](TdlgReviewForm* dialog) {
    prompts.fileAnswers = {reference};
    dialog->tbBrowseClick();
    dialog->runButton()->click();
  });
  TReviewResultWin* w = RunReviewAction(context, [this] { return form.get(); });
  EXPECT_TRUE(*shown);
  ASSERT_NE(w, nullptr);
  window.reset(w);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->parentWidget(), form.get());
  EXPECT_TRUE(w->isWindow());
  EXPECT_EQ(w->result().reference, reference);
  EXPECT_EQ(w->result().roster.matched, 11);
  ASSERT_EQ(w->addedTable()->rowCount(), 1);
  EXPECT_EQ(w->addedTable()->item(0, 0)->text(), QString::number(codes[2]));
  EXPECT_FALSE(w->result().fields.empty());
  EXPECT_TRUE(w->windowTitle().contains(QString::fromStdString(reference)));
}

TEST_F(ReviewOpenTest, ThePreviousYearTableIsOfferedWhenItHoldsRecords) {
  // last year's table holds the first two units (c912 is not a column of it: every row reports)
  velmora::testing::Exec(session->SysADOConnection(),
                         "insert into dt_data_2010(c901, c902, RecordState) values(" + std::to_string(codes[0]) +
                             ", '甲', 1), (" + std::to_string(codes[1]) + ", '乙', 1)");
  QWidget main;
  ActionContext context{.session = *session, .prompts = prompts, .parent = &main, .list = grid.get()};
  bool offered = false;
  auto shown = WhenDialogOpens<TdlgReviewForm>([&](TdlgReviewForm* dialog) {
    offered = dialog->previousYearChoice()->isEnabled();
    dialog->previousYearChoice()->setChecked(true);
    dialog->runButton()->click();
  });
  TReviewResultWin* w = RunReviewAction(context, [this] { return form.get(); });
  EXPECT_TRUE(*shown);
  EXPECT_TRUE(offered);
  ASSERT_NE(w, nullptr);
  window.reset(w);
  EXPECT_EQ(w->result().reference, review::kPreviousYearName);
  EXPECT_EQ(w->result().roster.matched, 2);
  EXPECT_EQ(w->addedTable()->rowCount(), static_cast<int>(codes.size()) - 2);
}

}  // namespace
}  // namespace velmora::gui
