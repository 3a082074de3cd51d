// The keys of the entry form: Ctrl+S, Enter and the arrows moving from field to field, the fields
// with fixed neighbours, page keys passing the page-change handling, and the input methods of the
// text fields.
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QToolButton>
#include <QTabWidget>
#include <cstring>

#include "core/settings/settings.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_data_form.h"
#include "gui/widgets/valid_edit.h"
#include "gui/settings/input_methods.h"

namespace velmora::gui {

namespace {

// Fields whose neighbours are fixed whatever the order of the page; a null neighbour: Up stays.
struct FixedNeighbours {
  const char* field;
  const char* next;
  const char* previous;
};
constexpr FixedNeighbours kFixedNeighbours[] = {
    {"w001", "w002", nullptr}, {"w002", "w003", "w001"}, {"w003", "w004", "w002"},
    {"b005", "b006", "b004"},  {"b006", "b007", "b005"},
};

const FixedNeighbours* FixedNeighboursOf(const QString& name) {
  for (const FixedNeighbours& f : kFixedNeighbours)
    if (name == QLatin1String(f.field)) return &f;
  return nullptr;
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// The text fields where Chinese is typed.
constexpr const char* kChineseFields[] = {"c902", "c910", "c911"};

bool IsChineseField(const QWidget* w) {
  for (const char* name : kChineseFields)
    if (w->objectName() == QLatin1String(name)) return true;
  return false;
}

}  // namespace

// A key in a field (or on the page tabs, `field` null), seen before the field itself; true when
// the form used it.
bool TdlgSurveyDataForm::fieldKeyPress(QWidget* field, QKeyEvent* event) {
  if (event->matches(QKeySequence::Save)) {
    holdShortcut();
    return true;
  }
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const int key = event->key();
  const int page = dataPage_->currentIndex();
  const int lastPage = dataPage_->count() - 1;

  // Page keys of the page control, through the page-change handling.
  if (modifiers & Qt::ControlModifier) {
    const bool back = key == Qt::Key_Backtab || key == Qt::Key_PageUp ||
                      (key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier));
    const bool forward = !back && (key == Qt::Key_Tab || key == Qt::Key_PageDown);
    if (back || forward) {
      setActivePage(back ? (page == 0 ? lastPage : page - 1) : (page == lastPage ? 0 : page + 1));
      return true;
    }
    return false;
  }
  if (modifiers != Qt::NoModifier) return false;
  if (!field && (key == Qt::Key_Left || key == Qt::Key_Right)) {
    const int to = key == Qt::Key_Left ? page - 1 : page + 1;
    if (to >= 0 && to <= lastPage) setActivePage(to);
    return true;
  }
  if (IsEnter(key) || key == Qt::Key_Down) {
    if (!field || !moveToNeighbour(field, true)) FocusNextField(field);
    return true;
  }
  if (key == Qt::Key_Up) {
    if (!field || !moveToNeighbour(field, false)) FocusPreviousField(field);
    return true;
  }
  return false;
}

// The fixed neighbour of a field, when it has one; false to let the page order decide (also when
// the neighbour is closed).
bool TdlgSurveyDataForm::moveToNeighbour(QWidget* field, bool forward) {
  const FixedNeighbours* fixed = FixedNeighboursOf(field->objectName());
  if (!fixed) return false;
  const char* target = forward ? fixed->next : fixed->previous;
  if (!target) return true;  // Up on w001 stays where it is
  QWidget* w = controls_.value(QString::fromLatin1(target));
  if (!w || !w->isEnabled()) return false;
  w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

// Ctrl+S stands for the temporary-save button and does nothing while the button is disabled
// (nothing changed, or a reporting state that allows no temporary save).
void TdlgSurveyDataForm::holdShortcut() {
  if (button("tbHold")->isEnabled()) tbHoldClick();
}

// Keys that reach the form itself (the focus on no field): Ctrl+S saves, Enter never closes it.
void TdlgSurveyDataForm::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Save)) {
    holdShortcut();
    return;
  }
  if (IsEnter(event->key())) {
    FocusNextField(nullptr);
    return;
  }
  QDialog::keyPressEvent(event);
}

// Numbers and codes are typed without an input method; the name, the filler and the telephone
// take the preferred one.
void TdlgSurveyDataForm::setupInputMethods() {
  for (QWidget* w : fieldOrder_) {
    if (IsChineseField(w)) {
      w->setAttribute(Qt::WA_InputMethodEnabled, true);
      w->setInputMethodHints(w->objectName() == QLatin1String("c911") ? Qt::ImhPreferNumbers : Qt::ImhNone);
    } else {
      w->setAttribute(Qt::WA_InputMethodEnabled, false);
      w->setInputMethodHints(qobject_cast<TNumericEdit*>(w) ? Qt::ImhFormattedNumbersOnly
                                                             : Qt::ImhPreferUppercase | Qt::ImhNoPredictiveText);
    }
  }
}

// On entering a Chinese text field: its input method on (the preferred one asked for).
void TdlgSurveyDataForm::switchInputMethod(QWidget* field) {
  if (IsChineseField(field)) SwitchOnPreferredInputMethod(field);
}

}  // namespace velmora::gui
