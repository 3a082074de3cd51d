#include "gui/widgets/choice_box.h"

#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/program_style.h"

namespace velmora::gui {

TChoiceBox::TChoiceBox(const QString& name, QWidget* parent) : TCodeNameBox(name, parent) {
  setFocusPolicy(Qt::StrongFocus);
}

void TChoiceBox::keyPressEvent(QKeyEvent* event) {
  if (IsDropDownKey(*event)) {
    if (isEnabled()) emit dropDownRequested();
    return;
  }
  TCodeNameBox::keyPressEvent(event);
}

void TChoiceBox::focusInEvent(QFocusEvent* event) {
  TCodeNameBox::focusInEvent(event);
  update();
}

void TChoiceBox::focusOutEvent(QFocusEvent* event) {
  TCodeNameBox::focusOutEvent(event);
  update();
}

// The mark goes around the text, left of the drop-down button; the text shows through it.
void TChoiceBox::paintEvent(QPaintEvent* event) {
  TCodeNameBox::paintEvent(event);
  if (!hasFocus()) return;
  const QRect inside = contentsRect();
  QRect text(inside.left() + 1, inside.top() + 1, button()->geometry().left() - inside.left() - 3,
             inside.height() - 2);
  QPainter painter(this);
  DrawFocusMark(&painter, text, palette().color(backgroundRole()), palette());
}

void ActivateCheckedEntry(QMenu* menu) {
  for (QAction* action : menu->actions())
    if (action->isChecked()) {
      menu->setActiveAction(action);
      return;
    }
}

}  // namespace velmora::gui
