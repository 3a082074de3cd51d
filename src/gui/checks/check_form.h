#pragma once
// The check dialog: check the selected records, all records or a range of unit codes, with a
// progress group that shows while the check runs and buttons to pause, resume and stop it.

#include <QDialog>
#include <QTimer>

#include "core/checks/logic_check_runner.h"
#include "core/jobs/job.h"

class QGroupBox;
class QLabel;
class QToolButton;

namespace velmora {
class UserPrompts;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class RecordGrid;
class RecordScopeBox;
class SegmentedProgressBar;

class TdlgCheckForm : public QDialog, public jobs::Job {
  Q_OBJECT
 public:
  // `grid` is the main window's record list: the selected records come from it and it is read
  // again after a check.
  TdlgCheckForm(session::DatabaseSession& session, UserPrompts& prompts, RecordGrid* grid, QWidget* parent = nullptr);

  static constexpr int kRestHeight = 172;
  static constexpr int kRunHeight = 255;
  static constexpr int kTickMs = 100;
  static constexpr int kTicksBeforeEstimate = 50;

  // Timer ticks since the progress started, and the estimate of the ticks still needed (-1
  // until there is one).
  int TickCount() const { return tickCount_; }
  int EstimatedTicks() const { return estimatedTicks_; }

  // How the last check ended (nullopt when none ran).
  const std::optional<checks::LogicCheckResult>& lastResult() const { return lastResult_; }
  QTimer* Timer1() { return &timer1_; }

  // The progress protocol of the dialog.
  void StartProgress(std::int64_t total, std::int64_t done);
  void StepProgress(std::int64_t count = 1);
  bool Paused() const { return paused_; }
  bool StopRequested() const { return stopRequested_; }

  // The run's view of the dialog: its progress group and the pause, resume and return buttons.
  void start(std::int64_t total, std::int64_t done = 0) override { StartProgress(total, done); }
  void step(std::int64_t count = 1) override { StepProgress(count); }
  bool paused() const override { return paused_; }
  bool stopRequested() const override { return stopRequested_; }
  void processEvents(bool wait) override;

 public slots:
  void tbCheckClick();
  void tbPauseClick();
  void tbResumeClick();
  void tbReturnClick();
  void Timer1Timer();

 protected:
  void reject() override;

 private:
  void showShortTexts();
  void setRunning(bool running);

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  RecordGrid* grid_;
  RecordScopeBox* groupBox1_;
  QGroupBox* groupBox2_;
  QWidget* buttonBar_;
  SegmentedProgressBar* bar_;
  QLabel* label1_;
  QLabel* label2_;
  QLabel* label3_;
  QToolButton* tbCheck_;
  QToolButton* tbPause_;
  QToolButton* tbResume_;
  QToolButton* tbReturn_;
  QTimer timer1_;
  std::int64_t total_ = 0;
  std::int64_t done_ = 0;
  bool paused_ = false;
  bool stopRequested_ = false;
  bool running_ = false;
  int tickCount_ = 0;
  int estimatedTicks_ = -1;
  std::optional<checks::LogicCheckResult> lastResult_;
};

}  // namespace velmora::gui
