#pragma once
// A one-line text box that filters the characters typed into it by a rule: either only the
// characters of ValidChars pass (tcValidate), or every character but those of ForbidChars
// (tcForbid). Pasted text and input-method text pass through the same filter.

#include <QLineEdit>

#include "core/entry/edit_filters.h"

namespace velmora::gui {

class ValidEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit ValidEdit(const QString& name, QWidget* parent = nullptr);

  entry::ValidEditRule Rule = entry::ForbidQuotesRule();
  // A further filter every typed character must pass (the telephone field); none when null.
  bool (*ExtraFilter)(char32_t) = nullptr;
  // Typed letters become upper case (the industry-category code).
  bool UpperCase = false;

  // Whether one typed character passes the filter.
  bool accepts(char32_t c) const;
  // The text as it would be typed: refused characters left out, letters raised when UpperCase.
  QString filtered(const QString& text) const;

 signals:
  void contentChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
};

}  // namespace velmora::gui
