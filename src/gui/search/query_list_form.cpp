#include "gui/search/query_list_form.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/base/text.h"
#include "core/catalogue/field_catalogue.h"
#include "gui/records/grid_routines.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/dialog_buttons.h"

namespace velmora::gui {

namespace {
const QString kExportLater = QStringLiteral("导出功能尚未提供");
}

TdlgQueryListForm::TdlgQueryListForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts) {
  setObjectName("dlgQueryList");
  setWindowTitle(QStringLiteral("查询结果列表"));
  resize(760, 480);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  grid_ = new RecordGrid(session_, prompts_, this);
  grid_->setObjectName("DBGrid1");
  grid_->setTabKeyNavigation(false);  // Tab leaves the list for the tool bar
  layout->addWidget(grid_, 1);

  auto* countRow = new QHBoxLayout;
  countRow->setContentsMargins(8, 4, 8, 4);
  countRow->addWidget(new QLabel(QStringLiteral("符合条件的数据总数："), this));
  count_ = new QLabel(QStringLiteral("0"), this);
  count_->setObjectName("CountLabel");
  countRow->addWidget(count_);
  countRow->addStretch();
  layout->addLayout(countRow);

  auto* bar = new QFrame(this);
  bar->setObjectName("ToolBar");
  bar->setFrameShape(QFrame::StyledPanel);
  auto* buttons = new QHBoxLayout(bar);
  buttons->setContentsMargins(6, 4, 6, 4);
  edit_ = DialogToolButton("tbEdit", QStringLiteral("修改数据信息"), bar, QSize(96, 26));
  delete_ = DialogToolButton("tbDelete", QStringLiteral("删除数据信息"), bar, QSize(96, 26));
  export_ = DialogToolButton("tbDataExport", QStringLiteral("导出查询结果"), bar, QSize(108, 26));
  return_ = DialogToolButton("tbReturn", QStringLiteral("返  回"), bar);
  exportMenu_ = new QMenu(export_);
  saveAccess_ = exportMenu_->addAction(QStringLiteral("导出详细数据为Access文件"));
  saveAccess_->setObjectName("mnSaveAsAccess");
  saveExcel_ = exportMenu_->addAction(QStringLiteral("导出结果列表为Excel文件"));
  saveExcel_->setObjectName("mnSaveAsExecel");
  exportMenu_->setToolTipsVisible(true);
  export_->setMenu(exportMenu_);
  export_->setPopupMode(QToolButton::MenuButtonPopup);
  setExports({}, {});
  for (QToolButton* b : {edit_, delete_, export_}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(return_);
  layout->addWidget(bar);

  connect(edit_, &QToolButton::clicked, this, &TdlgQueryListForm::tbEditClick);
  connect(delete_, &QToolButton::clicked, this, &TdlgQueryListForm::tbDeleteClick);
  connect(export_, &QToolButton::clicked, export_, &QToolButton::showMenu);
  connect(return_, &QToolButton::clicked, this, &QDialog::reject);
  connect(grid_, &RecordGrid::modifyRequested, this, &TdlgQueryListForm::tbEditClick);
  connect(grid_, &RecordGrid::deleteRequested, this, &TdlgQueryListForm::tbDeleteClick);
  connect(saveExcel_, &QAction::triggered, this, [this] {
    if (saveAsExcel_) saveAsExcel_(*this);
  });
  connect(saveAccess_, &QAction::triggered, this, [this] {
    if (saveAsAccess_) saveAsAccess_(*this);
  });
}

TdlgQueryListForm::~TdlgQueryListForm() = default;

void TdlgQueryListForm::setExports(std::function<void(TdlgQueryListForm&)> saveAsExcel,
                                   std::function<void(TdlgQueryListForm&)> saveAsAccess) {
  saveAsExcel_ = std::move(saveAsExcel);
  saveAsAccess_ = std::move(saveAsAccess);
  saveExcel_->setEnabled(static_cast<bool>(saveAsExcel_));
  saveAccess_->setEnabled(static_cast<bool>(saveAsAccess_));
  saveExcel_->setToolTip(saveAsExcel_ ? QString() : kExportLater);
  saveAccess_->setToolTip(saveAsAccess_ ? QString() : kExportLater);
}

// The catalogue's visible rows in the order of their field names, case aside; the first column carries the
// ascending marker in lime. An empty catalogue leaves every column of the data under its own name.
void TdlgQueryListForm::loadColumns() {
  catalogue::TFieldDataArray fields;
  try {
    fields = catalogue::LoadFieldData(session_.SysADOConnection(), session_.Edition());
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
  }
  fields.erase(std::remove_if(fields.begin(), fields.end(), [](const catalogue::TFieldData& f) { return !f.Visible; }),
               fields.end());
  // The catalogue's index on the field name ignores letter case: "c901" comes before "RecordState".
  std::stable_sort(fields.begin(), fields.end(), [](const catalogue::TFieldData& a, const catalogue::TFieldData& b) {
    return base::AsciiLower(a.FieldName) < base::AsciiLower(b.FieldName);
  });
  grid_->setFieldData(fields);
  if (!fields.empty()) grid_->markSorted(0, 1);
}

bool TdlgQueryListForm::SetCondition(const std::string& condition) {
  condition_ = condition;
  loadColumns();
  grid_->source().setCondition(condition);
  grid_->open();
  count_->setText(QString::number(grid_->recordCount()));
  return grid_->isOpen();
}

void TdlgQueryListForm::tbEditClick() {
  if (grid_->isEmpty() || !modifyRecord) return;
  modifyRecord(*grid_);
}

// The count stays as it was: it tells what the search found.
void TdlgQueryListForm::tbDeleteClick() {
  DeleteSelectedRecords(*grid_, prompts_, session_.SysADOConnection(), "dt_data", "c901");
}

}  // namespace velmora::gui
