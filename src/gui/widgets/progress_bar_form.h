#pragma once
// The progress window of long operations: a segmented bar, what is done and what is left, and
// after five seconds the time used and an estimate of the time still needed.

#include <QTimer>
#include <QWidget>

class QLabel;

namespace velmora::gui {

class SegmentedProgressBar;
class BusyAnimation;
class RunButtons;

class TProgressBarForm : public QWidget {
  Q_OBJECT
 public:
  explicit TProgressBarForm(QWidget* parent = nullptr);

  // Sets the bar to `done` of `total` parts, shows the short texts and starts timing the run.
  void StartProgress(int total, int done);
  // One more part completed; the window repaints at once.
  void StepProgress();

  // Some callers drive the bar themselves and put a percentage into the window title.
  SegmentedProgressBar* RzProgressBar1() const { return bar_; }
  QLabel* Label1() const { return label1_; }
  QLabel* Label2() const { return label2_; }
  QLabel* Label3() const { return label3_; }
  BusyAnimation* RzAnimator1() const { return animator_; }
  QTimer* Timer1() { return &timer1_; }

  // The pause, resume and stop buttons below the texts, for operations that can be paused and
  // stopped; hidden (and the window its plain height) otherwise. A pause holds the timer.
  RunButtons* Buttons() const { return buttons_; }
  void ShowRunButtons(bool show);

  static constexpr int kWidth = 463;
  static constexpr int kHeight = 78;
  static constexpr int kTickMs = 100;
  static constexpr int kTicksBeforeEstimate = 50;

 public slots:
  // One tick of Timer1: counts the tick and rewrites the texts, with the times once the run has
  // lasted five seconds and something is done.
  void tick();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void showShortTexts();
  void barChanged(int percent);

  QLabel* label1_;
  QLabel* label2_;
  QLabel* label3_;
  SegmentedProgressBar* bar_;
  BusyAnimation* animator_;
  RunButtons* buttons_;
  QTimer timer1_;
  int ticks_ = 0;
  int estimate_ = -1;  // remaining ticks, -1 for none yet
};

// Moves a top-level window to the middle of its screen.
void CentreOnScreen(QWidget& window);

}  // namespace velmora::gui
