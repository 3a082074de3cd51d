#include "gui/app/main_window.h"

#include <QApplication>
#include <QDate>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/settings/settings.h"
#include "gui/app/about_form.h"
#include "gui/app/database_actions.h"
#include "gui/app/upper_level_items.h"
#include "gui/checks/check_actions.h"
#include "gui/entry/survey_data_form.h"
#include "gui/exchange/exchange_actions.h"
#include "gui/exchange/save_list_form.h"
#include "gui/groups/group_actions.h"
#include "gui/print/print_actions.h"
#include "gui/records/record_grid.h"
#include "gui/records/records_actions.h"
#include "gui/search/search_actions.h"
#include "gui/settings/option_setup_form.h"
#include "gui/summary/sum_form.h"
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

}  // namespace

TMainForm::TMainForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), session_(session), prompts_(prompts) {
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

  // The enabling rules are evaluated whenever the program is idle.
  auto* idle = new QTimer(this);
  idle->setInterval(200);
  connect(idle, &QTimer::timeout, this, &TMainForm::updateActions);
  idle->start();
}

TMainForm::~TMainForm() = default;

QAction* TMainForm::addAction(const QString& name, const QString& caption, const QString& category,
                              const QString& glyph, const QColor& color) {
  auto* a = new QAction(ActionIcon(glyph, color), caption, this);
  a->setObjectName(name);
  a->setToolTip(caption);
  a->setProperty("category", category);
  actions_.insert(name, a);
  actionOrder_ << name;
  return a;
}

void TMainForm::createActions() {
  const QColor green(46, 139, 87), blue(52, 101, 164), red(190, 50, 50), teal(0, 128, 128), purple(117, 80, 160),
      orange(214, 120, 30), brown(150, 95, 55), grey(100, 110, 120), navy(40, 60, 130);
  addAction("actAddNew", "添加新记录", "DataProcess", "增", green);
  addAction("actModify", "修改选中的记录", "DataProcess", "改", blue);
  addAction("actDelete", "删除记录", "DataProcess", "删", red);
  addAction("actCheck", "检查数据的逻辑", "DataProcess", "检", teal);
  addAction("actCheckSelected", "检查选中数据的逻辑", "DataProcess", "核", teal);
  addAction("actConditionSearch", "指标查询", "Search", "查", purple);
  addAction("actSum", "数据汇总", "DataProcess", "汇", orange);
  addAction("actGroup", "数据分组", "DataProcess", "组", orange);
  addAction("actSaveList", "导出数据列表", "DataProcess", "列", brown);
  addAction("actPrint", "打印选中记录的年报表", "DataProcess", "印", grey);
  addAction("actFastImport", "数据导入", "SysSetup", "入", navy);
  addAction("actBackup", "数据备份", "SysSetup", "备", navy);
  addAction("actExport", "数据上报", "SysSetup", "报", navy);
  addAction("actLocate", "按条件查找定位数据", "Search", "定", purple);
  addAction("actSearch", "按编号范围查找数据", "Search", "范", purple);
  addAction("actCompress", "压缩数据库文件", "SysSetup", "压", grey);
  addAction("actOptions", "参数设置", "SysSetup", "设", grey);
  addAction("actRecordGrid", "自定义列表显示", "SysSetup", "显", grey);
  addAction("actAbout", "关于", "", "关", blue);
  // Reached by no button, menu entry or key in this edition.
  addAction("actOpenDB", "打开其它数据库", "SysSetup", "开", grey);
  addAction("actOpenDefault", "打开默认数据库", "SysSetup", "默", grey);
  addAction("actLabel", "修改数据库标识", "SysSetup", "标", grey);
  addAction("actImport", "逐条导入", "SysSetup", "逐", navy);
  addAction("actGroupImport", "数据分组导入", "SysSetup", "组", navy);
  addAction("actGroupExport", "数据分组导出", "SysSetup", "组", navy);
  // Group-bar items without an action of their own run these.
  addAction("itemExportOnline", "上报到网络版", "SysSetup", "网", navy);
  addAction("itemBatchImport", "数据批量导入", "SysSetup", "批", navy);
  addAction("itemImportOnline", "导入网络版数据", "SysSetup", "网", navy);
  addAction("itemRestore", "数据恢复", "SysSetup", "恢", navy);
  addAction("itemExportLogic", "导出逻辑", "SysSetup", "逻", teal);
  addAction("itemMigrate", "10年导11年", "DataProcess", "转", orange);
  addAction("itemTidy", "数据整理", "DataProcess", "整", orange);
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
  for (const char* n : {"actAddNew", "actModify", "actDelete"}) popup_->addAction(action(n));
  popup_->addSeparator();
  for (const char* n : {"actLocate", "actSearch"}) popup_->addAction(action(n));
  popup_->addSeparator();
  popup_->addAction(action("actCheckSelected"));
  popup_->addSeparator();
  for (const char* n : {"actRecordGrid", "actPrint"}) popup_->addAction(action(n));
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { popup_->exec(grid_->viewport()->mapToGlobal(pos)); });
}

void TMainForm::createGroupBar() {
  int g1 = groupBar_->addGroup("数据操作");
  for (const char* n : {"actAddNew", "actModify", "actDelete", "actCheck", "actConditionSearch", "actSum", "actGroup",
                        "actSaveList", "actPrint", "itemMigrate", "itemTidy"})
    barItems_.insert(n, groupBar_->addItem(g1, action(n)));
  int g2 = groupBar_->addGroup("备份与上报");
  for (const char* n : {"actFastImport", "itemBatchImport", "actImport", "actBackup", "itemRestore", "actExport",
                        "itemExportOnline", "itemImportOnline", "actGroupExport", "actGroupImport"})
    barItems_.insert(n, groupBar_->addItem(g2, action(n)));
  int g3 = groupBar_->addGroup("系统工具");
  for (const char* n : {"actCompress", "actOptions", "actRecordGrid", "actOpenDB", "actOpenDefault", "actLabel",
                        "itemExportLogic"})
    barItems_.insert(n, groupBar_->addItem(g3, action(n)));
  groupBar_->setOpenGroup(g3);
  // the bar opens wide enough for every caption of its items
  const int barWidth = groupBar_->sizeHint().width();
  splitter_->setSizes({barWidth, std::max(0, width() - barWidth)});
}

void TMainForm::createMenus() {
  auto menu = [this](const QString& key, const QString& title, std::initializer_list<const char*> names) {
    QMenu* m = menuBar()->addMenu(title);
    for (const char* n : names) m->addAction(action(n));
    menus_.insert(key, m);
    return m;
  };
  menu("文件", "文件", {"actOpenDB", "actOpenDefault", "actLabel"});
  menu("数据记录", "数据记录", {"actAddNew", "actModify", "actDelete", "actPrint"});
  menu("查找", "查找", {"actLocate", "actSearch"});
  menu("逻辑检查", "逻辑检查", {"actCheckSelected", "actCheck"});
  menu("数据处理", "数据处理", {"actGroup", "actSum"});
  menu("导入导出", "导入导出", {"actFastImport", "actImport", "actExport", "actGroupImport", "actGroupExport"});
  menu("工具", "工具", {"actOptions", "actCompress", "actRecordGrid", "actLabel"});
  // The menu bar shows "关于" as a word, running the action.
  QAction* about = menuBar()->addAction(action("actAbout")->text());
  about->setObjectName("menuAbout");
  connect(about, &QAction::triggered, action("actAbout"), &QAction::trigger);
  connect(action("actAbout"), &QAction::changed, about, [this, about] { about->setEnabled(action("actAbout")->isEnabled()); });
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
  auto hideItem = [this](const char* n) {
    if (QToolButton* b = barItems_.value(n)) b->hide();
  };
  auto showItem = [this](const char* n, bool on) {
    if (QToolButton* b = barItems_.value(n)) b->setVisible(on);
  };
  // Reached by nothing in either layout.
  for (const char* n : {"actOpenDB", "actOpenDefault", "actLabel"}) hideItem(n);
  if (e.EditionOffline == 1) {
    action("actExport")->setText("数据上报");
    barItems_.value("actExport")->setText("上报到离线版");
    connect(action("actExport"), &QAction::changed, this,
            [this] { barItems_.value("actExport")->setText("上报到离线版"); });
    showItem("itemExportOnline", true);
    menus_.value("文件")->menuAction()->setVisible(false);
    menus_.value("导入导出")->menuAction()->setVisible(false);
    // the tools menu's entry of the label action
    for (QAction* a : menus_.value("工具")->actions())
      if (a == action("actLabel")) a->setVisible(false);
  } else {
    showItem("itemExportOnline", false);
  }
  if (e.EditionFullFeatures == 0) {
    for (const char* n : {"actConditionSearch", "actPrint", "actRecordGrid"}) hideItem(n);
    action("actPrint")->setVisible(false);
    action("actRecordGrid")->setVisible(false);
  }
  applyUpperLevelItems();
}

void TMainForm::applyUpperLevelItems() {
  const bool upperLevel = ShowUpperLevelItems();
  for (const QString& n : UpperLevelItems()) {
    const bool shown = UpperLevelItemShown(n, session_.Edition(), upperLevel);
    // an action of a menu (actImport) leaves the menu with its button
    if (n.startsWith("act")) action(n)->setVisible(shown);
    if (QToolButton* b = barItems_.value(n)) b->setVisible(shown);
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
  const bool hasRecords = !listEmpty();
  for (const QString& name : actionOrder_) {
    bool enabled = wired_.value(name, false);
    if (name == "actModify" || name == "actDelete" || name == "actLocate" || name == "actSearch" ||
        name == "actPrint")
      enabled = enabled && hasRecords;
    if (name == "actRecordGrid") enabled = enabled && gridVisible_;
    if (action(name)->isEnabled() != enabled) action(name)->setEnabled(enabled);
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
    RunPrintAction(session_, entryForm_.get(), entryForm_->shownCode(), print::PrintOrigin::EntryForm);
  });
}

void TMainForm::openEntryForm(bool adding) {
  ensureEntryForm();
  OpenEntryFormAction(*entryForm_, *grid_, prompts_, adding);
  updateActions();
}

void TMainForm::wireActions() {
  auto wire = [this](const char* name, auto&& fn) {
    wired_.insert(name, true);
    connect(action(name), &QAction::triggered, this, std::forward<decltype(fn)>(fn));
  };

  wire("actAddNew", [this] { openEntryForm(true); });
  wire("actModify", [this] {
    if (!listEmpty()) openEntryForm(false);
  });
  wire("actDelete", [this] {
    RunDeleteAction(session_, prompts_, *grid_, this);
    updateActions();
  });
  wire("actPrint", [this] {
    if (const auto key = grid_->currentKey()) RunPrintAction(session_, this, key->toString(), print::PrintOrigin::MainWindow);
  });
  wire("actCheck", [this] { RunCheckAction(session_, prompts_, grid_, this, false); });
  wire("actCheckSelected", [this] { RunCheckAction(session_, prompts_, grid_, this, true); });
  wire("actCompress", [this] { RunDatabaseAction(session_, DatabaseAction::Compress, *this); });
  wire("actOptions", [this] {
    TdlgOptionSetupForm dlg(prompts_, this);
    if (dlg.exec() == QDialog::Accepted) applyUpperLevelItems();
  });
  wire("actRecordGrid", [this] { RunListColumnsAction(session_, prompts_, this, [this] { LoadFieldCatalogue(); }); });
  wire("actExport", [this] { RunExportAction(session_); });
  wire("actFastImport", [this] {
    RunImportAction(session_, grid_);
    updateActions();
  });
  wire("itemBatchImport", [this] {
    RunBatchImportAction(session_, grid_, this);
    updateActions();
  });
  wire("itemExportOnline", [this] { RunExportOnlineAction(session_, this); });
  wire("itemImportOnline", [this] {
    RunImportOnlineAction(session_, grid_, this);
    updateActions();
  });
  wire("actBackup", [this] { RunBackupAction(session_, grid_); });
  wire("actSaveList", [this] { RunSaveListAction(session_, this); });
  wire("itemExportLogic", [this] { RunExportRulesAction(session_); });
  wire("itemRestore", [this] {
    RunRestoreAction(session_, grid_);
    updateActions();
  });
  wire("actGroup", [this] { RunGroupAction(session_, prompts_, this); });
  wire("actSum", [this] { RunSumAction(session_, prompts_, this); });
  wire("actGroupExport", [this] { RunGroupExportAction(session_); });
  wire("actGroupImport", [this] { RunGroupImportAction(session_); });
  auto search = [this](void (*run)(SearchContext&)) {
    SearchContext context{session_, *grid_, this, [this](RecordGrid& list) {
                            ensureEntryForm();
                            OpenEntryFormAction(*entryForm_, list, prompts_, false);
                          }, {}};
    run(context);
    updateActions();
  };
  wire("actSearch", [search] { search(RunSearchAction); });
  wire("actConditionSearch", [search] { search(RunConditionSearchAction); });
  wire("actLocate", [search] { search(RunLocateAction); });
  wire("actImport", [this] {
    RunRecordImportAction(session_, grid_, this);
    updateActions();
  });
  wire("itemMigrate", [this] {
    RunMigrationAction(session_, grid_, this);
    updateActions();
  });
  wire("itemTidy", [this] {
    RunTidyAction(session_, grid_);
    updateActions();
  });
  wire("actAbout", [this] { showAbout(false); });
  wire("actOpenDB", [this] { RunDatabaseAction(session_, DatabaseAction::Open, *this); });
  wire("actOpenDefault", [this] { RunDatabaseAction(session_, DatabaseAction::OpenDefault, *this); });
  wire("actLabel", [this] { RunDatabaseAction(session_, DatabaseAction::Label, *this); });
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
  // The window previews Ctrl+L and Ctrl+F; both work only while the list holds records.
  auto* locate = new QShortcut(QKeySequence("Ctrl+L"), this);
  connect(locate, &QShortcut::activated, this, [this] {
    if (action("actLocate")->isEnabled()) action("actLocate")->trigger();
  });
  auto* find = new QShortcut(QKeySequence("Ctrl+F"), this);
  connect(find, &QShortcut::activated, this, [this] {
    if (action("actLocate")->isEnabled()) action("actConditionSearch")->trigger();
  });
}

}  // namespace velmora::gui
