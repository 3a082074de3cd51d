#include "gui/summary/sum_form.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/base/error_text.h"
#include "core/files/report_folder.h"
#include "core/groups/groups.h"
#include "core/settings/settings.h"
#include "core/summary/summary_compare.h"
#include "core/summary/summary_workbook.h"
#include "gui/widgets/progress_bar_2line_form.h"
#include "gui/widgets/window_job.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

constexpr int kGroupItem = summary::kByGroup;
constexpr int kEntryRole = Qt::UserRole + 1;  // index into the entries
// The comparison's threshold in percent, kept with the program's other choices.
constexpr const char* kCompareThresholdValue = "SumCompareThreshold";
constexpr int kMaxThreshold = 1000;

}  // namespace

TdlgSumForm::TdlgSumForm(session::DatabaseSession& session, UserPrompts& prompts, std::string settingsFolder,
                         QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts), settingsFolder_(std::move(settingsFolder)) {
  setObjectName("dlgSum");
  setWindowTitle("数据分类汇总");

  list_ = new QListWidget(this);
  list_->setObjectName("TableList");
  list_->setMinimumSize(360, 420);
  connect(list_, &QListWidget::itemDoubleClicked, this, &TdlgSumForm::headingDoubleClicked);

  all_ = new QPushButton("全部选中", this);
  all_->setObjectName("Button1");
  none_ = new QPushButton("全部不选", this);
  none_->setObjectName("Button2");
  connect(all_, &QPushButton::clicked, this, [this] { tickAll(true); });
  connect(none_, &QPushButton::clicked, this, [this] { tickAll(false); });

  auto* box = new QGroupBox("汇总方式", this);
  box->setObjectName("SumType");
  auto* grid = new QGridLayout(box);
  sumType_ = new QButtonGroup(this);
  const char* texts[] = {"行业分类", "单位类别", "组织类型", "产业类别", "填报状态", ""};
  for (int i = 0; i <= kGroupItem; ++i) {
    auto* item = new QRadioButton(texts[i], box);
    sumType_->addButton(item, i);
    items_.push_back(item);
    grid->addWidget(item, 0, i);
  }
  items_[0]->setChecked(true);
  group_ = new QToolButton(box);
  group_->setObjectName("tbGroup");
  group_->setText("选择自定义分组");
  group_->setPopupMode(QToolButton::MenuButtonPopup);
  groupMenu_ = new QMenu(group_);
  groupMenu_->setObjectName("GroupMenu");
  group_->setMenu(groupMenu_);
  grid->addWidget(group_, 0, 6);
  connect(group_, &QToolButton::clicked, this, [this] { items_[kGroupItem]->setChecked(true); });
  connect(groupMenu_, &QMenu::aboutToShow, this, [this] { items_[kGroupItem]->setChecked(true); });

  auto* compareBox = new QGroupBox(this);
  compareBox->setObjectName("CompareBox");
  auto* compareGrid = new QGridLayout(compareBox);
  // Made in reading order, which is the order of the tab key.
  compare_ = new QCheckBox("与上年对比", compareBox);
  compare_->setObjectName("cbCompare");
  compare_->setToolTip("汇总本年和上年的数据，生成对比表，标出增减超过限度的数字");
  threshold_ = new QSpinBox(compareBox);
  threshold_->setObjectName("seThreshold");
  threshold_->setRange(1, kMaxThreshold);
  threshold_->setValue(static_cast<int>(summary::kDefaultCompareThreshold));
  threshold_->setSuffix(" %");
  previousYear_ = new QRadioButton(summary::kPreviousYearReferenceName, compareBox);
  previousYear_->setObjectName("rbPreviousYear");
  referenceFile_ = new QRadioButton("上年数据文件", compareBox);
  referenceFile_->setObjectName("rbReferenceFile");
  referencePath_ = new QLineEdit(compareBox);
  referencePath_->setObjectName("edReference");
  referencePath_->setPlaceholderText("备份文件、上年的数据库或上报数据包（.dat）");
  chooseReference_ = new QPushButton("选择…", compareBox);
  chooseReference_->setObjectName("btReference");
  auto* thresholdLabel = new QLabel("增减超过", compareBox);
  thresholdLabel->setBuddy(threshold_);
  compareGrid->addWidget(compare_, 0, 0);
  compareGrid->addWidget(thresholdLabel, 0, 1);
  compareGrid->addWidget(threshold_, 0, 2);
  compareGrid->addWidget(new QLabel("的用红色粗体标出", compareBox), 0, 3);
  compareGrid->addWidget(previousYear_, 1, 0);
  compareGrid->addWidget(referenceFile_, 2, 0);
  compareGrid->addWidget(referencePath_, 2, 1, 1, 3);
  compareGrid->addWidget(chooseReference_, 2, 4);
  referenceFile_->setChecked(true);
  connect(compare_, &QCheckBox::toggled, this, [this] { updateCompareControls(); });
  connect(referenceFile_, &QRadioButton::toggled, this, [this] { updateCompareControls(); });
  connect(chooseReference_, &QPushButton::clicked, this, &TdlgSumForm::ChooseReference);

  sum_ = new QPushButton("汇  总", this);
  sum_->setObjectName("tbSum");
  sum_->setToolTip("执行汇总");
  return_ = new QPushButton("返  回", this);
  return_->setObjectName("tbReturn");
  connect(sum_, &QPushButton::clicked, this, &TdlgSumForm::RunSummary);
  // Enter runs the summary (not the first push button after the list); the group button's list
  // opens with the drop-down keys.
  SetDefaultButton(this, sum_);
  OpenMenuWithDropDownKeys(group_);
  connect(return_, &QPushButton::clicked, this, &QDialog::reject);

  auto* listButtons = new QHBoxLayout;
  listButtons->addWidget(all_);
  listButtons->addWidget(none_);
  listButtons->addStretch();
  auto* runButtons = new QHBoxLayout;
  runButtons->addStretch();
  runButtons->addWidget(sum_);
  runButtons->addWidget(return_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(listButtons);
  layout->addWidget(box);
  layout->addWidget(compareBox);
  layout->addLayout(runButtons);

  progress_ = new TProgressBar2LineForm(this);
  progress_->setObjectName("ProgressBar2Line");
  updateCompareControls();
}

TdlgSumForm::~TdlgSumForm() = default;

bool TdlgSumForm::Load() {
  std::string error;
  auto entries = summary::LoadSumTable(session_.ProgramFolder(), settingsFolder_, error);
  if (!entries) {
    prompts_.message(error, MessageKind::Error);
    return false;
  }
  entries_ = std::move(*entries);
  fillList();
  fillGroups();
  fillReference();
  try {
    const int kept = settings::RegReadInteger(kCompareThresholdValue, static_cast<int>(summary::kDefaultCompareThreshold),
                                              settings::kProgramRoot, settings::kEnvSettingKey);
    threshold_->setValue(std::clamp(kept, 1, kMaxThreshold));
  } catch (const std::exception&) {
    threshold_->setValue(static_cast<int>(summary::kDefaultCompareThreshold));
  }
  return true;
}

void TdlgSumForm::fillReference() {
  // The previous-year table is offered while it holds records, and then chosen first.
  bool previous = false;
  try {
    previous = summary::PreviousYearHasRecords(session_.SysADOConnection());
  } catch (const std::exception&) {
    previous = false;
  }
  previousOffered_ = previous;
  (previous ? previousYear_ : referenceFile_)->setChecked(true);
  updateCompareControls();
}

void TdlgSumForm::updateCompareControls() {
  const bool on = compare_->isChecked();
  previousYear_->setEnabled(on && previousOffered_);
  referenceFile_->setEnabled(on);
  referencePath_->setEnabled(on && referenceFile_->isChecked());
  chooseReference_->setEnabled(on && referenceFile_->isChecked());
  threshold_->setEnabled(on);
  sum_->setText(on ? "对  比" : "汇  总");
}

void TdlgSumForm::ChooseReference() {
  FileDialogRequest request;
  request.title = "选择上年的数据文件";
  request.filter = "数据加密文件(*.dat)|*.dat|数据库文件(*.mdb)|*.mdb|所有文件(*.*)|*.*";
  request.initialFolder = session_.PersonalFolder();
  if (const std::optional<std::string> chosen = prompts_.openFileName(request)) {
    referencePath_->setText(QText(*chosen));
    referenceFile_->setChecked(true);
  }
}

void TdlgSumForm::fillList() {
  list_->clear();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const summary::SumTableEntry& e = entries_[i];
    auto* item = new QListWidgetItem(QText(e.text), list_);
    item->setData(kEntryRole, static_cast<int>(i));
    if (!e.enabled || e.heading()) {
      // A heading: bold blue, no tick of its own, but it takes a double-click.
      QFont font = item->font();
      font.setBold(true);
      item->setFont(font);
      item->setForeground(QColor(Qt::blue));
      item->setFlags(Qt::ItemIsEnabled);
    } else {
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
      item->setCheckState(e.state == 1 ? Qt::Checked : e.state == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    }
  }
}

void TdlgSumForm::fillGroups() {
  groupMenu_->clear();
  group_->setProperty("tag", QVariant());
  const std::vector<groups::Group> groups = groups::ListGroups(session_.SysADOConnection());
  const bool any = !groups.empty();
  group_->setEnabled(any);
  items_[kGroupItem]->setEnabled(any);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const groups::Group& g = groups[i];
    if (i == 0) {
      group_->setProperty("tag", static_cast<qint64>(g.id));
      group_->setText(QText(g.name));
    }
    QAction* entry = groupMenu_->addAction(QText(g.name));
    entry->setData(static_cast<qint64>(g.id));
    entry->setEnabled(g.itemCount > 0);
    const qint64 id = g.id;
    connect(entry, &QAction::triggered, this, [this, id] { chooseGroup(id); });
  }
}

void TdlgSumForm::chooseGroup(qint64 id) {
  items_[kGroupItem]->setChecked(true);
  if (auto g = groups::FindGroup(session_.SysADOConnection(), id)) {
    group_->setProperty("tag", static_cast<qint64>(g->id));
    group_->setText(QText(g->name));
  }
}

qint64 TdlgSumForm::groupTag() const {
  const QVariant tag = group_->property("tag");
  return tag.isValid() ? tag.toLongLong() : 0;
}

std::vector<summary::SumTableEntry> TdlgSumForm::Entries() const {
  std::vector<summary::SumTableEntry> entries = entries_;
  for (int row = 0; row < list_->count(); ++row) {
    const QListWidgetItem* item = list_->item(row);
    auto& e = entries[static_cast<std::size_t>(item->data(kEntryRole).toInt())];
    if (!(item->flags() & Qt::ItemIsUserCheckable)) continue;
    e.state = item->checkState() == Qt::Checked ? 1 : item->checkState() == Qt::PartiallyChecked ? 2 : 0;
  }
  return entries;
}

void TdlgSumForm::tickAll(bool checked) {
  for (int row = 0; row < list_->count(); ++row) {
    QListWidgetItem* item = list_->item(row);
    if (item->flags() & Qt::ItemIsUserCheckable) item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }
}

void TdlgSumForm::headingDoubleClicked(QListWidgetItem* item) {
  if (!item || (item->flags() & Qt::ItemIsUserCheckable)) return;
  for (int row = list_->row(item) + 1; row < list_->count(); ++row) {
    QListWidgetItem* below = list_->item(row);
    if (!(below->flags() & Qt::ItemIsUserCheckable)) break;
    below->setCheckState(Qt::Checked);
  }
}

void TdlgSumForm::RunSummary() {
  const summary::SheetTicks ticks = summary::TicksOf(Entries());
  const int classification = sumType_->checkedId() < 0 ? 0 : sumType_->checkedId();
  const int groupId = classification == kGroupItem ? static_cast<int>(groupTag()) : 0;
  lastWorkbook_.clear();
  if (compare_->isChecked()) {
    runCompare(ticks, classification, groupId);
    return;
  }
  WindowJob job(nullptr, progress_, true);
  sum_->setEnabled(false);
  try {
    std::optional<summary::SummaryBook> book =
        summary::MakeSummaryWorkbook(session_.SysADOConnection(), summary::SummaryTemplatePath(session_.ProgramFolder()),
                                     ticks, classification, groupId, prompts_, job);
    if (book) {
      const std::string documents =
          session_.PersonalFolder().empty() ? files::UserDocumentsFolder() : session_.PersonalFolder();
      lastWorkbook_ = summary::ShowSummaryWorkbook(*book, prompts_, documents);
    } else if (job.stopRequested()) {
      prompts_.message("汇总已停止，没有生成汇总表。");
    }
  } catch (const std::exception& e) {
    job.finish();
    prompts_.message(base::PublisherErrorText(e.what()), MessageKind::Error);
  }
  sum_->setEnabled(true);
}

void TdlgSumForm::runCompare(const summary::SheetTicks& ticks, int classification, int groupId) {
  summary::CompareOptions options;
  if (previousYear_->isChecked()) {
    options.reference = summary::CompareReference::PreviousYear();
  } else {
    const std::string path = StdText(referencePath_->text().trimmed());
    if (path.empty()) {
      prompts_.message("请先选择上年的数据文件（备份文件、上年的数据库或上报数据包）。", MessageKind::Warning);
      return;
    }
    options.reference = summary::CompareReference::File(path);
  }
  options.threshold = threshold_->value();
  options.workingFolder = files::WorkingFolder(session_.ProgramFolder());
  WindowJob job(nullptr, progress_, true);
  sum_->setEnabled(false);
  try {
    std::optional<summary::CompareBook> book = summary::MakeCompareWorkbook(
        session_.SysADOConnection(), summary::SummaryTemplatePath(session_.ProgramFolder()), ticks, classification,
        groupId, options, prompts_, job);
    if (book) {
      const std::string documents =
          session_.PersonalFolder().empty() ? files::UserDocumentsFolder() : session_.PersonalFolder();
      lastWorkbook_ = summary::ShowCompareWorkbook(*book, prompts_, documents);
    } else if (job.stopRequested()) {
      prompts_.message(summary::kCompareStoppedText);
    }
  } catch (const std::exception& e) {
    job.finish();
    prompts_.message(base::PublisherErrorText(e.what()), MessageKind::Error);
  }
  sum_->setEnabled(true);
}

void TdlgSumForm::done(int result) {
  if (!entries_.empty()) {
    try {
      settings::RegWriteInteger(kCompareThresholdValue, threshold_->value(), settings::kProgramRoot,
                                settings::kEnvSettingKey);
    } catch (const std::exception& e) {
      prompts_.message(e.what(), MessageKind::Warning);
    }
    std::string error;
    if (!summary::SaveSumTable(session_.ProgramFolder(), settingsFolder_, Entries(), error)) {
      prompts_.message(error, MessageKind::Warning);
    }
  }
  QDialog::done(result);
}

}  // namespace velmora::gui
