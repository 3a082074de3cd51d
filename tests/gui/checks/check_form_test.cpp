// The check dialog: its states at rest and while running, the range rules, the selected records,
// and pause, resume and return during a run.
#include "gui/checks/check_form.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "core/catalogue/field_catalogue.h"
#include "core/checks/check_report.h"
#include "core/records/generator.h"
#include "core/session/session.h"
#include "gui/records/record_grid.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;
using End = checks::LogicCheckResult::End;

class CheckFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GenerateDatabase(velmora::testing::ShippedDatabase().string(), (dir / "2012Velmora.mdb").string(),
                     GenerateOptions{40, 3, 20});
    session = std::make_unique<session::DatabaseSession>(dir.path().string(), prompts);
    ASSERT_TRUE(session->OpenDatabase(""));
    session->setPersonalFolder(dir.path().string());
    grid = std::make_unique<RecordGrid>(*session, prompts);
    grid->setFieldData(catalogue::LoadFieldData(session->SysADOConnection(), session->Edition()));
    grid->open();
    dialog = std::make_unique<TdlgCheckForm>(*session, prompts, grid.get());
    dialog->show();
  }
  template <typename T>
  T* child(const char* name) {
    T* w = dialog->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QToolButton* button(const char* name) { return child<QToolButton>(name); }
  std::int64_t scalar(const std::string& sql) {
    return velmora::testing::Scalar(session->SysADOConnection(), sql).toInt64();
  }
  void exec(const std::string& sql) {
    velmora::testing::Exec(session->SysADOConnection(), sql);
  }
  // Many failing records, so that the run hands events to the dialog several times.
  void addRecords(int n) {
    exec("with recursive k(i) as (select 1 union all select i + 1 from k where i < " + std::to_string(n) +
         ") insert into dt_data (c901, c902, c912, RecordState) select 900000000000 + i, 'x', 1, 0 from k");
  }
  void expectAtRest() {
    EXPECT_EQ(dialog->height(), TdlgCheckForm::kRestHeight);
    EXPECT_FALSE(child<QGroupBox>("GroupBox2")->isVisible());
    EXPECT_TRUE(button("tbCheck")->isEnabled());
    EXPECT_FALSE(button("tbPause")->isEnabled());
    EXPECT_FALSE(button("tbResume")->isEnabled());
    EXPECT_TRUE(button("tbReturn")->isEnabled());
    for (const char* r : {"Selected", "AllRecord", "Range"}) EXPECT_TRUE(child<QRadioButton>(r)->isEnabled()) << r;
  }
  std::string reportPath() { return checks::CheckReportPath(dir.path().string(), session->DatabaseLabel()); }

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
  std::unique_ptr<RecordGrid> grid;
  std::unique_ptr<TdlgCheckForm> dialog;
};

TEST_F(CheckFormTest, AtRestAndTheRangeRules) {
  EXPECT_EQ(dialog->windowTitle(), "选择检查的方式");
  EXPECT_TRUE(child<QRadioButton>("Selected")->isChecked());
  EXPECT_EQ(button("tbCheck")->text(), "检  查");
  EXPECT_EQ(button("tbPause")->text(), "暂  停");
  EXPECT_EQ(button("tbResume")->text(), "继  续");
  EXPECT_EQ(button("tbReturn")->text(), "返  回");
  expectAtRest();

  auto* from = child<QLineEdit>("c901_1");
  auto* to = child<QLineEdit>("c901_2");
  QTest::keyClicks(from, "5a-3");
  EXPECT_EQ(from->text(), "53");
  // a bound holds a code of at most 12 digits
  for (QLineEdit* box : {from, to}) {
    box->clear();
    QTest::keyClicks(box, "12345678901234");
    EXPECT_EQ(box->text(), "123456789012") << box->objectName().toStdString();
  }

  // an empty bound: the message, nothing checked
  child<QRadioButton>("Range")->setChecked(true);
  from->setText("5");
  to->clear();
  QTest::mouseClick(button("tbCheck"), Qt::LeftButton);
  EXPECT_EQ(prompts.messages, std::vector<std::string>{checks::kRangeMissing});
  EXPECT_EQ(prompts.last().kind, MessageKind::Warning);
  EXPECT_EQ(to->text(), "0");
  EXPECT_FALSE(dialog->lastResult().has_value());
  expectAtRest();

  // a bound that is no code (set by the program, past the typing filter) gets the same message
  for (const char* text : {"1e5", "inf", "-3"}) {
    prompts.messages.clear();
    to->setText(text);
    QTest::mouseClick(button("tbCheck"), Qt::LeftButton);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{checks::kRangeMissing}) << text;
    EXPECT_FALSE(dialog->lastResult().has_value()) << text;
  }
  prompts.messages.clear();

  // 5 to 3 checks code 5 alone and shows 5 as the upper bound
  prompts.messages.clear();
  exec("insert into dt_data (c901, c902, c912, RecordState, w001) values (3, 'c', 1, 0, 9), (5, 'e', 1, 0, 9)");
  to->setText("3");
  QTest::mouseClick(button("tbCheck"), Qt::LeftButton);
  EXPECT_EQ(to->text(), "5");
  ASSERT_TRUE(dialog->lastResult().has_value());
  EXPECT_EQ(dialog->lastResult()->checked, 1);
  EXPECT_EQ(scalar("select RecordState from dt_data where c901=5"), 2);
  EXPECT_EQ(scalar("select RecordState from dt_data where c901=3"), 0);
  EXPECT_EQ(prompts.openedDocuments, std::vector<std::string>{reportPath()});
  expectAtRest();
}

TEST_F(CheckFormTest, AReportTheDesktopCannotOpenIsNamedWithItsPath) {
  exec("insert into dt_data (c901, c902, c912, RecordState, w001) values (5, 'e', 1, 0, 9)");
  prompts.documentsOpen = false;
  child<QRadioButton>("AllRecord")->setChecked(true);
  QTest::mouseClick(button("tbCheck"), Qt::LeftButton);
  ASSERT_TRUE(dialog->lastResult().has_value());
  EXPECT_EQ(prompts.openedDocuments, std::vector<std::string>{reportPath()});
  ASSERT_FALSE(prompts.messages.empty());
  EXPECT_NE(prompts.lastMessage().find(reportPath()), std::string::npos) << prompts.lastMessage();
  EXPECT_EQ(prompts.lastTitle(), "警告信息");
}

TEST_F(CheckFormTest, SelectedRecordsOrTheCurrentOne) {
  struct Case {
    const char* what;
    int first, last;  // rows selected; -1: none, the current row is 3
  } cases[] = {{"current row", -1, -1}, {"rows 0 to 4", 0, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    grid->clearSelection();
    grid->setCurrentRow(3);
    grid->clearSelection();
    std::vector<std::string> codes;
    if (c.first >= 0) {
      QItemSelection rows(grid->model()->index(c.first, 0), grid->model()->index(c.last, 0));
      grid->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      for (int r = c.first; r <= c.last; ++r) codes.push_back(grid->source().key(r).toString());
    } else {
      codes.push_back(grid->currentKey()->toString());
    }
    std::string list;
    for (const auto& code : codes) list += (list.empty() ? "" : ",") + code;
    const std::int64_t reporting = scalar("select count(*) from dt_data where c912<=2 and c901 in (" + list + ")");
    QTest::mouseClick(button("tbCheck"), Qt::LeftButton);
    ASSERT_TRUE(dialog->lastResult().has_value());
    EXPECT_EQ(dialog->lastResult()->checked, reporting);
    EXPECT_EQ(dialog->lastResult()->end, End::Completed);
    expectAtRest();
  }
}

TEST_F(CheckFormTest, PauseAndResumeDuringARun) {
  addRecords(1500);
  const std::int64_t total = scalar("select count(*) from dt_data where c912<=2");
  child<QRadioButton>("AllRecord")->setChecked(true);
  int step = 0;
  int heightWhileRunning = 0;
  bool progressShown = false;
  QTimer driver;
  driver.setInterval(0);
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (step == 0 && button("tbPause")->isEnabled()) {
      heightWhileRunning = dialog->height();
      progressShown = child<QGroupBox>("GroupBox2")->isVisible() && !child<QLabel>("Label1")->isVisible();
      QTest::mouseClick(button("tbPause"), Qt::LeftButton);
      EXPECT_TRUE(dialog->Paused());
      EXPECT_TRUE(button("tbResume")->isEnabled());
      EXPECT_FALSE(dialog->Timer1()->isActive());
      step = 1;
    } else if (step >= 1 && step < 20) {
      ++step;  // the run waits while paused
    } else if (step == 20) {
      QTest::mouseClick(button("tbResume"), Qt::LeftButton);
      EXPECT_FALSE(dialog->Paused());
      EXPECT_TRUE(button("tbPause")->isEnabled());
      step = 21;
    }
  });
  driver.start();
  QTest::mouseClick(button("tbCheck"), Qt::LeftButton);
  driver.stop();
  EXPECT_EQ(step, 21);
  EXPECT_EQ(heightWhileRunning, TdlgCheckForm::kRunHeight);
  EXPECT_TRUE(progressShown);
  ASSERT_TRUE(dialog->lastResult().has_value());
  EXPECT_EQ(dialog->lastResult()->end, End::Completed);
  EXPECT_EQ(dialog->lastResult()->checked, total);
  EXPECT_EQ(scalar("select count(*) from dt_data where c912<=2 and RecordState=0"), 0);
  expectAtRest();
}

TEST_F(CheckFormTest, ReturnStopsTheRunAfterTheCurrentRecord) {
  addRecords(1500);
  exec("update dt_data set RecordState=0");
  child<QRadioButton>("AllRecord")->setChecked(true);
  QTimer driver;
  driver.setInterval(0);
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (button("tbReturn")->isEnabled() && button("tbPause")->isEnabled())
      QTest::mouseClick(button("tbReturn"), Qt::LeftButton);
  });
  driver.start();
  QTest::mouseClick(button("tbCheck"), Qt::LeftButton);
  driver.stop();
  ASSERT_TRUE(dialog->lastResult().has_value());
  const auto& r = *dialog->lastResult();
  EXPECT_EQ(r.end, End::Stopped);
  EXPECT_GT(r.checked, 0);
  EXPECT_LT(r.checked, 1500);
  EXPECT_EQ(scalar("select count(*) from dt_data where RecordState <> 0"), r.checked);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(prompts.openedDocuments.empty());
}

}  // namespace
}  // namespace velmora::gui
