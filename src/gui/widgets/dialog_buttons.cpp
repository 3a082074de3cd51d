#include "gui/widgets/dialog_buttons.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

namespace velmora::gui {

namespace {

bool IsEnter(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<const QKeyEvent*>(event);
  return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
         (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void Run(QAbstractButton* button) {
  if (button && button->isEnabled() && button->isVisible()) button->click();
}

// Watches the dialog (keys its focused control left unused reach it) or one field.
class EnterRunsButton : public QObject {
 public:
  EnterRunsButton(QWidget* watched, QAbstractButton* button, bool focusedButtonFirst)
      : QObject(watched), button_(button), focusedButtonFirst_(focusedButtonFirst) {
    watched->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!IsEnter(event)) return QObject::eventFilter(watched, event);
    if (focusedButtonFirst_) {
      auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
      if (focused && !focused->isCheckable() && focused->window() == watched) {
        Run(focused);
        return true;
      }
    }
    Run(button_);
    return true;
  }

 private:
  QPointer<QAbstractButton> button_;
  bool focusedButtonFirst_;
};

class DropDownKeysOpenMenu : public QObject {
 public:
  explicit DropDownKeysOpenMenu(QToolButton* button) : QObject(button), button_(button) {
    button->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && IsDropDownKey(*static_cast<QKeyEvent*>(event))) {
      if (button_->isEnabled() && button_->menu()) button_->showMenu();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QToolButton* button_;
};

}  // namespace

bool IsDropDownKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  if (event.key() == Qt::Key_F4) return modifiers == Qt::NoModifier;
  return (event.key() == Qt::Key_Down || event.key() == Qt::Key_Up) && modifiers == Qt::AltModifier;
}

void OpenMenuWithDropDownKeys(QToolButton* button) { new DropDownKeysOpenMenu(button); }

QToolButton* DialogToolButton(const QString& name, const QString& caption, QWidget* parent, QSize minimum) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(caption);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  b->setMinimumSize(minimum);
  return b;
}

void SetDefaultButton(QDialog* dialog, QAbstractButton* button) {
  if (auto* push = qobject_cast<QPushButton*>(button)) push->setDefault(true);
  new EnterRunsButton(dialog, button, true);
}

void SetEnterButton(QWidget* field, QAbstractButton* button) { new EnterRunsButton(field, button, false); }

void OneTabStop(std::initializer_list<QRadioButton*> radios) {
  const std::vector<QRadioButton*> all(radios);
  const auto follow = [all] {
    for (QRadioButton* r : all) r->setFocusPolicy(r->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
  };
  for (QRadioButton* r : all) QObject::connect(r, &QRadioButton::toggled, r, follow);
  follow();
}

}  // namespace velmora::gui
