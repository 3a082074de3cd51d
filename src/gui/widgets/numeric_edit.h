#pragma once
// The numeric box of the entry form: digits only (and one decimal point where decimals are
// allowed), a value held between a minimum and a maximum, a blank box that reads as a set value,
// and a display with thousands separators (or zero-padded) while the box is not being edited.
// Values are 64-bit: a box holds up to 14 digits.

#include <QLineEdit>
#include <QValidator>
#include <cstdint>
#include <optional>

namespace velmora::gui {

class TNumericEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TNumericEdit(const QString& name, QWidget* parent = nullptr);

  // Limits. A maximum length of 0 means no limit on the number of characters.
  void setLimits(double minimum, double maximum, int maxChars);
  double minimum() const { return minimum_; }
  double maximum() const { return maximum_; }
  int maxChars() const { return maxChars_; }

  // Whether a fraction may be typed (the amount fields).
  void setDecimals(bool allowed);
  bool decimals() const { return decimals_; }

  // The value a blank box reads as (0 unless set).
  void setBlankValue(double value) { blankValue_ = value; }
  // Thousands separators while not edited (the indicator boxes); off for codes.
  void setGrouping(bool on);
  // Zero-padded to this many digits while not edited (the division code: 6).
  void setPadding(int digits);

  bool isBlank() const;
  double value() const;               // the blank value when blank
  std::int64_t integerValue() const;  // rounded to the nearest whole number
  void setValue(double value);
  void setIntegerValue(std::int64_t value);
  void clearValue();  // blank
  // Sets the content from plain digits ("" = blank), shown formatted unless being edited.
  void setPlain(const QString& plain);

  // The digits as typed, without separators or padding ("" when blank).
  QString plainText() const;

  // The widest text the box shows for a value within its limits (formatted, as when not edited).
  QString widestText() const;
  // Wide enough for widestText at the box's font.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // The content changed, by typing or by the program (not by showing it formatted or plain).
  void contentChanged();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  class Validator;
  void showFormatted();
  void showPlain();
  void setTextQuietly(const QString& text);
  QString format(const QString& plain) const;
  void clampToLimits();

  double minimum_ = 0;
  double maximum_ = 99999999999999.0;
  int maxChars_ = 0;
  bool decimals_ = false;
  double blankValue_ = 0;
  bool grouping_ = true;
  int padding_ = 0;
  bool quiet_ = false;
};

}  // namespace velmora::gui
