#pragma once
// The progress window of operations with an outer and an inner loop: overall progress above,
// the current task's progress below.

#include <QWidget>

class QLabel;

namespace velmora::gui {

class SegmentedProgressBar;

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

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  SegmentedProgressBar* bar1_;
  SegmentedProgressBar* bar2_;
};

}  // namespace velmora::gui
