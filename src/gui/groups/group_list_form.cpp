#include "gui/groups/group_list_form.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/base/error_text.h"
#include "core/base/text.h"
#include "core/groups/group_transfer.h"
#include "gui/groups/group_item_form.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/window_job.h"
#include "gui/widgets/dialog_buttons.h"

namespace velmora::gui {

namespace {

constexpr const char* kNamePromptTitle = "自定义分组";
constexpr const char* kNamePrompt = "输入本种分组方式的名称";

QPushButton* Button(const QString& object, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(object);
  b->setAutoDefault(false);
  return b;
}


}  // namespace

TdlgGroupListForm::TdlgGroupListForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      session_(session),
      prompts_(prompts) {
  setObjectName("TdlgGroupListForm");
  setWindowTitle("自定义分组列表");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  grid_ = new QTableWidget(0, 1, this);
  grid_->setObjectName("DBGrid1");
  grid_->setHorizontalHeaderLabels({"名称"});
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setTabKeyNavigation(false);  // Tab leaves the list; the arrows move in it
  layout->addWidget(grid_, 1);

  auto* bar = new QHBoxLayout;
  add_ = Button("tbAdd", "增  加", this);
  remove_ = Button("tbRemove", "除  去", this);
  edit_ = Button("tbEdit", "修  改", this);
  import_ = Button("btnImport", "导  入", this);
  export_ = Button("btnExport", "导  出", this);
  return_ = Button("btnReturn", "返  回", this);
  for (QPushButton* b : {add_, remove_, edit_, import_, export_, return_}) bar->addWidget(b);
  layout->addLayout(bar);
  SetDefaultButton(this, edit_);  // Enter on a group opens it, as a double-click does
  progress_ = new TProgressBarForm(this);
  progress_->hide();

  connect(add_, &QPushButton::clicked, this, &TdlgGroupListForm::addGroup);
  connect(edit_, &QPushButton::clicked, this, &TdlgGroupListForm::editCurrent);
  connect(grid_, &QTableWidget::cellDoubleClicked, this, &TdlgGroupListForm::editCurrent);
  connect(remove_, &QPushButton::clicked, this, &TdlgGroupListForm::removeCurrent);
  connect(import_, &QPushButton::clicked, this, &TdlgGroupListForm::importGroups);
  connect(export_, &QPushButton::clicked, this, &TdlgGroupListForm::exportGroups);
  connect(return_, &QPushButton::clicked, this, &QDialog::close);

  resize(440, 360);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
  Requery();
}

void TdlgGroupListForm::showError(const std::exception& e) {
  prompts_.message(base::PublisherErrorText(e.what()), MessageKind::Error);
}

int TdlgGroupListForm::currentRow() const {
  const int row = grid_->currentRow();
  return row >= 0 && row < static_cast<int>(groups_.size()) ? row : -1;
}

void TdlgGroupListForm::Requery() {
  const std::int64_t current = currentRow() >= 0 ? groups_[static_cast<std::size_t>(currentRow())].id : 0;
  try {
    groups_ = groups::ListGroups(session_.SysADOConnection());
  } catch (const std::exception& e) {
    groups_.clear();
    showError(e);
  }
  grid_->setRowCount(static_cast<int>(groups_.size()));
  int keep = groups_.empty() ? -1 : 0;
  for (std::size_t i = 0; i < groups_.size(); ++i) {
    grid_->setItem(static_cast<int>(i), 0, new QTableWidgetItem(QString::fromStdString(groups_[i].name)));
    if (groups_[i].id == current) keep = static_cast<int>(i);
  }
  if (keep >= 0) grid_->setCurrentCell(keep, 0);
  setButtons();
}

void TdlgGroupListForm::setButtons() {
  const bool any = !groups_.empty();
  remove_->setEnabled(any);
  edit_->setEnabled(any);
}

void TdlgGroupListForm::addGroup() {
  std::optional<std::string> name;
  do {
    name = prompts_.inputText(kNamePromptTitle, kNamePrompt, "");
    if (!name) {
      setButtons();
      return;
    }
  } while (base::IsBlank(*name));
  std::int64_t id = 0;
  try {
    id = groups::AddGroup(session_.SysADOConnection(), *name);
  } catch (const std::exception& e) {
    showError(e);
    Requery();
    return;
  }
  Requery();
  for (std::size_t i = 0; i < groups_.size(); ++i)
    if (groups_[i].id == id) grid_->setCurrentCell(static_cast<int>(i), 0);
  openItems(id, QString::fromStdString(*name));
  setButtons();
}

void TdlgGroupListForm::editCurrent() {
  const int row = currentRow();
  if (row < 0) return;
  const groups::Group& g = groups_[static_cast<std::size_t>(row)];
  openItems(g.id, QString::fromStdString(g.name));
}

void TdlgGroupListForm::openItems(std::int64_t id, const QString& name) {
  TdlgGroupItemForm items(session_.SysADOConnection(), prompts_, id, name, this);
  connect(&items, &TdlgGroupItemForm::groupRenamed, this, &TdlgGroupListForm::Requery);
  items.exec();
  Requery();
}

void TdlgGroupListForm::removeCurrent() {
  const int row = currentRow();
  if (row >= 0 && prompts_.confirm(groups::kRemoveQuestion)) {
    try {
      groups::RemoveGroup(session_.SysADOConnection(), groups_[static_cast<std::size_t>(row)].id);
    } catch (const std::exception& e) {
      showError(e);
    }
    Requery();
  }
  setButtons();
}

void TdlgGroupListForm::importGroups() {
  WindowJob job(progress_, nullptr, false);
  groups::ImportGroupTables(session_, prompts_, groups::GroupTableList(), job);
  Requery();
}

void TdlgGroupListForm::exportGroups() {
  WindowJob job(progress_, nullptr, false);
  groups::ExportGroupTables(session_, prompts_, session_.DefaultDatabasePath(), groups::GroupTableList(), job);
  setButtons();
}

}  // namespace velmora::gui
