#include "gui/exchange/save_list_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "core/base/error_text.h"
#include "core/session/session.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/settings.h"
#include "gui/widgets/valid_edit.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/window_job.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

// The dialog's built-in captions, replaced by the lines of "exporttable.vm" when it is shown.
const char* const kBuiltInTables[exchange::kSurveyTables] = {
    "表一 工会组织建设状况", "表二 工会保障工作",   "表三 工会劳动合同和民主管理工作", "表四 工会劳动保护工作",
    "表五 工会法律工作",     "表六 工会经济技术工作", "表七 职工文化体育工作",           "表八 工会经审工作"};

}  // namespace

TdlgSaveListForm::TdlgSaveListForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts) {
  setObjectName("dlgSaveList");
  setWindowTitle("选择导出数据的方式");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(420, 392);

  tableList_ = new QListWidget(this);
  tableList_->setObjectName("TableList");
  tableList_->setGeometry(10, 10, 400, 180);
  for (const char* caption : kBuiltInTables) {
    auto* item = new QListWidgetItem(QString::fromUtf8(caption), tableList_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }

  auto* box = new QGroupBox("导出的内容", this);
  box->setObjectName("GroupBox1");
  box->setGeometry(10, 198, 400, 112);
  allRecord_ = new QRadioButton("所有的数据", box);
  allRecord_->setObjectName("AllRecord");
  allRecord_->setGeometry(14, 20, 180, 20);
  allRecord_->setChecked(true);
  range_ = new QRadioButton("指定单位编号的范围", box);
  range_->setObjectName("Range");
  range_->setGeometry(14, 46, 140, 20);
  auto* fromLabel = new QLabel("从", box);
  fromLabel->setObjectName("LabelFrom");
  fromLabel->setGeometry(158, 48, 14, 16);
  from_ = new ValidEdit("c901_1", box);
  from_->Rule = entry::DigitsOnlyRule();
  from_->setMaxLength(12);
  from_->setGeometry(174, 46, 96, 20);
  auto* toLabel = new QLabel("到", box);
  toLabel->setObjectName("LabelTo");
  toLabel->setGeometry(276, 48, 14, 16);
  to_ = new ValidEdit("c901_2", box);
  to_->Rule = entry::DigitsOnlyRule();
  to_->setMaxLength(12);
  to_->setGeometry(292, 46, 96, 20);
  radioGroup_ = new QRadioButton(box);
  radioGroup_->setObjectName("radioGroup");
  radioGroup_->setGeometry(14, 76, 20, 20);
  tbGroup_ = new QToolButton(box);
  tbGroup_->setObjectName("tbGroup");
  tbGroup_->setText("     选择自定义分组");
  tbGroup_->setGeometry(36, 74, 352, 24);
  tbGroup_->setPopupMode(QToolButton::InstantPopup);
  groupMenu_ = new QMenu(tbGroup_);
  groupMenu_->setObjectName("GroupMenu");
  tbGroup_->setMenu(groupMenu_);
  OpenMenuWithDropDownKeys(tbGroup_);

  checkBox1_ = new QCheckBox("只导出显示的部分", this);
  checkBox1_->setObjectName("CheckBox1");
  checkBox1_->setGeometry(14, 316, 200, 20);
  checkBox1_->hide();

  tbSave_ = new QPushButton("导  出", this);
  tbSave_->setObjectName("tbSave");
  tbSave_->setGeometry(220, 352, 90, 28);
  tbReturn_ = new QPushButton("返  回", this);
  tbReturn_->setObjectName("tbReturn");
  tbReturn_->setGeometry(320, 352, 90, 28);
  connect(tbSave_, &QPushButton::clicked, this, &TdlgSaveListForm::ExportDataList);
  connect(tbReturn_, &QPushButton::clicked, this, &TdlgSaveListForm::tbReturnClick);
}

TdlgSaveListForm::~TdlgSaveListForm() = default;

void TdlgSaveListForm::showEvent(QShowEvent* event) {
  loadTables();
  loadGroups();
  QDialog::showEvent(event);
}

void TdlgSaveListForm::loadTables() {
  std::string error;
  const auto captions = exchange::ReadExportTableCaptions(session_.ProgramFolder(), error);
  if (!captions) {
    // The built-in captions stay; the user is told why the file was not used.
    prompts_.message(error, MessageKind::Warning);
    return;
  }
  tableList_->clear();
  for (const std::string& caption : *captions) {
    auto* item = new QListWidgetItem(QText(caption), tableList_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
}

void TdlgSaveListForm::loadGroups() {
  groupMenu_->clear();
  std::vector<exchange::GroupItem> items;
  try {
    items = exchange::ReadGroupItems(session_.SysADOConnection());
  } catch (const std::exception& e) {
    prompts_.message(base::AdministratorErrorText(e.what()), MessageKind::Error);
  }
  tbGroup_->setEnabled(!items.empty());
  radioGroup_->setEnabled(!items.empty());
  if (!items.empty()) {
    group_ = items.front();
    tbGroup_->setText(QText(group_->title));
    tbGroup_->setProperty("tag", QVariant::fromValue<qint64>(group_->id));
  }
  for (const exchange::GroupItem& g : items) {
    QAction* a = groupMenu_->addAction(QText(g.title));
    a->setData(QVariant::fromValue<qint64>(g.id));
    const qint64 id = g.id;
    connect(a, &QAction::triggered, this, [this, id] { chooseGroup(id); });
  }
}

void TdlgSaveListForm::chooseGroup(qint64 id) {
  try {
    if (auto g = exchange::ReadGroupItem(session_.SysADOConnection(), id)) {
      group_ = std::move(g);
      tbGroup_->setText(QText(group_->title));
      tbGroup_->setProperty("tag", QVariant::fromValue<qint64>(group_->id));
    }
  } catch (const std::exception& e) {
    prompts_.message(base::AdministratorErrorText(e.what()), MessageKind::Error);
  }
}

exchange::DataListRequest TdlgSaveListForm::request() const {
  exchange::DataListRequest r;
  for (int i = 0; i < tableList_->count() && i < static_cast<int>(exchange::kSurveyTables); ++i) {
    const QListWidgetItem* item = tableList_->item(i);
    r.ticked[static_cast<std::size_t>(i)] = (item->flags() & Qt::ItemIsEnabled) && item->checkState() == Qt::Checked;
  }
  r.scope = range_->isChecked()        ? exchange::DataListScope::Range
            : radioGroup_->isChecked() ? exchange::DataListScope::Group
                                       : exchange::DataListScope::All;
  r.lowText = from_->text().toStdString();
  r.highText = to_->text().toStdString();
  r.group = group_;
  return r;
}

void TdlgSaveListForm::setControlsEnabled(bool enabled) {
  allRecord_->setEnabled(enabled);
  range_->setEnabled(enabled);
  const bool groups = enabled && !groupMenu_->actions().isEmpty();
  radioGroup_->setEnabled(groups);
  tbGroup_->setEnabled(groups);
  tbSave_->setEnabled(enabled);
  tbReturn_->setEnabled(enabled);
}

void TdlgSaveListForm::ExportDataList() {
  if (!tbSave_->isEnabled()) return;
  setControlsEnabled(false);
  QApplication::processEvents();
  exchange::DataListRequest r = request();
  {
    TProgressBarForm progress(this);
    CaptionJob job(progress, QString::fromUtf8(exports::kProgressCaption));
    exports::ExportContext context = exports::ContextOf(session_, prompts_, job);
    last_ = exchange::ExportDataList(context, session_.SysADOConnection(), r, session_.DatabaseLabel());
  }
  // The boxes show the range as the rules left it.
  if (r.scope == exchange::DataListScope::Range) {
    from_->setText(QText(r.lowText));
    to_->setText(QText(r.highText));
  }
  setControlsEnabled(true);
}

void TdlgSaveListForm::tbReturnClick() {
  if (!tbReturn_->isEnabled()) return;
  try {
    settings::RegWriteBool("CheckBox1", checkBox1_->isChecked(), settings::kProgramRoot, settings::kDataKey);
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Warning);
  }
  accept();
}

}  // namespace velmora::gui
