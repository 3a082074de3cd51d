#pragma once
// A name control (TCodeNameBox) for the keyboard, as the dialogs use it: a tab stop that shows the
// focus mark around its text and opens its list or picker with Alt+Down, Alt+Up or F4, as a
// drop-down list does. Other keys (Enter, Escape, Tab) go on to the dialog. The cover's name
// controls stay plain TCodeNameBox, out of the tab order.

#include <QMenu>

#include "gui/widgets/code_name_box.h"

namespace velmora::gui {

class TChoiceBox : public TCodeNameBox {
  Q_OBJECT
 public:
  explicit TChoiceBox(const QString& name, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

// Highlights the checked entry of a list that has just opened, so that the arrows move on from the
// current choice and Enter keeps it.
void ActivateCheckedEntry(QMenu* menu);

}  // namespace velmora::gui
