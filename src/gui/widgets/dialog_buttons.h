#pragma once
// The text buttons of the dialogs' bottom tool bars ("删  除", "返  回", "确  定" ...), the Enter
// key of a dialog (the default button, and a button of its own for one field), the drop-down keys
// of a menu button, and the tab stop of a set of radio buttons.

#include <QSize>
#include <initializer_list>
#include <QString>
#include <QToolButton>

class QAbstractButton;
class QDialog;
class QKeyEvent;
class QRadioButton;

namespace velmora::gui {

QToolButton* DialogToolButton(const QString& name, const QString& caption, QWidget* parent,
                              QSize minimum = QSize(72, 26));

// Enter (or Return) in `dialog` runs `button` when it is enabled: wherever the focused control does
// not use the key itself; on a focused push or tool button, Enter runs that button instead. Unlike
// QDialog's own default this serves tool buttons too. A push button also shows as the default.
void SetDefaultButton(QDialog* dialog, QAbstractButton* button);
// Enter in `field` runs `button` (when enabled) instead of the dialog's default.
void SetEnterButton(QWidget* field, QAbstractButton* button);

// Alt+Down, Alt+Up and F4: the keys that open a drop-down list.
bool IsDropDownKey(const QKeyEvent& event);
// A tool button whose menu is its drop-down list opens it with those keys too.
void OpenMenuWithDropDownKeys(QToolButton* button);

// Radio buttons that exclude each other are one tab stop: the checked one (the arrows move between
// them). Left to itself Qt stops at whichever of them had the focus first, checked or not.
void OneTabStop(std::initializer_list<QRadioButton*> radios);

}  // namespace velmora::gui
