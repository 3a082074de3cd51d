#include "gui/app/wheel_to_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

namespace velmora::gui {

bool TWheelToKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel) return QObject::eventFilter(watched, event);
  auto* wheel = static_cast<QWheelEvent*>(event);
  int delta = wheel->angleDelta().y();
  if (delta == 0) return QObject::eventFilter(watched, event);  // sideways wheels keep their meaning
  // One key per notch (120 units); smaller steps add up until they make a notch.
  if ((pending_ > 0) != (delta > 0)) pending_ = 0;
  pending_ += delta;
  QWidget* target = QApplication::focusWidget();
  if (!target) target = qobject_cast<QWidget*>(watched);
  while (target && qAbs(pending_) >= 120) {
    // away from the user (positive) moves up
    QKeyEvent press(QEvent::KeyPress, pending_ > 0 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    pending_ += pending_ > 0 ? -120 : 120;
  }
  return true;
}

}  // namespace velmora::gui
