#pragma once
// Program-wide: a turn of the mouse wheel becomes an Up- or Down-arrow key press for the widget
// with the keyboard focus, so the wheel moves the current row of any list one row per notch.

#include <QObject>

namespace velmora::gui {

class TWheelToKeys : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

 public:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int pending_ = 0;  // wheel distance not yet turned into a key (fine-grained wheels)
};

}  // namespace velmora::gui
