#include "gui/records/delete_form.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolButton>

#include "core/records/record_delete.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/records/grid_routines.h"
#include "gui/records/record_grid.h"

namespace velmora::gui {

TdlgDeleteForm::TdlgDeleteForm(db::DatabaseSession& session, UserPrompts& prompts, RecordGrid& grid, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts), grid_(grid) {
  setObjectName("dlgDelete");
  setWindowTitle(QStringLiteral("选择删除的方式"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
  setFixedSize(265, 177);

  auto* group = new QGroupBox(QStringLiteral("删除的内容"), this);
  group->setGeometry(8, 4, 249, 128);
  selected_ = new QRadioButton(QStringLiteral("选中的数据"), group);
  selected_->setObjectName("Selected");
  selected_->setGeometry(14, 20, 220, 20);
  selected_->setChecked(true);
  allRecord_ = new QRadioButton(QStringLiteral("所有的数据"), group);
  allRecord_->setObjectName("AllRecord");
  allRecord_->setGeometry(14, 42, 220, 20);
  range_ = new QRadioButton(QStringLiteral("指定单位编号的范围"), group);
  range_->setObjectName("Range");
  range_->setGeometry(14, 64, 220, 20);

  auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this);
  auto* fromLabel = new QLabel(QStringLiteral("从"), group);
  fromLabel->setGeometry(14, 94, 16, 22);
  from_ = new QLineEdit(group);
  from_->setObjectName("c901_1");
  from_->setGeometry(30, 94, 96, 22);
  from_->setValidator(digits);
  from_->setMaxLength(12);
  auto* toLabel = new QLabel(QStringLiteral("到"), group);
  toLabel->setGeometry(132, 94, 16, 22);
  to_ = new QLineEdit(group);
  to_->setObjectName("c901_2");
  to_->setGeometry(148, 94, 96, 22);
  to_->setValidator(digits);
  to_->setMaxLength(12);

  auto* bar = new QFrame(this);
  bar->setObjectName("ToolBar");
  bar->setFrameShape(QFrame::StyledPanel);
  bar->setGeometry(0, 140, 265, 37);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addStretch();
  delete_ = DialogToolButton("tbDelete", QStringLiteral("删  除"), bar);
  return_ = DialogToolButton("tbReturn", QStringLiteral("返  回"), bar);
  layout->addWidget(delete_);
  layout->addWidget(return_);

  connect(delete_, &QToolButton::clicked, this, &TdlgDeleteForm::tbDeleteClick);
  connect(return_, &QToolButton::clicked, this, &QDialog::reject);
}

void TdlgDeleteForm::tbDeleteClick() {
  db::Connection& connection = session_.SysADOConnection();
  if (selected_->isChecked()) {
    if (grid_.isOpen()) DeleteSelectedRecords(grid_, prompts_, connection, "dt_data", "c901");
  } else if (allRecord_->isChecked()) {
    if (records::DeleteAllRecords(prompts_, connection, session_.Edition()) == 0) return;
  } else {
    std::string lower = from_->text().toStdString(), upper = to_->text().toStdString();
    const int ran = records::DeleteRecordRange(prompts_, connection, session_.Edition(), lower, upper);
    from_->setText(QString::fromStdString(lower));
    to_->setText(QString::fromStdString(upper));
    if (ran == 0) return;
  }
  grid_.requery();
}

}  // namespace velmora::gui
