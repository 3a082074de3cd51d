#include "gui/review/review_result_win.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <filesystem>

#include "core/base/paths.h"
#include "core/prompts/user_prompts.h"
#include "core/review/review_workbook.h"
#include "core/review/verdicts.h"
#include "core/session/session.h"
#include "gui/entry/message_list_win.h"
#include "gui/review/review_plot.h"
#include "gui/review/review_text.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

constexpr int kIndexRole = Qt::UserRole + 1;
constexpr const char* kAll = "全部";
constexpr int kColumnWidths[] = {112, 170, 56, 48, 180, 92, 76, 76, 60, 60, 52, 120};

QTableWidget* Table(const QString& name, const QStringList& titles, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(titles.size()), parent);
  table->setObjectName(name);
  table->setHorizontalHeaderLabels(titles);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setWordWrap(false);
  table->verticalHeader()->setDefaultSectionSize(20);
  table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  table->horizontalHeader()->setHighlightSections(false);
  return table;
}

QTableWidgetItem* Cell(const QString& text, bool number = false) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  return item;
}

}  // namespace

TReviewResultWin::TReviewResultWin(session::DatabaseSession& session, UserPrompts& prompts,
                                   review::ReviewResult result, std::vector<review::ReviewField> fields,
                                   QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint |
                          Qt::CustomizeWindowHint),
      session_(session),
      prompts_(prompts),
      result_(std::move(result)),
      fields_(std::move(fields)) {
  setObjectName("TReviewResultWin");
  setWindowTitle("数据审核结果 - 对照：" + QText(result_.reference));
  resize(1100, 760);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("ReviewTabs");

  // the findings page: filters, the table over the plot, the buttons
  auto* page = new QWidget(tabs_);
  tableCombo_ = new QComboBox(page);
  tableCombo_->setObjectName("TableFilter");
  fieldCombo_ = new QComboBox(page);
  fieldCombo_->setObjectName("FieldFilter");
  fieldCombo_->setMinimumContentsLength(12);
  fieldCombo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  kindCombo_ = new QComboBox(page);
  kindCombo_->setObjectName("KindFilter");
  kindCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  showVerified_ = new QCheckBox("显示已核实(&S)", page);
  showVerified_->setObjectName("ShowVerified");
  auto label = [page](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, page);
    l->setBuddy(buddy);
    return l;
  };
  auto* filters = new QHBoxLayout;
  filters->addWidget(label("调查表(&T)：", tableCombo_));
  filters->addWidget(tableCombo_);
  filters->addSpacing(8);
  filters->addWidget(label("指标(&F)：", fieldCombo_));
  filters->addWidget(fieldCombo_, 1);
  filters->addSpacing(8);
  filters->addWidget(label("类型(&K)：", kindCombo_));
  filters->addWidget(kindCombo_);
  filters->addSpacing(8);
  filters->addWidget(showVerified_);

  findings_ = Table("FindingsGrid",
                    {"统计编码", "单位名称", "调查表", "指标", "指标名称", "类型", "上年", "本年", "比值", "得分", "核实",
                     "备注"},
                    page);
  for (int c = 0; c < ColumnCount; ++c) findings_->setColumnWidth(c, kColumnWidths[c]);
  findings_->horizontalHeader()->setStretchLastSection(true);
  findings_->installEventFilter(this);
  findings_->setMinimumHeight(64);
  plot_ = new TReviewPlot(page);
  splitter_ = new QSplitter(Qt::Vertical, page);
  splitter_->setObjectName("ReviewSplitter");
  splitter_->addWidget(findings_);
  splitter_->addWidget(plot_);
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({330, 300});
  splitter_->setChildrenCollapsible(false);

  verify_ = new QPushButton("已核实(&V)", page);
  verify_->setObjectName("tbVerify");
  verify_->setToolTip("与单位核实过的数据：以后这两个数值不变时不再列出");
  unverify_ = new QPushButton("取消核实(&U)", page);
  unverify_->setObjectName("tbUnverify");
  export_ = new QPushButton("导出(&E)", page);
  export_->setObjectName("tbExport");
  close_ = new QPushButton("关闭", page);
  close_->setObjectName("tbClose");
  for (QPushButton* b : {verify_, unverify_, export_, close_}) b->setAutoDefault(false);
  status_ = new QLabel(page);
  status_->setObjectName("ReviewStatus");
  status_->setWordWrap(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(status_, 1);
  buttons->addWidget(verify_);
  buttons->addWidget(unverify_);
  buttons->addWidget(export_);
  buttons->addWidget(close_);

  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->addLayout(filters);
  pageLayout->addWidget(splitter_, 1);
  pageLayout->addLayout(buttons);
  tabs_->addTab(page, "审核结果");

  missing_ = Table("MissingGrid", {"统计编码", "单位名称"}, tabs_);
  added_ = Table("AddedGrid", {"统计编码", "单位名称"}, tabs_);
  for (QTableWidget* t : {missing_, added_}) {
    t->setColumnWidth(0, 110);
    t->horizontalHeader()->setStretchLastSection(true);
  }
  tabs_->addTab(missing_, QString("未报单位(%1)").arg(result_.roster.missing.size()));
  tabs_->addTab(added_, QString("新增单位(%1)").arg(result_.roster.added.size()));
  fillRoster(missing_, result_.roster.missing);
  fillRoster(added_, result_.roster.added);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(tabs_);
  // the window's smallest size is its own, not the plot's: without the plot it fits in less
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  setMinimumSize(480, 200);

  kindCombo_->addItem(kAll, -1);
  for (review::FindingKind kind : {review::FindingKind::High, review::FindingKind::Low, review::FindingKind::FromZero,
                                   review::FindingKind::ToZero})
    kindCombo_->addItem(review::KindCaption(kind), static_cast<int>(kind));
  fillTableCombo();
  fillFieldCombo();
  fillFindings();

  connect(tableCombo_, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    fillFieldCombo();
    fillFindings();
  });
  connect(fieldCombo_, &QComboBox::currentIndexChanged, this, [this] {
    if (!filling_) fillFindings();
  });
  connect(kindCombo_, &QComboBox::currentIndexChanged, this, [this] { fillFindings(); });
  connect(showVerified_, &QCheckBox::toggled, this, [this] { fillFindings(); });
  connect(findings_, &QTableWidget::cellDoubleClicked, this, [this] { openCurrent(); });
  connect(findings_, &QTableWidget::currentCellChanged, this, [this] {
    if (filling_) return;
    updatePlot();
    updateButtons();
  });
  connect(verify_, &QPushButton::clicked, this, &TReviewResultWin::markVerified);
  connect(unverify_, &QPushButton::clicked, this, &TReviewResultWin::clearVerdict);
  connect(export_, &QPushButton::clicked, this, &TReviewResultWin::exportFindings);
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
  if (parent) parent->installEventFilter(this);
  // Esc closes the window as it closes the program's dialogs
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
}

// The window manager reads whom a tool window stays above when the window maps; the entry form it
// belongs to is mapped only while open, so the window is told again whenever the form shows or hides:
// above the form while it is open, above the main window otherwise.
void TReviewResultWin::keepAbove() {
  QWidget* owner = parentWidget();
  if (!owner || !isVisible() || !windowHandle()) return;
  fitBesideOwner();
  QWidget* above = owner->isVisible() || !owner->parentWidget() ? owner->window() : owner->parentWidget()->window();
  if (QWindow* target = above->windowHandle()) {
    windowHandle()->setTransientParent(nullptr);
    windowHandle()->setTransientParent(target);
  }
  raise();
}

void TReviewResultWin::fitBesideOwner() {
  QWidget* owner = parentWidget();
  if (!owner) return;
  if (!owner->isVisible()) {
    if (!compact_) return;
    compact_ = false;
    plot_->show();
    resize(looseGeometry_.size());
    move(looseGeometry_.topLeft());
    return;
  }
  QWidget* form = owner->window();
  QScreen* on = form->screen();
  if (compact_ || !on || !frameGeometry().intersects(form->frameGeometry())) return;
  compact_ = true;
  looseGeometry_ = QRect(pos(), size());
  plot_->hide();
  const QRect keepFree = keepClear_ ? QRect(keepClear_->mapToGlobal(QPoint(0, 0)), keepClear_->size()) : QRect();
  const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                       frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
  const QRect outer = TMessageListWinForm::Placement(on->availableGeometry(), kCompactSize.grownBy(frame), keepFree,
                                                     form->frameGeometry());
  resize(outer.marginsRemoved(frame).size());
  move(outer.topLeft());
}

void TReviewResultWin::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  QTimer::singleShot(0, this, &TReviewResultWin::keepAbove);
}

TReviewResultWin::~TReviewResultWin() = default;

QPushButton* TReviewResultWin::button(const QString& name) const {
  for (QPushButton* b : {verify_, unverify_, export_, close_})
    if (b->objectName() == name) return b;
  return nullptr;
}

const review::ReviewField* TReviewResultWin::fieldInfo(const std::string& name) const {
  for (const review::ReviewField& f : fields_)
    if (f.name == name) return &f;
  return nullptr;
}

const review::FieldResult* TReviewResultWin::fieldResult(const std::string& name) const {
  for (const review::FieldResult& f : result_.fields)
    if (f.field == name) return &f;
  return nullptr;
}

void TReviewResultWin::fillTableCombo() {
  filling_ = true;
  tableCombo_->clear();
  tableCombo_->addItem(kAll, QString());
  QStringList seen;
  for (const review::FieldResult& r : result_.fields) {
    const review::ReviewField* info = fieldInfo(r.field);
    if (!info || info->table.empty()) continue;
    const QString table = QText(info->table);
    if (seen.contains(table)) continue;
    seen << table;
    tableCombo_->addItem(table, table);
  }
  filling_ = false;
}

void TReviewResultWin::fillFieldCombo() {
  filling_ = true;
  const QString was = fieldCombo_->currentData().toString();
  const QString table = tableCombo_->currentData().toString();
  fieldCombo_->clear();
  fieldCombo_->addItem(kAll, QString());
  for (const review::FieldResult& r : result_.fields) {
    const review::ReviewField* info = fieldInfo(r.field);
    if (!table.isEmpty() && (!info || QText(info->table) != table)) continue;
    fieldCombo_->addItem(QText(r.field) + (info ? " " + QText(info->caption) : QString()), QText(r.field));
  }
  fieldCombo_->setCurrentIndex(std::max(0, fieldCombo_->findData(was)));
  filling_ = false;
}

void TReviewResultWin::setTableFilter(const QString& table) {
  tableCombo_->setCurrentIndex(std::max(0, tableCombo_->findData(table)));
}

void TReviewResultWin::setFieldFilter(const QString& field) {
  fieldCombo_->setCurrentIndex(std::max(0, fieldCombo_->findData(field)));
}

void TReviewResultWin::setKindFilter(std::optional<review::FindingKind> kind) {
  kindCombo_->setCurrentIndex(std::max(0, kindCombo_->findData(kind ? static_cast<int>(*kind) : -1)));
}

void TReviewResultWin::setShowVerified(bool show) { showVerified_->setChecked(show); }

bool TReviewResultWin::passes(const review::ReviewFinding& finding) const {
  if (finding.verified && !showVerified_->isChecked()) return false;
  const int kind = kindCombo_->currentData().toInt();
  if (kind >= 0 && static_cast<int>(finding.kind) != kind) return false;
  const QString field = fieldCombo_->currentData().toString();
  if (!field.isEmpty() && QText(finding.field) != field) return false;
  const QString table = tableCombo_->currentData().toString();
  if (!table.isEmpty()) {
    const review::ReviewField* info = fieldInfo(finding.field);
    if (!info || QText(info->table) != table) return false;
  }
  return true;
}

std::vector<std::size_t> TReviewResultWin::shownFindings() const {
  std::vector<std::size_t> shown;
  for (int row = 0; row < findings_->rowCount(); ++row)
    shown.push_back(findings_->item(row, ColCode)->data(kIndexRole).value<qulonglong>());
  return shown;
}

std::optional<std::size_t> TReviewResultWin::currentFinding() const {
  const int row = findings_->currentRow();
  if (row < 0 || row >= findings_->rowCount()) return std::nullopt;
  return findings_->item(row, ColCode)->data(kIndexRole).value<qulonglong>();
}

bool TReviewResultWin::selectFinding(std::size_t index) {
  for (int row = 0; row < findings_->rowCount(); ++row) {
    if (findings_->item(row, ColCode)->data(kIndexRole).value<qulonglong>() == index) {
      findings_->setCurrentCell(row, ColCode);
      return true;
    }
  }
  return false;
}

void TReviewResultWin::fillFindings() {
  const std::optional<std::size_t> was = currentFinding();
  const int wasRow = findings_->currentRow();
  filling_ = true;
  findings_->setRowCount(0);
  int row = 0;
  for (std::size_t i = 0; i < result_.findings.size(); ++i) {
    const review::ReviewFinding& f = result_.findings[i];
    if (!passes(f)) continue;
    const review::ReviewField* info = fieldInfo(f.field);
    findings_->insertRow(row);
    QTableWidgetItem* code = Cell(QString::number(f.code));
    code->setData(kIndexRole, static_cast<qulonglong>(i));
    findings_->setItem(row, ColCode, code);
    findings_->setItem(row, ColName, Cell(QText(f.name)));
    findings_->setItem(row, ColTable, Cell(info ? QText(info->table) : QString()));
    findings_->setItem(row, ColField, Cell(QText(f.field)));
    findings_->setItem(row, ColCaption, Cell(info ? QText(info->caption) : QString()));
    findings_->setItem(row, ColKind, Cell(review::KindCaption(f.kind)));
    findings_->setItem(row, ColLast, Cell(ShortNumber(f.last), true));
    findings_->setItem(row, ColCurrent, Cell(ShortNumber(f.current), true));
    findings_->setItem(row, ColRatio, Cell(RatioText(f.ratio), true));
    findings_->setItem(row, ColScore, Cell(ScoreText(f.score), true));
    findings_->setItem(row, ColVerified, Cell(f.verified ? review::kVerifiedText : ""));
    findings_->setItem(row, ColNote, Cell(QText(f.note)));
    ++row;
  }
  filling_ = false;
  // back on the finding that was current, else on the row where it was
  if (!(was && selectFinding(*was)) && findings_->rowCount() > 0)
    findings_->setCurrentCell(std::clamp(wasRow, 0, findings_->rowCount() - 1), ColCode);
  updatePlot();
  updateButtons();
  updateStatus();
}

void TReviewResultWin::fillRoster(QTableWidget* table, const std::vector<review::RosterUnit>& units) {
  table->setRowCount(static_cast<int>(units.size()));
  for (int row = 0; row < static_cast<int>(units.size()); ++row) {
    table->setItem(row, 0, Cell(QString::number(units[static_cast<std::size_t>(row)].code)));
    table->setItem(row, 1, Cell(QText(units[static_cast<std::size_t>(row)].name)));
  }
}

void TReviewResultWin::updatePlot() {
  std::string field;
  if (const std::optional<std::size_t> i = currentFinding()) field = result_.findings[*i].field;
  else field = fieldCombo_->currentData().toString().toStdString();
  const review::FieldResult* r = field.empty() ? nullptr : fieldResult(field);
  const review::ReviewField* info = field.empty() ? nullptr : fieldInfo(field);
  plot_->showField(r, info ? QText(info->caption) : QString(), result_.findings);
}

void TReviewResultWin::updateButtons() {
  const std::optional<std::size_t> i = currentFinding();
  verify_->setEnabled(i.has_value());
  unverify_->setEnabled(i && result_.findings[*i].verified);
  export_->setEnabled(!result_.findings.empty());
}

void TReviewResultWin::updateStatus() {
  const auto verified = std::ranges::count_if(result_.findings, &review::ReviewFinding::verified);
  // a review that found more than it keeps lists those of most impact
  const std::int64_t total = std::max<std::int64_t>(result_.totalFindings, static_cast<std::int64_t>(result_.findings.size()));
  const QString kept = total > static_cast<std::int64_t>(result_.findings.size())
                           ? QString("（保留影响最大的 %1 项）").arg(result_.findings.size())
                           : QString();
  status_->setText(QString("审核发现 %1 项%7，其中已核实 %2 项；列出 %3 项。两年都有的单位 %4 个，未报 %5 个，新增 %6 个。")
                       .arg(total)
                       .arg(verified)
                       .arg(findings_->rowCount())
                       .arg(result_.roster.matched)
                       .arg(result_.roster.missing.size())
                       .arg(result_.roster.added.size())
                       .arg(kept));
}

void TReviewResultWin::openCurrent() {
  const std::optional<std::size_t> i = currentFinding();
  if (!i || !navigator_) return;
  const review::ReviewFinding& f = result_.findings[*i];
  const review::ReviewField* info = fieldInfo(f.field);
  navigator_(f.code, info ? info->page : -1, f.field);
  if (isVisible()) raise();  // the form took the record; the findings stay in sight
}

// After a question or message box the window manager may have put the window behind the form.
void TReviewResultWin::backInFront() {
  QTimer::singleShot(0, this, [this] {
    keepAbove();
    activateWindow();
  });
}

void TReviewResultWin::markVerified() {
  const std::optional<std::size_t> i = currentFinding();
  if (!i) return;
  const auto front = qScopeGuard([this] { backInFront(); });
  review::ReviewFinding& f = result_.findings[*i];
  const std::optional<std::string> note =
      prompts_.inputText("已核实", "统计编码 " + std::to_string(f.code) + " 的 " + f.field + " 已与单位核实。备注（可以不填）：",
                         f.note);
  if (!note) return;
  try {
    review::MarkVerified(session_.SysADOConnection(), f, result_.reference, *note);
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
    return;
  }
  f.verified = true;
  f.note = *note;
  fillFindings();
}

void TReviewResultWin::clearVerdict() {
  const std::optional<std::size_t> i = currentFinding();
  if (!i || !result_.findings[*i].verified) return;
  const auto front = qScopeGuard([this] { backInFront(); });
  review::ReviewFinding& f = result_.findings[*i];
  try {
    review::ClearVerdict(session_.SysADOConnection(), f.code, f.field);
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
    return;
  }
  f.verified = false;
  f.note.clear();
  fillFindings();
}

void TReviewResultWin::exportFindings() {
  const auto front = qScopeGuard([this] { backInFront(); });
  const FileDialogRequest request{"导出审核结果", "Excel 工作簿(*.xlsx)|*.xlsx", session_.PersonalFolder(), "数据审核结果",
                                  "xlsx"};
  std::optional<std::string> chosen = prompts_.saveFileName(request);
  if (!chosen || chosen->empty()) return;
  std::string path = *chosen;
  if (base::PathFromUtf8(path).extension() != ".xlsx") path += ".xlsx";
  try {
    review::WriteFindingsWorkbook(result_, fields_, path);
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
    return;
  }
  prompts_.message("审核结果已导出到：" + path);
}

bool TReviewResultWin::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
    QTimer::singleShot(0, this, &TReviewResultWin::keepAbove);
  if (watched == findings_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
      openCurrent();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace velmora::gui
