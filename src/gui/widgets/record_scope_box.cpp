#include "gui/widgets/record_scope_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "gui/widgets/dialog_buttons.h"

namespace velmora::gui {

namespace {

constexpr int kRangeRowY = 94;
constexpr int kRowHeight = 22;

QLineEdit* CodeEdit(const char* name, int x, int width, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setGeometry(x, kRangeRowY, width, kRowHeight);
  const QString digits = QStringLiteral("[0-9]{0,%1}").arg(records::kCodeDigits);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(digits), edit));
  edit->setMaxLength(static_cast<int>(records::kCodeDigits));
  return edit;
}

QRadioButton* Choice(const char* name, const QString& caption, int y, QWidget* parent) {
  auto* button = new QRadioButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(14, y, 220, 20);
  return button;
}

}  // namespace

RecordScopeBox::RecordScopeBox(const QString& caption, const Geometry& geometry, QWidget* parent)
    : QGroupBox(caption, parent) {
  setGeometry(geometry.box);
  selected_ = Choice("Selected", QStringLiteral("选中的数据"), 20, this);
  selected_->setChecked(true);
  allRecord_ = Choice("AllRecord", QStringLiteral("所有的数据"), 42, this);
  range_ = Choice("Range", QStringLiteral("指定单位编号的范围"), 64, this);
  OneTabStop({selected_, allRecord_, range_});

  auto* labelFrom = new QLabel(QStringLiteral("从"), this);
  labelFrom->setObjectName("LabelFrom");
  labelFrom->setGeometry(geometry.fromLabelX, kRangeRowY, 16, kRowHeight);
  from_ = CodeEdit("c901_1", geometry.fromX, geometry.editWidth, this);
  auto* labelTo = new QLabel(QStringLiteral("到"), this);
  labelTo->setObjectName("LabelTo");
  labelTo->setGeometry(geometry.toLabelX, kRangeRowY, 16, kRowHeight);
  to_ = CodeEdit("c901_2", geometry.toX, geometry.editWidth, this);
}

records::ScopeKind RecordScopeBox::kind() const {
  if (allRecord_->isChecked()) return records::ScopeKind::All;
  if (range_->isChecked()) return records::ScopeKind::Range;
  return records::ScopeKind::Selected;
}

records::RangeResolution RecordScopeBox::resolveRange(records::RangeOrder order) {
  std::string lower = from_->text().toStdString(), upper = to_->text().toStdString();
  records::RangeResolution resolved = records::ResolveCodeRange(lower, upper, order);
  from_->setText(QString::fromStdString(lower));
  to_->setText(QString::fromStdString(upper));
  return resolved;
}

void RecordScopeBox::setChoicesEnabled(bool enabled) {
  for (QRadioButton* r : {selected_, allRecord_, range_}) r->setEnabled(enabled);
}

}  // namespace velmora::gui
