#include "gui/widgets/numeric_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QScrollArea>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cmath>

#include "core/entry/edit_filters.h"

namespace velmora::gui {

namespace {

constexpr int kMaxFraction = entry::kNumberBoxFraction;  // digits after the point in an amount

QString StripSeparators(QString text) { return text.remove(QLatin1Char(',')).trimmed(); }

}  // namespace

// Accepts what the box may hold (the form's number rule: digits, one point where decimals are
// allowed, within the digits and characters and not above the maximum). Separators shown by the
// display are ignored.
class TNumericEdit::Validator : public QValidator {
 public:
  explicit Validator(TNumericEdit& box) : QValidator(&box), box_(box) {}

  State validate(QString& input, int&) const override {
    const QString plain = StripSeparators(input);
    if (plain.isEmpty()) return Acceptable;
    if (plain == QLatin1String(".")) return box_.decimals_ ? Acceptable : Invalid;  // a fraction being typed
    entry::NumberBoxRule rule;
    rule.decimals = box_.decimals_;
    rule.maxChars = box_.maxChars_;
    rule.maximum = static_cast<std::int64_t>(box_.maximum_);
    double value = 0;
    return entry::CheckNumberBoxText(plain.toStdString(), rule, value) == entry::NumberBoxFault::None ? Acceptable
                                                                                                       : Invalid;
  }

 private:
  TNumericEdit& box_;
};

TNumericEdit::TNumericEdit(const QString& name, QWidget* parent) : QLineEdit(parent) {
  setObjectName(name);
  setValidator(new Validator(*this));
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (!quiet_) emit contentChanged();
  });
}

void TNumericEdit::setLimits(double minimum, double maximum, int maxChars) {
  minimum_ = minimum;
  maximum_ = maximum;
  maxChars_ = maxChars;
  updateGeometry();
}

void TNumericEdit::setDecimals(bool allowed) {
  decimals_ = allowed;
  updateGeometry();
}

QString TNumericEdit::widestText() const {
  // digits of the largest whole number the box takes
  int digits = static_cast<int>(QString::number(static_cast<qlonglong>(std::max(0.0, maximum_))).size());
  digits = std::min(digits, entry::kNumberBoxDigits);
  if (maxChars_ > 0) digits = std::min(digits, maxChars_);
  digits = std::max(digits, padding_);
  QStringList candidates{QString(digits, QLatin1Char('9'))};
  if (decimals_)
    for (int fraction = 1; fraction <= kMaxFraction; ++fraction) {
      const int whole = std::min(digits, entry::kNumberBoxDigits - fraction);
      if (maxChars_ > 0 && whole + 1 + fraction > maxChars_) break;
      candidates << QString(whole, QLatin1Char('9')) + QLatin1Char('.') + QString(fraction, QLatin1Char('9'));
    }
  const QFontMetrics fm = fontMetrics();
  QString widest;
  for (const QString& plain : candidates) {
    const QString shown = format(plain);
    if (widest.isEmpty() || fm.horizontalAdvance(shown) > fm.horizontalAdvance(widest)) widest = shown;
  }
  return widest;
}

QSize TNumericEdit::sizeHint() const {
  ensurePolished();
  // as QLineEdit sizes itself, with the widest value in place of its fixed count of characters
  const QFontMetrics fm = fontMetrics();
  const QMargins text = textMargins();
  const QMargins contents = contentsMargins();
  constexpr int kMargin = 2;  // QLineEdit's own margin on each side of the text
  const int h = std::max(fm.height(), 14) + 2 + text.top() + text.bottom() + contents.top() + contents.bottom();
  const int w = fm.horizontalAdvance(widestText()) + 2 * kMargin + 1 + text.left() + text.right() + contents.left() +
                contents.right();
  QStyleOptionFrame opt;
  initStyleOption(&opt);
  return style()->sizeFromContents(QStyle::CT_LineEdit, &opt, QSize(w, h), this);
}

QSize TNumericEdit::minimumSizeHint() const { return QSize(sizeHint().width(), QLineEdit::minimumSizeHint().height()); }

void TNumericEdit::setGrouping(bool on) {
  grouping_ = on;
  updateGeometry();
  if (!hasFocus()) showFormatted();
}

void TNumericEdit::setPadding(int digits) {
  padding_ = digits;
  updateGeometry();
  if (!hasFocus()) showFormatted();
}

QString TNumericEdit::plainText() const {
  QString plain = StripSeparators(text());
  if (padding_ > 0 && !plain.isEmpty()) {
    // "000000" shows as 0; the digits stand for the number they make
    bool ok = false;
    const qlonglong v = plain.toLongLong(&ok);
    if (ok) plain = QString::number(v);
  }
  return plain;
}

bool TNumericEdit::isBlank() const { return plainText().isEmpty(); }

double TNumericEdit::value() const {
  const QString plain = plainText();
  if (plain.isEmpty() || plain == QLatin1String(".")) return blankValue_;
  return plain.toDouble();
}

std::int64_t TNumericEdit::integerValue() const {
  const QString plain = plainText();
  if (plain.isEmpty() || plain == QLatin1String(".")) return static_cast<std::int64_t>(std::llround(blankValue_));
  bool ok = false;
  const qlonglong whole = plain.toLongLong(&ok);
  if (ok) return whole;
  return static_cast<std::int64_t>(std::llround(plain.toDouble()));
}

void TNumericEdit::setValue(double value) {
  QString plain;
  if (decimals_ && value != std::floor(value)) {
    plain = QString::number(value, 'f', kMaxFraction);
    while (plain.endsWith(QLatin1Char('0'))) plain.chop(1);
    if (plain.endsWith(QLatin1Char('.'))) plain.chop(1);
  } else {
    plain = QString::number(static_cast<qlonglong>(std::llround(value)));
  }
  setText(hasFocus() ? plain : format(plain));
}

void TNumericEdit::setIntegerValue(std::int64_t value) {
  const QString plain = QString::number(static_cast<qlonglong>(value));
  setText(hasFocus() ? plain : format(plain));
}

void TNumericEdit::clearValue() { setText(QString()); }

void TNumericEdit::setPlain(const QString& plain) {
  const QString digits = StripSeparators(plain);
  setText(hasFocus() ? digits : format(digits));
}

QString TNumericEdit::format(const QString& plain) const {
  if (plain.isEmpty()) return plain;
  QString whole = plain.section(QLatin1Char('.'), 0, 0);
  const QString fraction = plain.contains(QLatin1Char('.')) ? plain.section(QLatin1Char('.'), 1) : QString();
  if (whole.isEmpty()) whole = QStringLiteral("0");
  if (padding_ > 0) {
    whole = whole.rightJustified(padding_, QLatin1Char('0'));
  } else if (grouping_) {
    for (int i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, QLatin1Char(','));
  }
  return fraction.isEmpty() ? whole : whole + QLatin1Char('.') + fraction;
}

void TNumericEdit::setTextQuietly(const QString& text) {
  if (text == this->text()) return;
  quiet_ = true;
  const int pos = cursorPosition();
  setText(text);
  setCursorPosition(std::min(pos, static_cast<int>(text.size())));
  quiet_ = false;
}

void TNumericEdit::showFormatted() { setTextQuietly(format(plainText())); }
void TNumericEdit::showPlain() { setTextQuietly(plainText()); }

void TNumericEdit::clampToLimits() {
  if (isBlank()) return;
  const double v = value();
  if (v > maximum_) setValue(maximum_);
  else if (v < minimum_) setValue(minimum_);
}

void TNumericEdit::focusInEvent(QFocusEvent* event) {
  showPlain();
  QLineEdit::focusInEvent(event);
  // a box of a page wider than the form scrolls into view, however the focus came to it
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* area = qobject_cast<QScrollArea*>(w)) {
      area->ensureWidgetVisible(this);
      break;
    }
  if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
      event->reason() == Qt::OtherFocusReason)
    selectAll();
}

void TNumericEdit::focusOutEvent(QFocusEvent* event) {
  clampToLimits();
  showFormatted();
  QLineEdit::focusOutEvent(event);
}

void TNumericEdit::keyPressEvent(QKeyEvent* event) {
  // A comma typed by habit is passed over rather than refused with the whole keystroke.
  if (event->text() == QLatin1String(",")) return;
  QLineEdit::keyPressEvent(event);
}

}  // namespace velmora::gui
