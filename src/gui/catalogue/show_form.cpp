#include "gui/catalogue/show_form.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/catalogue/field_catalogue.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

TdlgShowForm::TdlgShowForm(db::Connection& connection, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), connection_(connection), prompts_(prompts) {
  setObjectName("dlgShow");
  setWindowTitle(QStringLiteral("自定义列表项"));
  resize(908, 636);

  pages_ = new QTabWidget(this);
  pages_->setObjectName("DataPage");
  pages_->setTabPosition(QTabWidget::South);
  pages_->setTabShape(QTabWidget::Rounded);
  addPage(QStringLiteral("封面"))->setObjectName("RzTabSheet1");

  auto* bar = new QFrame(this);
  bar->setObjectName("ToolBar");
  bar->setFrameShape(QFrame::StyledPanel);
  auto* buttons = new QHBoxLayout(bar);
  buttons->setContentsMargins(8, 4, 8, 4);
  buttons->addStretch();
  save_ = DialogToolButton("tbSave", QStringLiteral("确  定"), bar, QSize(80, 28));
  return_ = DialogToolButton("tbReturn", QStringLiteral("关  闭"), bar, QSize(80, 28));
  buttons->addWidget(save_);
  buttons->addWidget(return_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(pages_, 1);
  layout->addWidget(bar);

  connect(save_, &QToolButton::clicked, this, &TdlgShowForm::tbSaveClick);
  connect(return_, &QToolButton::clicked, this, &QDialog::reject);

  std::vector<catalogue::ChooserRow> rows;
  try {
    rows = catalogue::LoadChooserRows(connection_);
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
  }
  QFont font(QStringLiteral("宋体"));
  font.setPointSize(9);
  std::vector<int> placed;  // boxes already on each page
  for (const auto& row : rows) {
    if (row.PageID < 0) continue;
    while (row.PageID >= pages_->count()) addPage(QText(row.SheetName));
    const auto page = static_cast<std::size_t>(row.PageID);
    if (placed.size() <= page) placed.resize(page + 1, 0);
    const int n = placed[page]++;
    auto* box = new QCheckBox(QText(row.FieldName) + "--" + QText(row.Hint), pages_->widget(row.PageID));
    box->setObjectName(QText(row.FieldName));
    box->setProperty("tag", row.id);
    box->setFont(font);
    box->setGeometry((n % 2) * 438 + 4, (n / 2) * 30 + 6, 438, 35);
    box->setChecked(row.visible);
    boxes_.push_back(box);
  }
}

QWidget* TdlgShowForm::addPage(const QString& title) {
  auto* page = new QWidget;
  page->setAutoFillBackground(true);
  QPalette p = page->palette();
  p.setColor(QPalette::Window, Qt::white);
  page->setPalette(p);
  pages_->addTab(page, title);
  return page;
}

void TdlgShowForm::tbSaveClick() {
  std::vector<std::int32_t> ids;
  for (QCheckBox* box : boxes_)
    if (box->isChecked()) ids.push_back(box->property("tag").toInt());
  try {
    catalogue::SaveChooserSelection(connection_, ids);
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
    return;
  }
  if (onSaved) onSaved();
  prompts_.message("保存成功", MessageKind::Information);
  save_->setEnabled(false);
}

}  // namespace velmora::gui
