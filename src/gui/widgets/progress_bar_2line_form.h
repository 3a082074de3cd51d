#pragma once
// The progress window of operations with an outer and an inner loop: overall progress above,
// the current task's progress below.

#include <QWidget>

class QLabel;

namespace velmora::gui {

class SegmentedProgressBar;
class RunButtons;

class TProgressBar2LineForm : public QWidget {
  Q_OBJECT
 public:
  explicit TProgressBar2LineForm(QWidget* parent = nullptr);

  // Total of the overall / current bar := n, completed parts := 0.
  void InitFirst(int n);
  void InitSecond(int n);
  // One more completed part on the overall / current bar.
  void IncFirst();
  void IncSecond();

  SegmentedProgressBar* ProgressBar1() const { return bar1_; }
  SegmentedProgressBar* RzProgressBar2() const { return bar2_; }

  // The pause, resume and stop buttons below the bars, for operations that can be paused and
  // stopped; hidden (and the window its plain height) otherwise.
  RunButtons* Buttons() const { return buttons_; }
  void ShowRunButtons(bool show);

  static constexpr int kWidth = 416;
  static constexpr int kHeight = 110;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  SegmentedProgressBar* bar1_;
  SegmentedProgressBar* bar2_;
  RunButtons* buttons_;
};

}  // namespace velmora::gui
