#pragma once
// A progress bar drawn as a row of 100 segments; it counts total and completed parts.

#include <QWidget>

namespace velmora::gui {

class SegmentedProgressBar : public QWidget {
  Q_OBJECT
 public:
  explicit SegmentedProgressBar(QWidget* parent = nullptr);

  int totalParts() const { return total_; }
  int partsComplete() const { return done_; }
  // Whole percent of the parts completed, 0 to 100; 0 while there are no parts.
  int percent() const;

  void setTotalParts(int total);
  void setPartsComplete(int done);
  void incPartsBy(int count);

  static constexpr int kSegments = 100;
  QSize sizeHint() const override { return {400, 18}; }

 signals:
  void percentChanged(int percent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void changed(int oldPercent);

  int total_ = 0;
  int done_ = 0;
};

}  // namespace velmora::gui
