#pragma once
// The pause, resume and stop buttons of a progress window. They only set flags; the running
// operation reads them through its job when it hands control to the window.

#include <QWidget>

class QToolButton;

namespace velmora::gui {

class RunButtons : public QWidget {
  Q_OBJECT
 public:
  explicit RunButtons(QWidget* parent = nullptr);

  bool paused() const { return paused_; }
  bool stopRequested() const { return stopRequested_; }
  // A new run: neither paused nor stopped, pause and stop enabled.
  void reset();

  QToolButton* tbPause() const { return pause_; }
  QToolButton* tbResume() const { return resume_; }
  QToolButton* tbStop() const { return stop_; }

  static constexpr int kHeight = 32;

 signals:
  void pausedChanged(bool paused);

 private:
  void setPaused(bool paused);

  QToolButton* pause_;
  QToolButton* resume_;
  QToolButton* stop_;
  bool paused_ = false;
  bool stopRequested_ = false;
};

}  // namespace velmora::gui
