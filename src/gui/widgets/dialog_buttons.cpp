#include "gui/widgets/dialog_buttons.h"

namespace velmora::gui {

QToolButton* DialogToolButton(const QString& name, const QString& caption, QWidget* parent, QSize minimum) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(caption);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  b->setMinimumSize(minimum);
  return b;
}

}  // namespace velmora::gui
