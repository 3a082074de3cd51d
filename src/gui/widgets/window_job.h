#pragma once
// A long operation of the core shown in the program's progress windows: one level in the progress
// window, two levels in the two-line window. The window's pause and stop buttons are read through
// the job; events are processed when the operation hands control over (every few hundred items,
// and from inside a long statement through db::ProgressScope).

#include <QPointer>
#include <QString>
#include <cstdint>

#include "core/jobs/job.h"

namespace velmora::gui {

class TProgressBarForm;
class TProgressBar2LineForm;
class RunButtons;

class WindowJob : public jobs::Job {
 public:
  // Either window may be absent; its reports are then dropped. `stoppable` shows the pause,
  // resume and stop buttons while the run lasts.
  WindowJob(TProgressBarForm* progress, TProgressBar2LineForm* twoLine, bool stoppable = true);

  // Shows the progress window (its buttons reset for the new run).
  void start(std::int64_t total, std::int64_t done = 0) override;
  void step(std::int64_t count = 1) override;
  // Shows the two-line window (its buttons reset for the new run).
  void startOuter(std::int64_t total) override;
  void startInner(std::int64_t total) override;
  void stepOuter() override;
  void stepInner(std::int64_t count = 1) override;
  // Hides both windows.
  void finish() override;

  bool paused() const override;
  bool stopRequested() const override;
  void processEvents(bool wait) override;

 private:
  RunButtons* buttons() const;

  QPointer<TProgressBarForm> progress_;
  QPointer<TProgressBar2LineForm> twoLine_;
  bool stoppable_;
  bool twoLevels_ = false;
  // The bars count in 32 bits: larger totals are shown in parts of `scale_` items.
  std::int64_t scale_ = 1, total_ = 0, done_ = 0;
  std::int64_t innerScale_ = 1, innerDone_ = 0;
};

// A job in the progress window whose title carries the percentage done: caption + "37%".
class CaptionJob : public WindowJob {
 public:
  CaptionJob(TProgressBarForm& form, QString caption);
  void start(std::int64_t total, std::int64_t done) override;
  void step(std::int64_t count) override;

 private:
  void caption();
  TProgressBarForm& form_;
  QString caption_;
  int shown_ = -1;
};

}  // namespace velmora::gui
