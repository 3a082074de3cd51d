#include "gui/widgets/top_most.h"

#include <QApplication>

namespace velmora::gui {

namespace {

// Changing a window's flags hides it; show it again where it was, without taking the focus.
void SetOnTop(QWidget& window, bool onTop) {
  QRect where = window.geometry();
  bool quiet = window.testAttribute(Qt::WA_ShowWithoutActivating);
  window.setAttribute(Qt::WA_ShowWithoutActivating, true);
  window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  window.setGeometry(where);
  window.show();
  window.setAttribute(Qt::WA_ShowWithoutActivating, quiet);
}

}  // namespace

TopMostLowered::TopMostLowered(const QWidget* except) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == except || !w->isVisible() || !w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) continue;
    SetOnTop(*w, false);
    lowered_ << w;
  }
}

TopMostLowered::~TopMostLowered() {
  for (const QPointer<QWidget>& w : lowered_)
    if (w) SetOnTop(*w, true);
}

}  // namespace velmora::gui
