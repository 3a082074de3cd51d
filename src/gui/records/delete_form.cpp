#include "gui/records/delete_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include "core/records/record_delete.h"
#include "gui/records/grid_routines.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/record_scope_box.h"

namespace velmora::gui {

TdlgDeleteForm::TdlgDeleteForm(session::DatabaseSession& session, UserPrompts& prompts, RecordGrid& grid, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts), grid_(grid) {
  setObjectName("dlgDelete");
  setWindowTitle(QStringLiteral("选择删除的方式"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
  setFixedSize(265, 177);

  RecordScopeBox::Geometry geometry;
  geometry.box = QRect(8, 4, 249, 128);
  scope_ = new RecordScopeBox(QStringLiteral("删除的内容"), geometry, this);

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

QRadioButton* TdlgDeleteForm::Selected() const { return scope_->Selected(); }
QRadioButton* TdlgDeleteForm::AllRecord() const { return scope_->AllRecord(); }
QRadioButton* TdlgDeleteForm::Range() const { return scope_->Range(); }
QLineEdit* TdlgDeleteForm::c901_1() const { return scope_->c901_1(); }
QLineEdit* TdlgDeleteForm::c901_2() const { return scope_->c901_2(); }

void TdlgDeleteForm::tbDeleteClick() {
  db::Connection& connection = session_.SysADOConnection();
  switch (scope_->kind()) {
    case records::ScopeKind::Current:
    case records::ScopeKind::Selected:
      if (grid_.isOpen()) DeleteSelectedRecords(grid_, prompts_, connection, "dt_data", "c901");
      break;
    case records::ScopeKind::All:
      if (records::DeleteAllRecords(prompts_, connection, session_.Edition()) == 0) return;
      break;
    case records::ScopeKind::Range: {
      std::string lower = c901_1()->text().toStdString(), upper = c901_2()->text().toStdString();
      const int ran = records::DeleteRecordRange(prompts_, connection, session_.Edition(), lower, upper);
      c901_1()->setText(QString::fromStdString(lower));
      c901_2()->setText(QString::fromStdString(upper));
      if (ran == 0) return;
      break;
    }
  }
  grid_.requery();
}

}  // namespace velmora::gui
