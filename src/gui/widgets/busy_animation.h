#pragma once
// A 32 × 32 turning gear that shows the program is busy; its picture changes every 200 ms while
// it is visible.

#include <QTimer>
#include <QWidget>

namespace velmora::gui {

class BusyAnimation : public QWidget {
  Q_OBJECT
 public:
  explicit BusyAnimation(QWidget* parent = nullptr);

  static constexpr int kFrames = 6;   // one tooth's turn
  static constexpr int kIntervalMs = 200;
  int frame() const { return frame_; }
  QSize sizeHint() const override { return {32, 32}; }

 public slots:
  void advance();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QTimer timer_;
  int frame_ = 0;
};

}  // namespace velmora::gui
