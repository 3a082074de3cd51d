#include "gui/app/main_window.h"

#include <QApplication>
#include <QDate>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>
#include <utility>

#include "core/settings/settings.h"
#include "gui/app/about_form.h"
#include "gui/app/database_actions.h"
#include "gui/app/upper_level_items.h"
#include "gui/checks/check_actions.h"
#include "gui/entry/survey_data_form.h"
#include "gui/exchange/exchange_actions.h"
#include "gui/groups/group_actions.h"
#include "gui/print/print_actions.h"
#include "gui/records/record_grid.h"
#include "gui/records/records_actions.h"
#include "gui/review/review_actions.h"
#include "gui/search/search_actions.h"
#include "gui/settings/option_setup_form.h"
#include "gui/summary/summary_actions.h"
#include "gui/widgets/artwork.h"
#include "gui/widgets/group_bar.h"
#include "gui/widgets/gui_text.h"
#include "gui/widgets/size_bar.h"

namespace velmora::gui {

namespace {

const QColor kWindowColour(193, 216, 249);

// The picture behind the list, drawn to the panel's size.
class TPicturePanel : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (cache_.size() != size()) cache_ = BackgroundPicture(size());
    p.drawPixmap(0, 0, cache_);
  }

 private:
  QPixmap cache_;
};

// The colours of the actions' images.
constexpr QRgb kGreen = qRgb(46, 139, 87), kBlue = qRgb(52, 101, 164), kRed = qRgb(190, 50, 50),
               kTeal = qRgb(0, 128, 128), kPurple = qRgb(117, 80, 160), kOrange = qRgb(214, 120, 30),
               kBrown = qRgb(150, 95, 55), kGrey = qRgb(100, 110, 120), kNavy = qRgb(40, 60, 130);

}  // namespace

std::span<const MainAction> TMainForm::ActionTable() {
  using M = MainMenu;
  using B = BarGroup;
  static const MainAction table[] = {
      {.name = "actAddNew", .caption = "添加新记录", .category = "DataProcess", .glyph = "增", .colour = kGreen,
       .menu = {M::Records, 1}, .bar = {B::DataWork, 1}, .popup = {1, 1},
       .run = [](TMainForm& w) { w.openEntryForm(true); }},
      {.name = "actModify", .caption = "修改选中的记录", .category = "DataProcess", .glyph = "改", .colour = kBlue,
       .menu = {M::Records, 2}, .bar = {B::DataWork, 2}, .popup = {1, 2}, .needsRecords = true,
       .run = [](TMainForm& w) {
         if (!w.listEmpty()) w.openEntryForm(false);
       }},
      {.name = "actDelete", .caption = "删除记录", .category = "DataProcess", .glyph = "删", .colour = kRed,
       .menu = {M::Records, 3}, .bar = {B::DataWork, 3}, .popup = {1, 3}, .needsRecords = true,
       .run = [](TMainForm& w) { RunDeleteAction(w.context_); }},
      {.name = "actCheck", .caption = "检查数据的逻辑", .category = "DataProcess", .glyph = "检", .colour = kTeal,
       .menu = {M::Checks, 2}, .bar = {B::DataWork, 4}, .run = [](TMainForm& w) { RunCheckAction(w.context_); }},
      {.name = "actCheckSelected", .caption = "检查选中数据的逻辑", .category = "DataProcess", .glyph = "核",
       .colour = kTeal, .menu = {M::Checks, 1}, .popup = {3, 1},
       .run = [](TMainForm& w) { RunCheckSelectedAction(w.context_); }},
      {.name = "actReview", .caption = "数据审核", .category = "DataProcess", .glyph = "审", .colour = kTeal,
       .menu = {M::Checks, 3}, .bar = {B::DataWork, 4}, .needsRecords = true,
       .run = [](TMainForm& w) {
         RunReviewAction(w.context_, [&w] {
           w.ensureEntryForm();
           return w.entryForm_.get();
         });
       }},
      {.name = "actConditionSearch", .caption = "指标查询", .category = "Search", .glyph = "查", .colour = kPurple,
       .bar = {B::DataWork, 5}, .key = "Ctrl+F", .shown = Shown::FullFeatures,
       .run = [](TMainForm& w) { RunConditionSearchAction(w.context_); }},
      {.name = "actSum", .caption = "数据汇总", .category = "DataProcess", .glyph = "汇", .colour = kOrange,
       .menu = {M::Processing, 2}, .bar = {B::DataWork, 6}, .run = [](TMainForm& w) { RunSumAction(w.context_); }},
      {.name = "actGroup", .caption = "数据分组", .category = "DataProcess", .glyph = "组", .colour = kOrange,
       .menu = {M::Processing, 1}, .bar = {B::DataWork, 7},
       .run = [](TMainForm& w) { RunGroupAction(w.context_); }},
      {.name = "actSaveList", .caption = "导出数据列表", .category = "DataProcess", .glyph = "列", .colour = kBrown,
       .bar = {B::DataWork, 8}, .run = [](TMainForm& w) { RunSaveListAction(w.context_); }},
      {.name = "actPrint", .caption = "打印选中记录的年报表", .category = "DataProcess", .glyph = "印", .colour = kGrey,
       .menu = {M::Records, 4}, .bar = {B::DataWork, 9}, .popup = {4, 2}, .needsRecords = true,
       .shown = Shown::FullFeatures, .run = [](TMainForm& w) { RunPrintAction(w.context_); }},
      {.name = "actFastImport", .caption = "数据导入", .category = "SysSetup", .glyph = "入", .colour = kNavy,
       .menu = {M::Transfer, 1}, .bar = {B::BackupReport, 1},
       .run = [](TMainForm& w) { RunImportAction(w.context_); }},
      {.name = "actBackup", .caption = "数据备份", .category = "SysSetup", .glyph = "备", .colour = kNavy,
       .bar = {B::BackupReport, 4}, .run = [](TMainForm& w) { RunBackupAction(w.context_); }},
      {.name = "actExport", .caption = "数据上报", .category = "SysSetup", .glyph = "报", .colour = kNavy,
       .menu = {M::Transfer, 3}, .bar = {B::BackupReport, 6}, .offlineBarCaption = "上报到离线版",
       .run = [](TMainForm& w) { RunExportAction(w.context_); }},
      {.name = "actLocate", .caption = "按条件查找定位数据", .category = "Search", .glyph = "定", .colour = kPurple,
       .menu = {M::Find, 1}, .popup = {2, 1}, .key = "Ctrl+L", .needsRecords = true,
       .run = [](TMainForm& w) { RunLocateAction(w.context_); }},
      {.name = "actSearch", .caption = "按编号范围查找数据", .category = "Search", .glyph = "范", .colour = kPurple,
       .menu = {M::Find, 2}, .popup = {2, 2}, .needsRecords = true,
       .run = [](TMainForm& w) { RunSearchAction(w.context_); }},
      {.name = "actCompress", .caption = "压缩数据库文件", .category = "SysSetup", .glyph = "压", .colour = kGrey,
       .menu = {M::Tools, 2}, .bar = {B::Tools, 1},
       .run = [](TMainForm& w) { RunDatabaseAction(w.context_, DatabaseAction::Compress); }},
      {.name = "actOptions", .caption = "参数设置", .category = "SysSetup", .glyph = "设", .colour = kGrey,
       .menu = {M::Tools, 1}, .bar = {B::Tools, 2}, .run = [](TMainForm& w) { w.runOptions(); }},
      {.name = "actRecordGrid", .caption = "自定义列表显示", .category = "SysSetup", .glyph = "显", .colour = kGrey,
       .menu = {M::Tools, 3}, .bar = {B::Tools, 3}, .popup = {4, 1}, .needsListShown = true,
       .shown = Shown::FullFeatures, .run = [](TMainForm& w) { RunListColumnsAction(w.context_); }},
      {.name = "actAbout", .caption = "关于", .category = "", .glyph = "关", .colour = kBlue, .menu = {M::MenuBar, 1},
       .run = [](TMainForm& w) { w.showAbout(false); }},
      // Reached by no button in either layout; the offline edition hides their menus as well.
      {.name = "actOpenDB", .caption = "打开其它数据库", .category = "SysSetup", .glyph = "开", .colour = kGrey,
       .menu = {M::File, 1}, .bar = {B::Tools, 4}, .shown = Shown::NotInBar,
       .run = [](TMainForm& w) { RunDatabaseAction(w.context_, DatabaseAction::Open); }},
      {.name = "actOpenDefault", .caption = "打开默认数据库", .category = "SysSetup", .glyph = "默", .colour = kGrey,
       .menu = {M::File, 2}, .bar = {B::Tools, 5}, .shown = Shown::NotInBar,
       .run = [](TMainForm& w) { RunDatabaseAction(w.context_, DatabaseAction::OpenDefault); }},
      {.name = "actLabel", .caption = "修改数据库标识", .category = "SysSetup", .glyph = "标", .colour = kGrey,
       .menu = {M::File, 3}, .menu2 = {M::Tools, 4, true}, .bar = {B::Tools, 6}, .shown = Shown::NotInBar,
       .run = [](TMainForm& w) { RunDatabaseAction(w.context_, DatabaseAction::Label); }},
      {.name = "actImport", .caption = "逐条导入", .category = "SysSetup", .glyph = "逐", .colour = kNavy,
       .menu = {M::Transfer, 2}, .bar = {B::BackupReport, 3}, .shown = Shown::UpperLevel,
       .run = [](TMainForm& w) { RunRecordImportAction(w.context_); }},
      {.name = "actGroupImport", .caption = "数据分组导入", .category = "SysSetup", .glyph = "组", .colour = kNavy,
       .menu = {M::Transfer, 4}, .bar = {B::BackupReport, 10}, .shown = Shown::UpperLevel,
       .run = [](TMainForm& w) { RunGroupImportAction(w.context_); }},
      {.name = "actGroupExport", .caption = "数据分组导出", .category = "SysSetup", .glyph = "组", .colour = kNavy,
       .menu = {M::Transfer, 5}, .bar = {B::BackupReport, 9}, .shown = Shown::UpperLevel,
       .run = [](TMainForm& w) { RunGroupExportAction(w.context_); }},
      // Group-bar items without a menu entry.
      {.name = "itemExportOnline", .caption = "上报到网络版", .category = "SysSetup", .glyph = "网", .colour = kNavy,
       .bar = {B::BackupReport, 7}, .shown = Shown::Offline,
       .run = [](TMainForm& w) { RunExportOnlineAction(w.context_); }},
      {.name = "itemBatchImport", .caption = "数据批量导入", .category = "SysSetup", .glyph = "批", .colour = kNavy,
       .bar = {B::BackupReport, 2}, .shown = Shown::UpperLevel,
       .run = [](TMainForm& w) { RunBatchImportAction(w.context_); }},
      {.name = "itemImportOnline", .caption = "导入网络版数据", .category = "SysSetup", .glyph = "网", .colour = kNavy,
       .bar = {B::BackupReport, 8}, .shown = Shown::UpperLevel,
       .run = [](TMainForm& w) { RunImportOnlineAction(w.context_); }},
      {.name = "itemRestore", .caption = "数据恢复", .category = "SysSetup", .glyph = "恢", .colour = kNavy,
       .bar = {B::BackupReport, 5}, .shown = Shown::UpperLevel,
       .run = [](TMainForm& w) { RunRestoreAction(w.context_); }},
      {.name = "itemExportLogic", .caption = "导出逻辑", .category = "SysSetup", .glyph = "逻", .colour = kTeal,
       .bar = {B::Tools, 7}, .shown = Shown::UpperLevel,
       .run = [](TMainForm& w) { RunExportRulesAction(w.context_); }},
      {.name = "itemMigrate", .caption = "10年导11年", .category = "DataProcess", .glyph = "转", .colour = kOrange,
       .bar = {B::DataWork, 10}, .shown = Shown::UpperLevel,
       .run = [](TMainForm& w) { RunMigrationAction(w.context_); }},
      {.name = "itemTidy", .caption = "数据整理", .category = "DataProcess", .glyph = "整", .colour = kOrange,
       .bar = {B::DataWork, 11}, .shown = Shown::UpperLevel, .run = [](TMainForm& w) { RunTidyAction(w.context_); }},
  };
  return table;
}

std::span<const MainAction> MainActions() { return TMainForm::ActionTable(); }

TMainForm::TMainForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), session_(session), prompts_(prompts), 
      context_{.session = session, .prompts = prompts, .parent = this} {
  setObjectName("TMainForm");
  setWindowIcon(ProgramIcon());
  setFont(QFont("宋体", 9));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kWindowColour);
  setPalette(pal);
  setAutoFillBackground(true);
  resize(1000, 785);

  createActions();
  createPanels();
  createGroupBar();
  createMenus();
  createStatusBar();
  wireActions();
  updateActions();
}

TMainForm::~TMainForm() = default;

QAction* TMainForm::action(const QString& name) const {
  const auto it = actionIndex_.constFind(name);
  if (it == actionIndex_.constEnd()) throw std::invalid_argument("the main window has no action " + name.toStdString());
  return actions_[*it].action;
}

QStringList TMainForm::actionNames() const {
  QStringList names;
  for (const BuiltAction& b : actions_) names << b.spec->name;
  return names;
}

void TMainForm::createActions() {
  for (const MainAction& spec : ActionTable()) {
    auto* a = new QAction(ActionIcon(spec.glyph, QColor(spec.colour)), spec.caption, this);
    a->setObjectName(spec.name);
    a->setToolTip(spec.caption);
    a->setProperty("category", QString(spec.category));
    actionIndex_.insert(spec.name, actions_.size());
    actions_.push_back({&spec, a});
  }
}

void TMainForm::createPanels() {
  splitter_ = new TSizeBarSplitter(this);
  groupBar_ = new TGroupBar(splitter_);
  groupBar_->setMinimumWidth(0);

  auto* right = new QWidget(splitter_);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->setSpacing(0);
  // the thin top strip with the list toggle (kept hidden in this layout) and its note
  strip_ = new QWidget(right);
  QWidget* strip = strip_;
  strip->setFixedHeight(4);
  auto* stripLayout = new QHBoxLayout(strip);
  stripLayout->setContentsMargins(4, 0, 4, 0);
  note_ = new QLabel("点击右侧的按钮返回数据列表", strip);
  note_->hide();
  toggle_ = new QToolButton(strip);
  toggle_->setText("X");
  toggle_->hide();
  connect(toggle_, &QToolButton::clicked, this, &TMainForm::toggleGrid);
  stripLayout->addStretch(1);
  stripLayout->addWidget(note_);
  stripLayout->addWidget(toggle_);
  rightLayout->addWidget(strip);

  listStack_ = new QStackedWidget(right);
  grid_ = new RecordGrid(session_, prompts_, listStack_);
  picture_ = new TPicturePanel(listStack_);
  listStack_->addWidget(grid_);
  listStack_->addWidget(picture_);
  rightLayout->addWidget(listStack_, 1);

  splitter_->addWidget(groupBar_);
  splitter_->addWidget(right);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({108, 892});
  setCentralWidget(splitter_);

  popup_ = new QMenu(this);
  std::vector<const BuiltAction*> inPopup;
  for (const BuiltAction& b : actions_)
    if (b.spec->popup.section != 0) inPopup.push_back(&b);
  std::ranges::stable_sort(inPopup, {}, [](const BuiltAction* b) {
    return std::pair(b->spec->popup.section, b->spec->popup.order);
  });
  for (std::size_t i = 0; i < inPopup.size(); ++i) {
    if (i > 0 && inPopup[i]->spec->popup.section != inPopup[i - 1]->spec->popup.section) popup_->addSeparator();
    popup_->addAction(inPopup[i]->action);
  }
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { popup_->exec(grid_->viewport()->mapToGlobal(pos)); });
}

void TMainForm::createGroupBar() {
  int openGroup = 0;
  for (std::size_t g = 0; g < BarGroupCaptions().size(); ++g) {
    const BarGroup group = static_cast<BarGroup>(g + 1);
    const int index = groupBar_->addGroup(BarGroupCaptions()[g]);
    if (group == kOpenBarGroup) openGroup = index;
    std::vector<BuiltAction*> items;
    for (BuiltAction& b : actions_)
      if (b.spec->bar.group == group) items.push_back(&b);
    std::ranges::stable_sort(items, {}, [](const BuiltAction* b) { return b->spec->bar.order; });
    for (BuiltAction* b : items) b->barItem = groupBar_->addItem(index, b->action);
  }
  groupBar_->setOpenGroup(openGroup);
  // the bar opens wide enough for every caption of its items
  const int barWidth = groupBar_->sizeHint().width();
  splitter_->setSizes({barWidth, std::max(0, width() - barWidth)});
}

void TMainForm::createMenus() {
  // The actions of a menu in their order there.
  auto entries = [this](MainMenu menu) {
    std::vector<std::pair<int, QAction*>> placed;
    for (const BuiltAction& b : actions_)
      for (const MenuPlace& place : {b.spec->menu, b.spec->menu2})
        if (place.menu == menu) placed.emplace_back(place.order, b.action);
    std::ranges::stable_sort(placed, {}, &std::pair<int, QAction*>::first);
    return placed;
  };
  for (const MainMenuSpec& spec : MainMenus()) {
    QMenu* m = menuBar()->addMenu(spec.title);
    for (const auto& [order, a] : entries(spec.menu)) m->addAction(a);
    menus_.insert(static_cast<int>(spec.menu), m);
  }
  // The menu bar shows its words (关于) after the menus, each running its action.
  for (const auto& [order, a] : entries(MainMenu::MenuBar)) {
    QAction* word = menuBar()->addAction(a->text());
    word->setObjectName(QString("menu") + (a->objectName().startsWith("act") ? a->objectName().mid(3) : a->objectName()));
    connect(word, &QAction::triggered, a, &QAction::trigger);
    connect(a, &QAction::changed, word, [a, word] { word->setEnabled(a->isEnabled()); });
  }
  QAction* quit = menuBar()->addAction("退出");
  quit->setObjectName("actExit");
  connect(quit, &QAction::triggered, this, &QWidget::close);
}

void TMainForm::createStatusBar() {
  statusVersion_ = new QLabel(this);
  statusDate_ = new QLabel(this);
  statusDate_->setFixedWidth(104);
  statusDate_->setAlignment(Qt::AlignCenter);
  statusBar()->addWidget(statusVersion_, 1);
  statusBar()->addPermanentWidget(statusDate_);
  statusDate_->setText(statusDateText());
}

QString TMainForm::statusDateText() const { return QDate::currentDate().toString("yyyy年MM月dd日"); }

QString TMainForm::statusVersionText() const { return statusVersion_->text(); }

void TMainForm::arrangeForEdition() {
  const session::EditionSettings& e = session_.Edition();
  for (const MainMenuSpec& spec : MainMenus())
    if (!MainMenuShown(spec, e)) menus_.value(static_cast<int>(spec.menu))->menuAction()->setVisible(false);
  if (e.EditionOffline == 1) {
    for (const BuiltAction& b : actions_) {
      if (!b.spec->offlineBarCaption || !b.barItem) continue;
      const QString caption = b.spec->offlineBarCaption;
      b.barItem->setText(caption);
      // the button takes the action's text whenever the action changes
      connect(b.action, &QAction::changed, this, [item = b.barItem, caption] { item->setText(caption); });
    }
  }
  applyUpperLevelItems();
}

void TMainForm::applyUpperLevelItems() {
  const session::EditionSettings& e = session_.Edition();
  const bool upperLevel = ShowUpperLevelItems();
  for (const BuiltAction& b : actions_) {
    b.action->setVisible(MainActionShown(*b.spec, e, upperLevel));
    if (b.barItem) b.barItem->setVisible(BarItemShown(*b.spec, e, upperLevel));
  }
}

void TMainForm::FormCreate() {
  setWindowTitle(QText(session_.WindowTitle()));
  int showGrid = settings::RegReadInteger("ShowGrid", 1);
  setGridVisible(showGrid == 1, false);
  arrangeForEdition();
  try {
    LoadFieldCatalogue();
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
  }
  productVersion_ = ReadProductVersion();
  if (session_.Edition().EditionOffline == 1)
    statusVersion_->setText(QString("开发单位：Tarnwick\u3000软件版本：1.0 (Build %1)").arg(productVersion_.build));
  else
    statusVersion_->setText(QString("开发单位：Tarnwick\u3000软件版本：%1 (Build %2)")
                                .arg(QText(productVersion_.text))
                                .arg(productVersion_.build));
  // The entry form is made once at start, so opening it on a record only loads the record.
  ensureEntryForm();
  groupTableList_ = {"CT_Group", "DT_GroupItem"};
  recordTableList_ = {"dt_data", "dt_dataelse"};
  updateActions();
}

void TMainForm::LoadFieldCatalogue() {
  catalogue::TFieldDataArray fields = catalogue::LoadFieldData(session_.SysADOConnection(), session_.Edition());
  if (!fields.empty()) fieldData_ = fields;
  grid_->resetSort();
  grid_->setFieldData(fields);
  grid_->setAttached(gridVisible_);
  grid_->open();
  updateActions();
}

void TMainForm::setGridVisible(bool visible, bool remember) {
  gridVisible_ = visible;
  listStack_->setCurrentWidget(visible ? static_cast<QWidget*>(grid_) : picture_);
  note_->setVisible(!visible);
  strip_->setFixedHeight(visible ? 4 : 24);
  grid_->setAttached(visible);
  if (remember)
    settings::RegWriteInteger("ShowGrid", visible ? 1 : 0);
  updateActions();
}

void TMainForm::toggleGrid() { setGridVisible(!gridVisible_, true); }

bool TMainForm::listEmpty() const { return grid_->isEmpty(); }

void TMainForm::updateActions() {
  listHasRecords_ = !listEmpty();
  for (const BuiltAction& b : actions_) {
    const bool enabled = MainActionEnabled(*b.spec, listHasRecords_, gridVisible_);
    if (b.action->isEnabled() != enabled) b.action->setEnabled(enabled);
  }
}

void TMainForm::reopenList() {
  grid_->open();
  updateActions();
}

void TMainForm::showAbout(bool splash) {
  TdlgAboutForm about(productVersion_.build, this);
  if (session_.Edition().EditionOffline != 1)
    about.versionLabel()->setText(
        QString("版本：%1 (Build %2)").arg(QText(productVersion_.text)).arg(productVersion_.build));
  about.onSecretDoubleClick = [this] { SetAllRecordsFormal(session_, prompts_, *grid_); };
  if (splash) about.startSplash();
  about.exec();
}

void TMainForm::ensureEntryForm() {
  if (entryForm_) return;
  entryForm_ = std::make_unique<TdlgSurveyDataForm>(session_, prompts_, this);
  connect(entryForm_.get(), &TdlgSurveyDataForm::recordStored, this, &TMainForm::updateActions);
  connect(entryForm_.get(), &TdlgSurveyDataForm::printRequested, this, [this] {
    ActionContext overForm = context_;
    overForm.parent = entryForm_.get();
    RunPrintAction(overForm, entryForm_->shownCode(), print::PrintOrigin::EntryForm);
  });
}

void TMainForm::openEntryForm(bool adding) {
  ensureEntryForm();
  OpenEntryFormAction(*entryForm_, *grid_, prompts_, adding);
  updateActions();
}

void TMainForm::runOptions() {
  TdlgOptionSetupForm dlg(prompts_, this);
  if (dlg.exec() == QDialog::Accepted) applyUpperLevelItems();
}

void TMainForm::wireActions() {
  for (const BuiltAction& b : actions_) {
    const MainAction* spec = b.spec;
    if (!spec->run) continue;
    // whatever the action changed (records, the list, the database), the enabling follows
    connect(b.action, &QAction::triggered, this, [this, spec] {
      spec->run(*this);
      updateActions();
    });
  }
  context_.list = grid_;
  context_.reloadList = [this] { LoadFieldCatalogue(); };
  context_.modifyRecord = [this](RecordGrid& list) {
    ensureEntryForm();
    OpenEntryFormAction(*entryForm_, list, prompts_, false);
  };
  // The list tells when it was read again, opened or closed: it may have become empty or filled.
  connect(grid_, &RecordGrid::recordsChanged, this, &TMainForm::updateActions);
  session_.onReopened = [this] { reopenList(); };
  session_.onDatabaseChanged = [this] {
    setWindowTitle(QText(session_.WindowTitle()));
    entryForm_.reset();  // the next form reads the new database's catalogue and rule texts
    LoadFieldCatalogue();
  };

  // Keys on the list.
  connect(grid_, &RecordGrid::modifyRequested, this, [this] { action("actModify")->trigger(); });
  connect(grid_, &RecordGrid::addRequested, this, [this] { action("actAddNew")->trigger(); });
  connect(grid_, &RecordGrid::deleteRequested, this, [this] { action("actDelete")->trigger(); });
  // The window previews its keys (Ctrl+L, Ctrl+F); they work only while the list holds records.
  for (const BuiltAction& b : actions_) {
    if (!b.spec->key) continue;
    auto* key = new QShortcut(QKeySequence(b.spec->key), this);
    connect(key, &QShortcut::activated, this, [this, a = b.action] {
      if (listHasRecords_) a->trigger();
    });
  }
}

}  // namespace velmora::gui
