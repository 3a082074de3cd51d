#pragma once
// The box in which a dialog chooses its records: the radio buttons `Selected` ("选中的数据",
// checked at start), `AllRecord` ("所有的数据") and `Range` ("指定单位编号的范围"), and the labels
// "从"/"到" (`LabelFrom`, `LabelTo`) with the code boxes `c901_1` and `c901_2`, which take digits
// only, at most 12 of them. The radio buttons are one tab stop, the checked one. Each dialog gives
// the box its own caption and geometry.

#include <QGroupBox>
#include <QRect>

#include "core/records/record_scope.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace velmora::gui {

class RecordScopeBox : public QGroupBox {
  Q_OBJECT
 public:
  // Where the parts sit: the box in its dialog, and the x positions of the labels and code boxes
  // on the row of the range (the radio buttons sit at 14, 20 / 42 / 64).
  struct Geometry {
    QRect box;
    int fromLabelX = 14;
    int fromX = 30;
    int toLabelX = 132;
    int toX = 148;
    int editWidth = 96;
  };

  RecordScopeBox(const QString& caption, const Geometry& geometry, QWidget* parent = nullptr);

  QRadioButton* Selected() const { return selected_; }
  QRadioButton* AllRecord() const { return allRecord_; }
  QRadioButton* Range() const { return range_; }
  QLineEdit* c901_1() const { return from_; }
  QLineEdit* c901_2() const { return to_; }

  // Selected, All or Range, by the checked button.
  records::ScopeKind kind() const;
  // The range of the two code boxes by the shared range rules; the boxes then show the texts as
  // the rules leave them (an empty one "0", a raised upper bound).
  records::RangeResolution resolveRange(records::RangeOrder order = records::RangeOrder::RaiseUpper);
  // Enables or disables the three radio buttons (while an operation runs).
  void setChoicesEnabled(bool enabled);

 private:
  QRadioButton* selected_;
  QRadioButton* allRecord_;
  QRadioButton* range_;
  QLineEdit* from_;
  QLineEdit* to_;
};

}  // namespace velmora::gui
