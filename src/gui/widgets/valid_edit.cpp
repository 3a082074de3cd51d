#include "gui/widgets/valid_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace velmora::gui {

ValidEdit::ValidEdit(const QString& name, QWidget* parent) : QLineEdit(parent) {
  setObjectName(name);
  connect(this, &QLineEdit::textChanged, this, &ValidEdit::contentChanged);
}

bool ValidEdit::accepts(char32_t c) const {
  if (!entry::AcceptsTypedChar(Rule, c)) return false;
  return ExtraFilter == nullptr || ExtraFilter(c);
}

QString ValidEdit::filtered(const QString& text) const {
  QString out;
  for (char32_t c : text.toUcs4()) {
    if (c == U'\n' || c == U'\r' || c == entry::kBackspace) continue;
    if (UpperCase) c = entry::UpperCaseTyped(c);
    if (accepts(c)) out += QString::fromUcs4(&c, 1);
  }
  return out;
}

void ValidEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    if (!isReadOnly()) insert(filtered(QApplication::clipboard()->text()));
    return;
  }
  const QString typed = event->text();
  const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
  if (printable && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    const QString kept = filtered(typed);
    if (kept.isEmpty()) return;
    if (kept != typed) {
      insert(kept);
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void ValidEdit::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  if (!commit.isEmpty()) {
    const QString kept = filtered(commit);
    if (kept != commit) {
      QInputMethodEvent changed(event->preeditString(), event->attributes());
      changed.setCommitString(kept, event->replacementStart(), event->replacementLength());
      QLineEdit::inputMethodEvent(&changed);
      return;
    }
  }
  QLineEdit::inputMethodEvent(event);
}

}  // namespace velmora::gui
