// The main window as the user meets it: actions and their enabling, the list panel, the group bar,
// the menus, the splash box and the wheel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <stdexcept>

#include "core/session/session.h"
#include "core/settings/settings.h"
#include "gui/app/about_form.h"
#include "gui/app/main_actions.h"
#include "gui/app/main_window.h"
#include "gui/app/upper_level_items.h"
#include "gui/app/wheel_to_keys.h"
#include "gui/entry/survey_data_form.h"
#include <QTimer>
#include "gui/records/record_grid.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/search/locate_form.h"
#include "gui/search/query_list_form.h"
#include "gui/search/search_forms.h"
#include "support/modal_dialogs.h"
#include "gui/widgets/group_bar.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;
using velmora::testing::WhenModalOpens;

// A program folder with its own default database and an in-memory settings store.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.copyOfShipped();
  }
  std::unique_ptr<TMainForm> open(int records) {
    if (records > 0) {
      std::string values;
      for (int i = 1; i <= records; ++i)
        values += (i > 1 ? "," : "") + std::string("(") + std::to_string(110101000000LL + i) + ",'单位" +
                  std::to_string(i) + "工会',1)";
      db::Connection c("Data Source=" + (dir / "2012Velmora.mdb").string());
      c.execute("insert into dt_data (c901,c902,RecordState) values " + values);
    }
    session = std::make_unique<session::DatabaseSession>(dir.path().string(), prompts);
    EXPECT_TRUE(session->OpenDatabase(""));
    auto w = std::make_unique<TMainForm>(*session, prompts);
    w->FormCreate();
    return w;
  }
  TempDir dir;
  settings::MemorySettingsStore store;
  settings::ScopedStore scoped{store};
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
};

TEST_F(MainWindowTest, EveryActionExistsWithCaptionCategoryAndImage) {
  auto w = open(0);
  struct Expect {
    const char* name;
    const char* caption;
    const char* category;
  } table[] = {
      {"actAddNew", "添加新记录", "DataProcess"},        {"actModify", "修改选中的记录", "DataProcess"},
      {"actDelete", "删除记录", "DataProcess"},          {"actCheck", "检查数据的逻辑", "DataProcess"},
      {"actCheckSelected", "检查选中数据的逻辑", "DataProcess"}, {"actConditionSearch", "指标查询", "Search"},
      {"actSum", "数据汇总", "DataProcess"},             {"actGroup", "数据分组", "DataProcess"},
      {"actSaveList", "导出数据列表", "DataProcess"},     {"actPrint", "打印选中记录的年报表", "DataProcess"},
      {"actFastImport", "数据导入", "SysSetup"},          {"actBackup", "数据备份", "SysSetup"},
      {"actExport", "数据上报", "SysSetup"},              {"actLocate", "按条件查找定位数据", "Search"},
      {"actSearch", "按编号范围查找数据", "Search"},       {"actCompress", "压缩数据库文件", "SysSetup"},
      {"actOptions", "参数设置", "SysSetup"},             {"actRecordGrid", "自定义列表显示", "SysSetup"},
      {"actAbout", "关于", ""},                           {"actOpenDB", "打开其它数据库", "SysSetup"},
      {"actOpenDefault", "打开默认数据库", "SysSetup"},    {"actLabel", "修改数据库标识", "SysSetup"},
  };
  for (const auto& e : table) {
    SCOPED_TRACE(e.name);
    QAction* a = w->action(e.name);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(), QString(e.caption));
    EXPECT_EQ(a->property("category").toString(), QString(e.category));
    EXPECT_FALSE(a->icon().isNull());
  }
}

TEST_F(MainWindowTest, EmptyDatabaseDisablesTheListActionsAndTheKeys) {
  auto w = open(0);
  w->show();
  for (const char* n : {"actModify", "actDelete", "actLocate", "actSearch", "actPrint"})
    EXPECT_FALSE(w->action(n)->isEnabled()) << n;
  for (const char* n : {"actAddNew", "actCheck", "actCheckSelected", "actCompress", "actOptions", "actRecordGrid",
                        "actAbout", "actFastImport", "actBackup", "actExport", "actGroup", "actSaveList", "actSum"})
    EXPECT_TRUE(w->action(n)->isEnabled()) << n;
  int fired = 0;
  for (const char* n : {"actLocate", "actConditionSearch"})
    QObject::connect(w->action(n), &QAction::triggered, [&fired] { ++fired; });
  QTest::keyClick(w.get(), Qt::Key_L, Qt::ControlModifier);
  QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(fired, 0);
}

TEST_F(MainWindowTest, RecordsEnableTheListActions) {
  auto w = open(3);
  for (const char* n : {"actAddNew", "actModify", "actDelete"}) EXPECT_TRUE(w->action(n)->isEnabled()) << n;
  EXPECT_FALSE(w->recordGrid()->isEmpty());
  EXPECT_EQ(w->windowTitle(), QString("Velmora - 默认数据库"));
}

TEST_F(MainWindowTest, ShowGridZeroStartsWithThePictureAndTheToggleRemembers) {
  settings::RegWriteInteger("ShowGrid", 0);
  auto w = open(2);
  EXPECT_FALSE(w->gridVisible());
  EXPECT_FALSE(w->action("actRecordGrid")->isEnabled());
  w->toggleGrid();
  EXPECT_TRUE(w->gridVisible());
  EXPECT_TRUE(w->action("actRecordGrid")->isEnabled());
  EXPECT_EQ(settings::RegReadInteger("ShowGrid", 7), 1);
  w->toggleGrid();
  EXPECT_EQ(settings::RegReadInteger("ShowGrid", 7), 0);
}

TEST_F(MainWindowTest, GroupBarMenusAndPopupFollowTheLayout) {
  auto w = open(0);
  TGroupBar* bar = w->groupBar();
  ASSERT_EQ(bar->groupCount(), 3);
  EXPECT_EQ(bar->groupCaption(0), QString("数据操作"));
  EXPECT_EQ(bar->groupCaption(1), QString("备份与上报"));
  EXPECT_EQ(bar->groupCaption(2), QString("系统工具"));
  EXPECT_EQ(bar->openGroup(), 2);
  auto visibleTexts = [bar](int g) {
    QStringList t;
    for (QToolButton* b : bar->items(g))
      if (!b->isHidden()) t << b->text();
    return t;
  };
  EXPECT_EQ(visibleTexts(0), (QStringList{"添加新记录", "修改选中的记录", "删除记录", "检查数据的逻辑", "数据审核",
                                          "指标查询", "数据汇总", "数据分组", "导出数据列表", "打印选中记录的年报表"}));
  EXPECT_EQ(visibleTexts(1), (QStringList{"数据导入", "数据备份", "上报到离线版", "上报到网络版"}));
  EXPECT_EQ(visibleTexts(2), (QStringList{"压缩数据库文件", "参数设置", "自定义列表显示"}));

  QStringList menus;
  for (QAction* a : w->menuBar()->actions())
    if (a->isVisible()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"数据记录", "查找", "逻辑检查", "数据处理", "工具", "关于", "退出"}));

  QStringList popup;
  for (QAction* a : w->popupMenu()->actions()) popup << (a->isSeparator() ? "-" : a->objectName());
  EXPECT_EQ(popup, (QStringList{"actAddNew", "actModify", "actDelete", "-", "actLocate", "actSearch", "-",
                                "actCheckSelected", "-", "actRecordGrid", "actPrint"}));
  EXPECT_TRUE(w->statusVersionText().startsWith(QString("开发单位：Tarnwick\u3000软件版本：1.0 (Build ")));
}

// At the window's default size the group bar is wide enough for every caption of every group.
TEST_F(MainWindowTest, GroupBarCaptionsFitAtTheDefaultSize) {
  auto w = open(0);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  TGroupBar* bar = w->groupBar();
  for (int g = 0; g < bar->groupCount(); ++g) {
    bar->setOpenGroup(g);
    QApplication::processEvents();
    for (QToolButton* b : bar->items(g)) {
      if (b->isHidden()) continue;
      SCOPED_TRACE(b->text().toStdString());
      // the label, with the button's padding and border on both sides, inside the button
      EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 8, b->width());
      EXPECT_GE(b->width(), b->sizeHint().width());
      EXPECT_LE(b->mapTo(bar, QPoint(b->width(), 0)).x(), bar->width());
    }
  }
}

TEST(AboutBox, SplashClosesAfterFiftyTicksAndTheMenuBoxWaits) {
  TdlgAboutForm about(785);
  EXPECT_EQ(about.versionLabel()->text(), QString("版本：1.0 (Build 785)"));
  about.startSplash();
  EXPECT_TRUE(about.progressBar()->isVisibleTo(&about));
  about.show();
  for (int i = 0; i < 49; ++i) about.tick();
  EXPECT_TRUE(about.isVisible());
  about.tick();
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);

  TdlgAboutForm fromMenu(785);
  EXPECT_FALSE(fromMenu.progressBar()->isVisibleTo(&fromMenu));
  EXPECT_FALSE(fromMenu.splashRunning());
}

TEST(AboutBox, CtrlAltDoubleClickOnTheNameRunsTheHiddenCommand) {
  struct Case {
    Qt::KeyboardModifiers mods;
    int runs;
  } cases[] = {{Qt::ControlModifier | Qt::AltModifier, 1},
               {Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, 0},
               {Qt::ControlModifier, 0},
               {Qt::NoModifier, 0}};
  for (const auto& c : cases) {
    TdlgAboutForm about(1);
    int runs = 0;
    about.onSecretDoubleClick = [&runs] { ++runs; };
    about.show();
    QTest::mouseDClick(about.nameLabel(), Qt::LeftButton, c.mods);
    EXPECT_EQ(runs, c.runs);
    EXPECT_FALSE(about.isVisible());
  }
}

TEST(WheelToKeys, EachNotchIsOneArrowKey) {
  QWidget target;
  target.setFocusPolicy(Qt::StrongFocus);
  target.show();
  target.activateWindow();
  target.setFocus();
  QApplication::processEvents();
  struct KeyCounter : QObject {
    QList<int> keys;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::KeyPress) keys << static_cast<QKeyEvent*>(e)->key();
      return false;
    }
  } counter;
  target.installEventFilter(&counter);
  TWheelToKeys wheel;
  auto turn = [&](int delta) {
    QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    return wheel.eventFilter(&target, &e);
  };
  EXPECT_TRUE(turn(120));
  EXPECT_TRUE(turn(-240));
  EXPECT_TRUE(turn(60));  // half a notch: nothing yet
  EXPECT_TRUE(turn(60));
  EXPECT_EQ(counter.keys, (QList<int>{Qt::Key_Up, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}));
}

}  // namespace
}  // namespace velmora::gui

namespace velmora::gui {
namespace {

// The add action opens the entry form in adding mode; closing it re-reads the list.
TEST_F(MainWindowTest, AddNewOpensTheEntryFormAndTheListFollows) {
  auto w = open(2);
  bool seen = false;
  QTimer::singleShot(0, [&seen] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* form = qobject_cast<TdlgSurveyDataForm*>(top); form && form->isVisible()) {
        seen = form->IsNew;
        form->reject();
      }
    }
  });
  w->action("actAddNew")->trigger();
  EXPECT_TRUE(seen);
  EXPECT_EQ(w->recordGrid()->recordCount(), 2);
}

// Ctrl+L and Ctrl+F open their dialogs once the list holds records; a located record becomes the
// list's current row and a search's result list modifies its own record in the entry form.
TEST_F(MainWindowTest, SearchKeysOpenTheirDialogsAndTheListFollows) {
  auto w = open(5);
  w->show();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  for (const char* n : {"actLocate", "actSearch", "actConditionSearch"}) EXPECT_TRUE(w->action(n)->isEnabled()) << n;
  QString opened;
  WhenModalOpens([&opened](QWidget* box) {
    opened = box->objectName();
    auto* locate = qobject_cast<TdlgLocateForm*>(box);
    ASSERT_NE(locate, nullptr);
    locate->c901()->setPlain("110101000004");
    locate->tbSumClick();
  });
  QTest::keyClick(w.get(), Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(opened, "dlgLocate");
  EXPECT_EQ(w->recordGrid()->currentRow(), 3);

  opened.clear();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  WhenModalOpens([&opened](QWidget* box) {
    opened = box->objectName();
    box->close();
  });
  QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(opened, "dlgDataSearch");

  // The code range 2..3, then modify the second record of the result list.
  std::int64_t formCode = 0;
  WhenModalOpens([&](QWidget* box) {
    auto* search = qobject_cast<TdlgSearchForm*>(box);
    ASSERT_NE(search, nullptr);
    search->number1()->setPlain("110101000002");
    search->ToolForm()->ShowCodePopup(*search->lc1(), search::OperatorList(), nullptr);
    search->ToolForm()->CodePopupMenu()->hide();
    search->ToolForm()->CodePopupMenu()->actions().at(3)->trigger();  // ">="
    WhenModalOpens(
        [&](QWidget* list) {
          auto* results = qobject_cast<TdlgQueryListForm*>(list);
          ASSERT_NE(results, nullptr);
          EXPECT_EQ(results->CountLabel()->text(), "4");
          results->DBGrid1()->setCurrentRow(1);
          WhenModalOpens(
              [&](QWidget* form) {
                auto* entry = qobject_cast<TdlgSurveyDataForm*>(form);
                ASSERT_NE(entry, nullptr);
                formCode = entry->findChild<TNumericEdit*>("c901")->integerValue();
                form->close();
              },
              list);
          results->tbEditClick();
          list->close();
        },
        search);
    search->tbSumClick();
    search->close();
  });
  w->action("actSearch")->trigger();
  EXPECT_EQ(formCode, 110101000003);
  EXPECT_EQ(w->recordGrid()->currentRow(), 3);
}

}  // namespace
}  // namespace velmora::gui

namespace velmora::gui {
namespace {

// Every action of the table in the shipped edition, without and with the upper-level option, over
// an empty and a filled list: whether its group-bar item shows and whether the action is enabled.
TEST_F(MainWindowTest, EveryActionShowsAndEnablesAsTheTableSays) {
  struct Expect {
    const char* name;
    const char* bar;      // the bar item shows: without, with the option ('1' shown)
    const char* enabled;  // without the option: empty, filled list; with it: empty, filled
  } table[] = {
      {"actAddNew", "11", "1111"},        {"actModify", "11", "0101"},         {"actDelete", "11", "0101"},
      {"actCheck", "11", "1111"},         {"actCheckSelected", "00", "1111"},  {"actConditionSearch", "11", "1111"},
      {"actSum", "11", "1111"},           {"actGroup", "11", "1111"},          {"actSaveList", "11", "1111"},
      {"actPrint", "11", "0101"},         {"actFastImport", "11", "1111"},     {"actBackup", "11", "1111"},
      {"actExport", "11", "1111"},        {"actLocate", "00", "0101"},         {"actSearch", "00", "0101"},
      {"actCompress", "11", "1111"},      {"actOptions", "11", "1111"},        {"actRecordGrid", "11", "1111"},
      {"actAbout", "00", "1111"},         {"actOpenDB", "00", "1111"},         {"actOpenDefault", "00", "1111"},
      {"actLabel", "00", "0000"},         {"actImport", "01", "0011"},         {"actGroupImport", "01", "0011"},
      {"actGroupExport", "01", "0011"},   {"itemExportOnline", "11", "1111"},  {"itemBatchImport", "01", "1111"},
      {"itemImportOnline", "01", "1111"}, {"itemRestore", "01", "1111"},       {"itemExportLogic", "01", "1111"},
      {"itemMigrate", "01", "1111"},      {"itemTidy", "01", "1111"},         {"actReview", "11", "0101"},
  };
  ASSERT_EQ(std::size(table), MainActions().size());
  for (int records : {0, 3}) {
    for (bool option : {false, true}) {
      WriteShowUpperLevelItems(option);
      auto w = open(option ? 0 : records);  // the records are added once
      ASSERT_EQ(w->recordGrid()->isEmpty(), records == 0);
      for (const Expect& e : table) {
        SCOPED_TRACE(std::string(e.name) + (option ? " with" : " without") + " the option, " +
                     std::to_string(records) + " records");
        QToolButton* item = nullptr;
        for (int g = 0; g < w->groupBar()->groupCount(); ++g)
          for (QToolButton* b : w->groupBar()->items(g))
            if (b->defaultAction() == w->action(e.name)) item = b;
        EXPECT_EQ(item && !item->isHidden(), e.bar[option ? 1 : 0] == '1');
        EXPECT_EQ(w->action(e.name)->isEnabled(), e.enabled[(option ? 2 : 0) + (records ? 1 : 0)] == '1');
      }
    }
  }
}

// The menus take their entries from the table in their own order; the offline edition hides the
// file and transfer menus and the label entry of the tools menu.
TEST_F(MainWindowTest, MenusListTheirActionsInOrder) {
  auto w = open(0);
  struct Expect {
    const char* title;
    bool shown;
    QStringList actions;
  } table[] = {
      {"文件", false, {"actOpenDB", "actOpenDefault", "actLabel"}},
      {"数据记录", true, {"actAddNew", "actModify", "actDelete", "actPrint"}},
      {"查找", true, {"actLocate", "actSearch"}},
      {"逻辑检查", true, {"actCheckSelected", "actCheck", "actReview"}},
      {"数据处理", true, {"actGroup", "actSum"}},
      {"导入导出", false, {"actFastImport", "actImport", "actExport", "actGroupImport", "actGroupExport"}},
      {"工具", true, {"actOptions", "actCompress", "actRecordGrid", "actLabel"}},
  };
  const QList<QAction*> bar = w->menuBar()->actions();
  ASSERT_EQ(bar.size(), static_cast<qsizetype>(std::size(table)) + 2);
  for (std::size_t i = 0; i < std::size(table); ++i) {
    SCOPED_TRACE(table[i].title);
    ASSERT_NE(bar[i]->menu(), nullptr);
    EXPECT_EQ(bar[i]->text(), QString(table[i].title));
    EXPECT_EQ(bar[i]->isVisible(), table[i].shown);
    QStringList names;
    for (QAction* a : bar[i]->menu()->actions()) names << a->objectName();
    EXPECT_EQ(names, table[i].actions);
  }
  EXPECT_FALSE(w->action("actLabel")->isVisible());
  // "关于" is a word of the menu bar that runs its action and follows its enabling.
  QAction* about = bar[static_cast<qsizetype>(std::size(table))];
  EXPECT_EQ(about->objectName(), "menuAbout");
  EXPECT_EQ(about->text(), "关于");
  w->action("actAbout")->setEnabled(false);
  EXPECT_FALSE(about->isEnabled());
  w->action("actAbout")->setEnabled(true);
  EXPECT_TRUE(about->isEnabled());
  EXPECT_EQ(bar.back()->objectName(), "actExit");
}

// The other editions cannot be opened from a database file here: the rules the window applies are
// checked directly for each edition and option.
TEST(MainActionRules, EditionsAndTheOptionShowItemsAndTheirMenuEntries) {
  session::EditionSettings offline;  // the shipped edition
  session::EditionSettings online;
  online.EditionOffline = 0;
  session::EditionSettings reduced = online;
  reduced.EditionFullFeatures = 0;
  struct Case {
    const char* name;
    const session::EditionSettings* edition;
    bool option;
    bool bar, action;
  } cases[] = {
      {"actPrint", &online, false, true, true},           {"actPrint", &reduced, false, false, false},
      {"actRecordGrid", &reduced, true, false, false},    {"actConditionSearch", &reduced, false, false, true},
      {"actConditionSearch", &offline, false, true, true}, {"itemExportOnline", &offline, false, true, true},
      {"itemExportOnline", &online, true, false, true},   {"actLabel", &offline, false, false, false},
      {"actLabel", &online, false, false, true},          {"actOpenDB", &online, true, false, true},
      {"actImport", &online, false, false, false},        {"actImport", &reduced, true, true, true},
      {"actGroupExport", &offline, true, true, true},     {"itemBatchImport", &online, false, true, true},
      {"itemBatchImport", &reduced, false, false, true},  {"itemMigrate", &online, false, false, true},
      {"itemMigrate", &online, true, true, true},         {"actAddNew", &reduced, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " offline " + std::to_string(c.edition->EditionOffline) + " full " +
                 std::to_string(c.edition->EditionFullFeatures) + (c.option ? " with" : " without") + " the option");
    const MainAction& a = FindMainAction(c.name);
    EXPECT_EQ(BarItemShown(a, *c.edition, c.option), c.bar);
    EXPECT_EQ(MainActionShown(a, *c.edition, c.option), c.action);
  }
  for (const MainMenuSpec& m : MainMenus()) {
    const bool fileOrTransfer = m.menu == MainMenu::File || m.menu == MainMenu::Transfer;
    EXPECT_EQ(MainMenuShown(m, offline), !fileOrTransfer) << m.title;
    EXPECT_TRUE(MainMenuShown(m, online)) << m.title;
  }
  // the upper-level names are the table's
  EXPECT_EQ(UpperLevelItems().size(), 9);
  for (const QString& n : UpperLevelItems()) EXPECT_EQ(FindMainAction(n).shown, Shown::UpperLevel) << n.toStdString();
}

// A name the table does not have is a fault of the caller, not a null action.
TEST_F(MainWindowTest, AnUnknownActionNameThrows) {
  auto w = open(0);
  EXPECT_THROW(w->action("actAddNw"), std::invalid_argument);
  EXPECT_THROW(FindMainAction("actmodify"), std::invalid_argument);
  EXPECT_EQ(w->actionNames().size(), static_cast<qsizetype>(MainActions().size()));
}

// The enabling follows the list as soon as it is read again, emptied or hidden: no waiting for a
// later evaluation.
TEST_F(MainWindowTest, EnablingFollowsTheListAtOnce) {
  auto w = open(0);
  EXPECT_FALSE(w->action("actModify")->isEnabled());
  {
    db::Connection c("Data Source=" + (dir / "2012Velmora.mdb").string());
    c.execute("insert into dt_data (c901,c902,RecordState) values (110101000001,'单位1工会',1)");
  }
  w->recordGrid()->requery();
  for (const char* n : {"actModify", "actDelete", "actLocate", "actSearch", "actPrint"})
    EXPECT_TRUE(w->action(n)->isEnabled()) << n;
  w->recordGrid()->close();
  for (const char* n : {"actModify", "actDelete", "actLocate", "actSearch", "actPrint"})
    EXPECT_FALSE(w->action(n)->isEnabled()) << n;
  w->recordGrid()->open();
  EXPECT_TRUE(w->action("actModify")->isEnabled());
  w->toggleGrid();
  EXPECT_FALSE(w->action("actRecordGrid")->isEnabled());
  w->toggleGrid();
  EXPECT_TRUE(w->action("actRecordGrid")->isEnabled());
}

}  // namespace
}  // namespace velmora::gui
