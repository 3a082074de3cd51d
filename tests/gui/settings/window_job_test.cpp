// The progress windows as the core's jobs see them: progress, the pause and stop buttons, and a
// single long statement that a click on the stop button interrupts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "core/db/connection.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/jobs/job.h"
#include "gui/widgets/bar_job.h"
#include "gui/widgets/progress_bar_2line_form.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/run_buttons.h"
#include "gui/widgets/segmented_bar.h"
#include "gui/widgets/window_job.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

// A dialog's own bar: one part per unit with every step reported, or the share done in percent
// (never past 100, and a total of 0 counts as 1).
TEST(BarJob, ShowsUnitsOrPercentOnTheBar) {
  struct Case {
    BarJob::Scale scale;
    std::int64_t total, done;
    std::vector<std::int64_t> steps;
    int parts;
    std::vector<int> complete;  // after the start, then after every step
    int reports;
  } cases[] = {
      {BarJob::Scale::Units, 3, 0, {1, 1, 1}, 3, {0, 1, 2, 3}, 3},
      {BarJob::Scale::Units, 5, 2, {2}, 5, {2, 4}, 1},
      {BarJob::Scale::Percent, 400, 0, {100, 99, 201}, 100, {0, 25, 49, 100}, 0},
      {BarJob::Scale::Percent, 0, 0, {1, 5}, 100, {0, 100, 100}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale == BarJob::Scale::Units ? "units" : "percent");
    SegmentedProgressBar bar;
    BarJob job(bar, c.scale);
    std::vector<std::pair<int, int>> reported;
    job.onStep = [&reported](int done, int total) { reported.emplace_back(done, total); };
    job.start(c.total, c.done);
    std::vector<int> complete{bar.partsComplete()};
    for (std::int64_t s : c.steps) {
      job.step(s);
      complete.push_back(bar.partsComplete());
    }
    EXPECT_EQ(bar.totalParts(), c.parts);
    EXPECT_EQ(complete, c.complete);
    ASSERT_EQ(reported.size(), static_cast<std::size_t>(c.reports));
    if (!reported.empty()) {
      EXPECT_EQ(reported.back(), std::pair(c.complete.back(), static_cast<int>(c.total)));
    }
  }
}

TEST(WindowJob, ShowsTheWindowsAndReadsTheirButtons) {
  TProgressBarForm progress;
  TProgressBar2LineForm twoLine;
  WindowJob window(&progress, &twoLine);
  jobs::Job& job = window;

  job.start(10, 2);
  job.step();
  EXPECT_TRUE(progress.isVisible());
  EXPECT_FALSE(twoLine.isVisible());
  EXPECT_EQ(progress.RzProgressBar1()->partsComplete(), 3);
  EXPECT_EQ(progress.Label3()->text(), QString("待完成 8"));
  EXPECT_TRUE(progress.Buttons()->isVisible());
  EXPECT_EQ(progress.height(), TProgressBarForm::kHeight + RunButtons::kHeight);

  // Pause holds the timer and the run; resume lets both go; stop lasts until the next run.
  EXPECT_TRUE(progress.Timer1()->isActive());
  QTest::mouseClick(progress.Buttons()->tbPause(), Qt::LeftButton);
  EXPECT_TRUE(job.paused());
  EXPECT_FALSE(progress.Timer1()->isActive());
  EXPECT_FALSE(progress.Buttons()->tbPause()->isEnabled());
  QTest::mouseClick(progress.Buttons()->tbResume(), Qt::LeftButton);
  EXPECT_FALSE(job.paused());
  EXPECT_TRUE(progress.Timer1()->isActive());
  QTest::mouseClick(progress.Buttons()->tbPause(), Qt::LeftButton);
  QTest::mouseClick(progress.Buttons()->tbStop(), Qt::LeftButton);
  EXPECT_TRUE(job.stopRequested());
  EXPECT_FALSE(job.paused());  // a paused run is let go so that it ends
  jobs::JobTicker ticker(job, 1);
  EXPECT_FALSE(ticker.tick());

  // Two levels in the two-line window, whose own buttons count now.
  job.startOuter(2);
  EXPECT_FALSE(job.stopRequested());
  job.startInner(4);
  job.stepInner();
  job.stepOuter();
  EXPECT_TRUE(twoLine.isVisible());
  EXPECT_EQ(twoLine.ProgressBar1()->partsComplete(), 1);
  EXPECT_EQ(twoLine.RzProgressBar2()->partsComplete(), 1);
  QTest::mouseClick(twoLine.Buttons()->tbStop(), Qt::LeftButton);
  EXPECT_TRUE(job.stopRequested());

  job.finish();
  EXPECT_FALSE(progress.isVisible());
  EXPECT_FALSE(twoLine.isVisible());
  EXPECT_FALSE(progress.Timer1()->isActive());
  EXPECT_EQ(progress.height(), TProgressBarForm::kHeight);  // the plain window for the next caller
  EXPECT_EQ(twoLine.height(), TProgressBar2LineForm::kHeight);

  // Counts beyond 32 bits are shown in proportion; without buttons the run never stops.
  WindowJob large(&progress, nullptr, false);
  large.start(std::int64_t{6} << 31, std::int64_t{3} << 31);
  EXPECT_NEAR(progress.RzProgressBar1()->percent(), 50, 1);
  EXPECT_FALSE(progress.Buttons()->isVisible());
  EXPECT_FALSE(large.stopRequested());
  large.finish();

  WindowJob nowhere(nullptr, nullptr);  // windows not created: reports are dropped
  nowhere.start(1, 0);
  nowhere.step();
  nowhere.startOuter(1);
  nowhere.stepInner();
  nowhere.finish();
  EXPECT_FALSE(nowhere.stopRequested());
}

// A grouped scan of three million rows is one statement: the window stays alive while it runs,
// and a click on its stop button ends it at once, interrupted.
TEST(WindowJob, TheStopButtonInterruptsASingleLongStatement) {
  velmora::testing::TempDir dir;
  const std::string source = "Data Source=" + (dir / "scan.mdb").string();
  db::CreateDatabase(source);
  db::Connection connection(source);

  TProgressBarForm progress;
  WindowJob job(&progress, nullptr);
  job.start(1, 0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));

  int beats = 0;
  QTimer heartbeat;
  QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++beats; });
  heartbeat.start(10);
  QElapsedTimer clock;
  qint64 clickedAt = -1;
  int beatsAtClick = 0;
  QTimer::singleShot(150, &progress, [&] {
    clickedAt = clock.elapsed();
    beatsAtClick = beats;
    QTest::mouseClick(progress.Buttons()->tbStop(), Qt::LeftButton);
  });

  bool interrupted = false;
  clock.start();
  {
    db::ProgressScope scope(connection, job);
    db::Statement scan = db::Statement::Native(
        connection,
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000000) "
        "SELECT i % 1000, count(*), sum(i) FROM n GROUP BY i % 1000");
    try {
      while (scan.step()) {
      }
    } catch (const db::DbError& e) {
      interrupted = db::IsInterrupted(e);
      EXPECT_TRUE(interrupted) << e.what();
    }
    EXPECT_EQ(scope.interrupted(), interrupted);
  }
  const qint64 endedAt = clock.elapsed();
  heartbeat.stop();
  job.finish();

  ASSERT_GE(clickedAt, 0) << "the window never handled the click's timer";
  EXPECT_TRUE(interrupted) << "the scan ran to its end in " << endedAt << " ms";
  EXPECT_LT(endedAt - clickedAt, 1000) << "the stop took effect late";
  EXPECT_GE(beatsAtClick, 5) << "the window's timers were held while the statement ran";
  EXPECT_FALSE(progress.Buttons()->tbStop()->isEnabled());

  // The connection is usable afterwards, without the job.
  db::Statement one = db::Statement::Native(connection, "SELECT 1");
  EXPECT_TRUE(one.step());
}

}  // namespace
}  // namespace velmora::gui
