#include "gui/groups/group_item_form.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

#include "core/base/error_text.h"
#include "core/db/error.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/widgets/choice_box.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

const QStringList& ColumnTitles() {
  static const QStringList titles{"数据项目名称", "编号下限", "编号上限"};
  return titles;
}

std::int64_t Whole(const QLineEdit* edit) {
  bool ok = false;
  const qlonglong v = edit->text().trimmed().toLongLong(&ok);
  return ok ? v : 0;
}

QPushButton* Button(const QString& object, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(object);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

const QStringList& TdlgGroupItemForm::ColumnFields() {
  static const QStringList fields{"title", "LowValue", "HighValue"};
  return fields;
}

TdlgGroupItemForm::TdlgGroupItemForm(db::Connection& connection, UserPrompts& prompts, std::int64_t groupId,
                                     const QString& groupName, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      connection_(connection),
      prompts_(prompts),
      groupId_(groupId) {
  setObjectName("TdlgGroupItemForm");
  setWindowTitle("自定义分组");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildNameBar(groupName));
  layout->addWidget(buildGrid(), 1);
  layout->addWidget(buildEditors());
  layout->addLayout(buildButtons());
  // Enter adds the item the editors hold (never overwrites one); in the name box it saves the name.
  SetDefaultButton(this, add_);
  SetEnterButton(groupName_, save_);

  popup_ = new TToolForm(this);
  popup_->hide();

  connectSignals();
  showFirstState();
  resize(520, 480);
}

// The top line: the group's name and the button that saves it.
QWidget* TdlgGroupItemForm::buildNameBar(const QString& groupName) {
  auto* panel = new QFrame(this);
  panel->setObjectName("RzPanel1");
  auto* top = new QHBoxLayout(panel);
  top->addWidget(new QLabel("数据组名：", panel));
  groupName_ = new QLineEdit(groupName, panel);
  groupName_->setObjectName("GroupName");
  top->addWidget(groupName_, 1);
  save_ = Button("tbSave", "保  存", panel);
  top->addWidget(save_);
  return panel;
}

// The items, one a row; a click on a column title sorts them.
QTableWidget* TdlgGroupItemForm::buildGrid() {
  grid_ = new QTableWidget(0, 3, this);
  grid_->setObjectName("DBGrid1");
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSectionsClickable(true);
  grid_->horizontalHeader()->setStretchLastSection(true);
  for (int i = 0; i < 3; ++i) grid_->setHorizontalHeaderItem(i, new QTableWidgetItem(ColumnTitles()[i]));
  grid_->setColumnWidth(0, 200);
  grid_->setColumnWidth(1, 130);
  grid_->setTabKeyNavigation(false);  // Tab leaves the grid; the arrows move in it
  grid_->installEventFilter(this);
  return grid_;
}

// The editors of an item: its title and its two bounds, each with its symbol box.
QGroupBox* TdlgGroupItemForm::buildEditors() {
  box_ = new QGroupBox("分组项目定义", this);
  box_->setObjectName("GroupBox1");
  auto* rows = new QVBoxLayout(box_);
  auto* line1 = new QHBoxLayout;
  line1->addWidget(new QLabel("数据项目名称：", box_));
  name_ = new QLineEdit(box_);
  name_->setObjectName("name");
  line1->addWidget(name_, 1);
  rows->addLayout(line1);
  auto* validator = new QRegularExpressionValidator(QRegularExpression("\\d{0,13}"), this);
  auto boundLine = [&](const QString& caption, const QString& symbolName, const QString& boundName,
                       TCodeNameBox*& symbol, QLineEdit*& bound) {
    auto* line = new QHBoxLayout;
    line->addWidget(new QLabel(caption, box_));
    symbol = new TChoiceBox(symbolName, box_);
    symbol->setFixedWidth(60);
    line->addWidget(symbol);
    bound = new QLineEdit(box_);
    bound->setObjectName(boundName);
    bound->setValidator(validator);
    bound->setAlignment(Qt::AlignRight);
    line->addWidget(bound, 1);
    rows->addLayout(line);
  };
  boundLine("编号下限：", "LeftSymbol", "LowBoundary", leftSymbol_, lowBoundary_);
  boundLine("编号上限：", "RightSymbol", "HighBoundary", rightSymbol_, highBoundary_);
  return box_;
}

// The button row under the editors.
QHBoxLayout* TdlgGroupItemForm::buildButtons() {
  auto* buttons = new QHBoxLayout;
  add_ = Button("tbAdd", "增  加", this);
  remove_ = Button("tbRemove", "除  去", this);
  edit_ = Button("tbEdit", "修  改", this);
  return_ = Button("tbReturn", "返  回", this);
  buttons->addStretch(1);
  for (QPushButton* b : {add_, remove_, edit_, return_}) buttons->addWidget(b);
  return buttons;
}

void TdlgGroupItemForm::connectSignals() {
  connect(leftSymbol_, &TCodeNameBox::dropDownRequested, this,
          [this] { openSymbols(leftSymbol_, groups::LowSymbols()); });
  connect(rightSymbol_, &TCodeNameBox::dropDownRequested, this,
          [this] { openSymbols(rightSymbol_, groups::HighSymbols()); });
  connect(grid_, &QTableWidget::currentCellChanged, this, [this] { copyCurrentToEditors(); });
  connect(grid_, &QTableWidget::cellClicked, this, [this] { copyCurrentToEditors(); });
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TdlgGroupItemForm::SortByColumn);
  for (QLineEdit* e : {name_, lowBoundary_, highBoundary_})
    connect(e, &QLineEdit::textChanged, this, &TdlgGroupItemForm::updateButtons);
  connect(add_, &QPushButton::clicked, this, [this] { StoreItem(true); });
  connect(edit_, &QPushButton::clicked, this, [this] {
    if (!items_.empty()) StoreItem(false);
  });
  connect(remove_, &QPushButton::clicked, this, &TdlgGroupItemForm::removeItem);
  connect(return_, &QPushButton::clicked, this, &QDialog::close);
  connect(groupName_, &QLineEdit::textChanged, this,
          [this](const QString& text) { save_->setEnabled(!text.isEmpty()); });
  connect(save_, &QPushButton::clicked, this, &TdlgGroupItemForm::saveName);
}

// No sorted column, the symbols of a new item, the items, the buttons.
void TdlgGroupItemForm::showFirstState() {
  leftSymbol_->setText(">=");
  leftSymbol_->setRememberedCode(survey::LookupCodeId(groups::LowSymbols(), ">="));
  rightSymbol_->setText("<");
  rightSymbol_->setRememberedCode(survey::LookupCodeId(groups::HighSymbols(), "<"));
  try {
    const std::optional<groups::Group> group = groups::FindGroup(connection_, groupId_);
    const std::string stored = group ? group->orderstr : std::string();
    items_ = groups::LoadItems(connection_, groupId_, stored);
    order_ = stored;  // storing keeps this order until a title is clicked
    loadItems({});
  } catch (const std::exception& e) {
    // An order the engine cannot read: the items are shown in their own order.
    showError(e);
    loadItems(groups::kDefaultOrder);
  }
  copyCurrentToEditors();
  save_->setEnabled(false);
  updateButtons();
}

void TdlgGroupItemForm::showError(const std::exception& e) {
  prompts_.message(base::PublisherErrorText(e.what()), MessageKind::Error);
}

void TdlgGroupItemForm::loadItems(const std::string& order) {
  const std::int64_t current = currentRow() >= 0 ? items_[static_cast<std::size_t>(currentRow())].id : 0;
  if (!order.empty()) items_ = groups::LoadItems(connection_, groupId_, order);
  QSignalBlocker block(grid_);
  grid_->setRowCount(static_cast<int>(items_.size()));
  int keep = items_.empty() ? -1 : 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const groups::Item& item = items_[i];
    const int row = static_cast<int>(i);
    grid_->setItem(row, 0, new QTableWidgetItem(QText(item.draft.title)));
    grid_->setItem(row, 1, new QTableWidgetItem(QText(item.lowValue)));
    grid_->setItem(row, 2, new QTableWidgetItem(QText(item.highValue)));
    if (item.id == current) keep = row;
  }
  if (keep >= 0) grid_->setCurrentCell(keep, 0);
}

int TdlgGroupItemForm::currentRow() const {
  const int row = grid_->currentRow();
  return row >= 0 && row < static_cast<int>(items_.size()) ? row : -1;
}

void TdlgGroupItemForm::copyCurrentToEditors() {
  const int row = currentRow();
  if (row < 0) return;
  const groups::ItemDraft& d = items_[static_cast<std::size_t>(row)].draft;
  name_->setText(QText(d.title));
  lowBoundary_->setText(QString::number(d.low));
  highBoundary_->setText(QString::number(d.high));
  leftSymbol_->setText(QText(d.lowSymbol));
  leftSymbol_->setRememberedCode(survey::LookupCodeId(groups::LowSymbols(), d.lowSymbol));
  rightSymbol_->setText(QText(d.highSymbol));
  rightSymbol_->setRememberedCode(survey::LookupCodeId(groups::HighSymbols(), d.highSymbol));
  updateButtons();
}

void TdlgGroupItemForm::updateButtons() {
  const bool hasItems = !items_.empty();
  const bool addable = !name_->text().isEmpty() && Whole(lowBoundary_) < Whole(highBoundary_);
  add_->setEnabled(addable);
  edit_->setEnabled(addable && hasItems);
  remove_->setEnabled(hasItems);
}

groups::ItemDraft TdlgGroupItemForm::draft() const {
  return groups::ItemDraft{name_->text().toStdString(), Whole(lowBoundary_), Whole(highBoundary_),
                           leftSymbol_->text().toStdString(), rightSymbol_->text().toStdString()};
}

bool TdlgGroupItemForm::StoreItem(bool append) {
  const groups::ItemDraft d = draft();
  if (const auto refused = groups::ValidateItem(d)) {
    prompts_.message(*refused, MessageKind::Warning);
    return false;
  }
  const int row = currentRow();
  if (!append && row < 0) return false;
  try {
    std::int64_t id = 0;
    if (append) {
      id = groups::AddItem(connection_, groupId_, d);
    } else {
      id = items_[static_cast<std::size_t>(row)].id;
      groups::EditItem(connection_, id, groupId_, d);
    }
    loadItems(order_.empty() ? std::string(groups::kDefaultOrder) : order_);
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i].id == id) grid_->setCurrentCell(static_cast<int>(i), 0);
  } catch (const std::exception& e) {
    showError(e);
    return false;
  }
  updateButtons();
  return true;
}

void TdlgGroupItemForm::removeItem() {
  const int row = currentRow();
  if (row < 0 || !prompts_.confirm(groups::kRemoveQuestion)) return;
  try {
    groups::RemoveItem(connection_, items_[static_cast<std::size_t>(row)].id);
    items_.erase(items_.begin() + row);
    loadItems(order_.empty() ? std::string(groups::kDefaultOrder) : order_);
    grid_->setCurrentCell(std::min(row, grid_->rowCount() - 1), 0);
    copyCurrentToEditors();
  } catch (const std::exception& e) {
    showError(e);
  }
  updateButtons();
}

void TdlgGroupItemForm::saveName() {
  try {
    groups::RenameGroup(connection_, groupId_, groupName_->text().toStdString());
  } catch (const std::exception& e) {
    showError(e);
    return;
  }
  emit groupRenamed();
}

void TdlgGroupItemForm::SortByColumn(int column) {
  if (column < 0 || column >= ColumnFields().size()) return;
  const int previous = static_cast<int>(ColumnFields().indexOf(QText(sort_.column)));
  const std::string clause = groups::NextSort(sort_, ColumnFields()[column].toStdString());
  if (previous >= 0 && previous != column) {
    QTableWidgetItem* old = grid_->horizontalHeaderItem(previous);
    old->setText(ColumnTitles()[previous]);
    old->setData(Qt::ForegroundRole, QVariant());
  }
  QTableWidgetItem* title = grid_->horizontalHeaderItem(column);
  title->setText(ColumnTitles()[column] + (sort_.descending() ? "▼" : "▲"));
  title->setForeground(QBrush(QColor(0, 255, 0)));
  try {
    loadItems(clause);
    order_ = clause;
    groups::StoreGroupOrder(connection_, groupId_, clause);
  } catch (const std::exception& e) {
    showError(e);
  }
}

void TdlgGroupItemForm::openSymbols(TCodeNameBox* box, const survey::TMenuItemDataArray& symbols) {
  popup_->ShowCodePopup(*box, symbols, [this](int) { updateButtons(); });
  ActivateCheckedEntry(popup_->CodePopupMenu());
}

// On the grid, Delete removes the item and Enter takes the item into the editors (the focus goes
// to its title), rather than adding it again.
bool TdlgGroupItemForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyRelease &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    removeItem();
    return true;
  }
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      name_->setFocus(Qt::TabFocusReason);
      name_->selectAll();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace velmora::gui
