// The dialogs of the search, groups, summary, exchange and settings windows worked from the keyboard
// alone, shown as the program shows them (exec(), its style): Tab visits every enabled input in
// reading order and the focused one is clearly marked, Enter runs the default button, Escape
// closes, and the drop-down fields open with Alt+Down and F4 and are chosen with the arrow keys.
// (The result list and the two import dialogs are not here yet: their grid keeps Tab, and their
// read-only path and log boxes are tab stops without a mark.)
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/catalogue/field_catalogue.h"
#include "core/groups/groups.h"
#include "core/records/generator.h"
#include "core/settings/settings.h"
#include "core/summary/summary.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/valid_edit.h"
#include "gui/exchange/save_list_form.h"
#include "gui/groups/group_item_form.h"
#include "gui/groups/group_list_form.h"
#include "gui/groups/input_query_box.h"
#include "gui/records/record_grid.h"
#include "gui/search/locate_form.h"
#include "gui/search/search_forms.h"
#include "gui/settings/option_setup_form.h"
#include "gui/widgets/question_dialog.h"
#include "gui/exchange/multi_export_form.h"
#include "gui/exchange/import_csv_form.h"
#include "gui/search/query_list_form.h"
#include "gui/summary/sum_form.h"
#include "gui/widgets/program_style.h"
#include "support/modal_dialogs.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;
using velmora::testing::ScriptedPrompts;
using velmora::testing::WhenModalOpens;

// Pixels whose lightness differs by more than a third of the range: what an eye sees at once, in
// any colour vision (a tint of the frame alone does not count).
int ClearlyDifferentPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return a.width() * a.height();
  int count = 0;
  for (int row = 0; row < a.height(); ++row)
    for (int col = 0; col < a.width(); ++col)
      if (std::abs(qGray(a.pixel(col, row)) - qGray(b.pixel(col, row))) > 85) ++count;
  return count;
}

// A mark is seen when at least this many pixels change clearly as the focus arrives: about the
// height of a text caret, which is the mark of a text box.
constexpr int kMarkPixels = 12;

struct TabStop {
  QString name;
  bool marked;  // the widget looks clearly different while it has the focus
};

// A control by its name; one without a name by its text (the summary's classification buttons).
QString NameOf(const QWidget* w) {
  if (!w->objectName().isEmpty()) return w->objectName();
  if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  return QString::fromLatin1(w->metaObject()->className());
}

// From the focused control, Tab until the focus comes back: each control visited, in order (a
// control that keeps the focus or a cycle that misses the start ends the walk).
std::vector<TabStop> WalkTab() {
  std::vector<TabStop> stops;
  QWidget* const start = QApplication::focusWidget();
  QWidget* w = start;
  QSet<QWidget*> seen;
  while (w && !seen.contains(w)) {
    seen.insert(w);
    const QImage focused = w->grab().toImage();
    QTest::keyClick(w, Qt::Key_Tab);
    const QImage left = w->grab().toImage();
    stops.push_back({NameOf(w), ClearlyDifferentPixels(focused, left) >= kMarkPixels});

    w = QApplication::focusWidget();
    if (w == start) break;
  }
  return stops;
}

// The visited names, starting at `first` (the cycle is the same from anywhere), space-separated.
std::string CycleFrom(const std::vector<TabStop>& stops, const QString& first) {
  QStringList names;
  for (const TabStop& s : stops) names << s.name;
  const qsizetype at = names.indexOf(first);
  if (at > 0) names = names.mid(at) + names.mid(0, at);
  return names.join(' ').toStdString();
}

QString FocusName() {
  QWidget* w = QApplication::focusWidget();
  return w ? NameOf(w) : QStringLiteral("(none)");
}

class KeyboardDialogsTest : public ::testing::Test {
 protected:
  // The program's own style, as main() installs it; the suite's previous one afterwards.
  // A caret that does not blink is drawn the same at every moment.
  static void SetUpTestSuite() {
    previousStyle_ = new QString(QApplication::style()->name());
    previousFlashTime_ = QApplication::cursorFlashTime();
    QApplication::setStyle(new TVelmoraStyle);
    QApplication::setCursorFlashTime(0);
  }
  static void TearDownTestSuite() {
    QApplication::setStyle(*previousStyle_);
    QApplication::setCursorFlashTime(previousFlashTime_);
    delete previousStyle_;
  }

  KeyboardDialogsTest() {
    const fs::path program = dir / "program";
    fs::create_directories(program);
    fs::create_directories(dir / "docs");
    for (const char* name : {"2012Velmora.mdb", summary::kSummaryTemplateName, summary::kSumTableFileName,
                             "exporttable.vm"})
      fs::copy_file(velmora::testing::ProgramDir() / name, program / name);
    GenerateDatabase(velmora::testing::ShippedDatabase().string(), (dir / "work.mdb").string(),
                     GenerateOptions{20, 3, 0});
    session = std::make_unique<session::DatabaseSession>(program.string(), prompts);
    session->setPersonalFolder((dir / "docs").string());
    EXPECT_TRUE(session->OpenDatabase((dir / "work.mdb").string()));
    grid = std::make_unique<RecordGrid>(*session, prompts);
    grid->setFieldData(catalogue::LoadFieldData(c(), session->Edition()));
    grid->open();
    groupId = groups::AddGroup(c(), "地区");
    groups::AddItem(c(), groupId, groups::ItemDraft{"甲", 110000000000, 120000000000, ">=", "<"});
  }
  db::Connection& c() { return session->SysADOConnection(); }

  inline static QString* previousStyle_ = nullptr;
  inline static int previousFlashTime_ = 0;
  settings::MemorySettingsStore store;
  settings::ScopedStore scoped{store};
  velmora::testing::TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
  std::unique_ptr<RecordGrid> grid;
  std::int64_t groupId = 0;
};

// Every dialog: where the focus starts, and the Tab cycle of its enabled inputs in reading order,
// each clearly marked while focused.
TEST_F(KeyboardDialogsTest, TabVisitsEveryInputInReadingOrderWithAVisibleMark) {
  struct Case {
    const char* dialog;
    std::function<std::unique_ptr<QDialog>()> make;
    QString firstFocus;
    QString cycle;  // from the first control in reading order
  };
  const std::vector<Case> cases{
      {"查询数据", [&] { return std::make_unique<TdlgSearchForm>(prompts); }, "number1",
       "lc1 number1 lc2 lc3 number2 tbSum tbReturn"},
      {"指标查询", [&] { return std::make_unique<TdlgDataSearchForm>(c(), prompts); }, "DataField",
       "DataField lc1 Number1 lc3 Number2 tbSum tbReturn"},
      {"选择指标", [&] { return std::make_unique<TDataSearchCodeForm>(c(), prompts); }, "TypeList1",
       "TypeList1 TypeList2 tbOK tbCancel"},
      // the radio buttons are one stop, the checked one; the arrows move between them
      {"定位数据记录", [&] { return std::make_unique<TdlgLocateForm>(c(), prompts, *grid); }, "c901",
       "rad901 c901 c902 tbSum tbReturn"},
      {"定位数据记录, a name typed",
       [&] {
         auto d = std::make_unique<TdlgLocateForm>(c(), prompts, *grid);
         QTest::keyClicks(d->c902(), "a");
         return d;
       },
       "c901", "c901 rad902 c902 tbSum tbReturn"},
      {"提示信息",
       [&] {
         auto d = std::make_unique<TQuestionDlg>();
         d->setQuestion("是否覆盖？", kAskYes | kAskNo | kAskYesToAll | kAskNoToAll);
         return d;
       },
       "tbOK", "tbOK tbCopyAll tbCancel tbNotToAll"},
      {"自定义分组列表", [&] { return std::make_unique<TdlgGroupListForm>(*session, prompts); }, "DBGrid1",
       "DBGrid1 tbAdd tbRemove tbEdit btnImport btnExport btnReturn"},
      // tbSave stays disabled until the name is changed
      {"自定义分组", [&] { return std::make_unique<TdlgGroupItemForm>(c(), prompts, groupId, "地区"); }, "GroupName",
       "GroupName DBGrid1 name LeftSymbol LowBoundary RightSymbol HighBoundary tbAdd tbRemove tbEdit tbReturn"},
      {"数据分类汇总",
       [&] {
         auto d = std::make_unique<TdlgSumForm>(*session, prompts, (dir / "settings").string());
         d->Load();
         return d;
       },
       "TableList", "TableList Button1 Button2 行业分类 tbGroup cbCompare tbSum tbReturn"},
      {"查询结果列表",
       [&] {
         auto d = std::make_unique<TdlgQueryListForm>(*session, prompts);
         d->SetCondition("where c901>0");
         return d;
       },
       "DBGrid1", "DBGrid1 tbEdit tbDelete tbDataExport tbReturn"},
      {"选择导出数据的方式", [&] { return std::make_unique<TdlgSaveListForm>(*session, prompts); }, "TableList",
       "TableList AllRecord c901_1 c901_2 tbGroup tbSave tbReturn"},
      {"软件参数设置", [&] { return std::make_unique<TdlgOptionSetupForm>(prompts); }, "qt_tabwidget_tabbar",
       "qt_tabwidget_tabbar cbIme cbUpperLevel cbRequireManifest rbAllOrNothing OKBtn CancelBtn"},
      // the chosen path is shown, not typed: the browse button is the first stop
      {"数据批量导入", [&] { return std::make_unique<TdlgMultiExportForm>(*session, prompts); }, "tbBrowse",
       "tbBrowse tbExport tbReturn"},
      {"导入文件", [&] { return std::make_unique<TdlgImportCSVForm>(*session, prompts); }, "tbBrowse",
       "tbBrowse tbExport tbReturn"},
      {"输入框", [&] { return std::make_unique<TInputQueryForm>("自定义分组", "输入本种分组方式的名称", ""); }, "Edit",
       "Edit OK Cancel"},
      // last: it removes the fixture's group
      {"自定义分组列表, empty",
       [&] {
         groups::RemoveGroup(c(), groupId);
         return std::make_unique<TdlgGroupListForm>(*session, prompts);
       },
       "DBGrid1", "DBGrid1 tbAdd btnImport btnExport btnReturn"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog);
    std::unique_ptr<QDialog> dialog = c.make();
    bool shown = false;
    std::vector<TabStop> stops;
    QString first;
    WhenModalOpens([&](QWidget* modal) {
      shown = modal == dialog.get() && QTest::qWaitForWindowActive(modal);
      first = FocusName();
      stops = WalkTab();
      modal->close();
    });
    dialog->exec();
    ASSERT_TRUE(shown);
    EXPECT_EQ(first.toStdString(), c.firstFocus.toStdString());
    EXPECT_EQ(CycleFrom(stops, c.cycle.section(' ', 0, 0)), c.cycle.toStdString());
    for (const TabStop& s : stops) EXPECT_TRUE(s.marked) << "no visible focus mark on " << s.name.toStdString();
  }
}

// Enter in a control that does not use it runs the dialog's default button; on a focused button it
// runs that button. Each case counts the clicks of the button it expects.
TEST_F(KeyboardDialogsTest, EnterRunsTheDefaultButton) {
  const QString someCode = QString::number(grid->currentKey()->toInt64());
  int searches = 0;
  struct Case {
    const char* what;
    std::function<std::unique_ptr<QDialog>()> make;
    std::function<void(QDialog&)> prepare;  // fills fields; may expect a dialog the button opens
    QString focus;                          // where Enter is pressed
    QString button;                         // the button it must run
  };
  const auto search = [&] {
    auto d = std::make_unique<TdlgSearchForm>(prompts);
    d->showResults = [&searches](const std::string&) { return ++searches, true; };
    return d;
  };
  const auto nothing = [](QDialog&) {};
  bool groupItemsSeen = false;
  const std::vector<Case> cases{
      {"查询数据 in a number", search,
       [](QDialog& d) { static_cast<TdlgSearchForm&>(d).number1()->setPlain("1"); }, "number2", "tbSum"},
      {"查询数据 on an operator", search, nothing, "lc3", "tbSum"},
      {"查询数据 on the back button", search, nothing, "tbReturn", "tbReturn"},
      {"指标查询", [&] { return std::make_unique<TdlgDataSearchForm>(c(), prompts); }, nothing, "Number2", "tbSum"},
      {"选择指标", [&] { return std::make_unique<TDataSearchCodeForm>(c(), prompts); }, nothing, "TypeList2", "tbOK"},
      {"定位数据记录", [&] { return std::make_unique<TdlgLocateForm>(c(), prompts, *grid); },
       [&](QDialog& d) { static_cast<TdlgLocateForm&>(d).c901()->setPlain(someCode); }, "c901", "tbSum"},
      {"定位数据记录 by name", [&] { return std::make_unique<TdlgLocateForm>(c(), prompts, *grid); }, nothing, "c902",
       "tbSum"},
      {"提示信息",
       [&] {
         auto d = std::make_unique<TQuestionDlg>();
         d->setQuestion("是否覆盖？", kAskYes | kAskNo);
         return d;
       },
       nothing, "tbCancel", "tbCancel"},
      {"自定义分组列表: the group opens", [&] { return std::make_unique<TdlgGroupListForm>(*session, prompts); },
       [&groupItemsSeen](QDialog& d) {
         WhenModalOpens(
             [&d, &groupItemsSeen](QWidget* items) {
               if (qobject_cast<TdlgGroupItemForm*>(items) && items->parent() == &d) {
                 groupItemsSeen = true;
                 items->close();
               }
             },
             &d);
       },
       "DBGrid1", "tbEdit"},
      {"自定义分组: the name is saved", [&] { return std::make_unique<TdlgGroupItemForm>(c(), prompts, groupId, "地区"); },
       [](QDialog& d) { static_cast<TdlgGroupItemForm&>(d).GroupName()->setText("地区二"); }, "GroupName", "tbSave"},
      {"自定义分组: the item is added", [&] { return std::make_unique<TdlgGroupItemForm>(c(), prompts, groupId, "地区"); },
       [](QDialog& d) {
         auto& items = static_cast<TdlgGroupItemForm&>(d);
         items.name()->setText("乙");
         items.LowBoundary()->setText("120000000000");
         items.HighBoundary()->setText("130000000000");
       },
       "HighBoundary", "tbAdd"},
      {"输入框", [&] { return std::make_unique<TInputQueryForm>("自定义分组", "输入本种分组方式的名称", "甲"); }, nothing,
       "Edit", "OK"},
      {"数据分类汇总",
       [&] {
         auto d = std::make_unique<TdlgSumForm>(*session, prompts, (dir / "settings").string());
         d->Load();
         return d;
       },
       nothing, "TableList", "tbSum"},
      {"选择导出数据的方式", [&] { return std::make_unique<TdlgSaveListForm>(*session, prompts); }, nothing, "c901_1",
       "tbSave"},
      {"软件参数设置", [&] { return std::make_unique<TdlgOptionSetupForm>(prompts); }, nothing, "cbUpperLevel",
       "OKBtn"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<QDialog> dialog = c.make();
    auto* button = dialog->findChild<QAbstractButton*>(c.button);
    ASSERT_NE(button, nullptr);
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    bool shown = false;
    WhenModalOpens([&](QWidget* modal) {
      shown = modal == dialog.get() && QTest::qWaitForWindowActive(modal);
      c.prepare(*dialog);
      if (auto* field = dialog->findChild<QWidget*>(c.focus)) {
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, Qt::Key_Return);
      }
      dialog->close();
    });
    dialog->exec();
    ASSERT_TRUE(shown);
    EXPECT_EQ(clicks, 1);
  }
  EXPECT_EQ(searches, 1);
  EXPECT_TRUE(groupItemsSeen);
  EXPECT_EQ(groups::FindGroup(c(), groupId)->name, "地区二");
  EXPECT_EQ(groups::LoadItems(c(), groupId).size(), 2u);
}

// Escape closes every dialog as its close box does, wherever the focus is.
TEST_F(KeyboardDialogsTest, EscapeClosesEveryDialog) {
  struct Case {
    const char* dialog;
    std::function<std::unique_ptr<QDialog>()> make;
    int result;
  };
  const std::vector<Case> cases{
      {"查询数据", [&] { return std::make_unique<TdlgSearchForm>(prompts); }, QDialog::Rejected},
      {"指标查询", [&] { return std::make_unique<TdlgDataSearchForm>(c(), prompts); }, QDialog::Rejected},
      {"选择指标", [&] { return std::make_unique<TDataSearchCodeForm>(c(), prompts); }, QDialog::Rejected},
      {"定位数据记录", [&] { return std::make_unique<TdlgLocateForm>(c(), prompts, *grid); }, QDialog::Rejected},
      {"提示信息",
       [&] {
         auto d = std::make_unique<TQuestionDlg>();
         d->setQuestion("是否覆盖？", kAskYes | kAskNo);
         return d;
       },
       kResultClosed},
      {"自定义分组列表", [&] { return std::make_unique<TdlgGroupListForm>(*session, prompts); }, QDialog::Rejected},
      {"自定义分组", [&] { return std::make_unique<TdlgGroupItemForm>(c(), prompts, groupId, "地区"); },
       QDialog::Rejected},
      {"数据分类汇总",
       [&] {
         auto d = std::make_unique<TdlgSumForm>(*session, prompts, (dir / "settings").string());
         d->Load();
         return d;
       },
       QDialog::Rejected},
      {"选择导出数据的方式", [&] { return std::make_unique<TdlgSaveListForm>(*session, prompts); }, QDialog::Rejected},
      {"软件参数设置", [&] { return std::make_unique<TdlgOptionSetupForm>(prompts); }, QDialog::Rejected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog);
    std::unique_ptr<QDialog> dialog = c.make();
    bool closedByEscape = false;
    WhenModalOpens([&](QWidget* modal) {
      EXPECT_EQ(modal, dialog.get());
      EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
      QWidget* focus = QApplication::focusWidget();
      ASSERT_NE(focus, nullptr);
      QTest::keyClick(focus, Qt::Key_Tab);  // somewhere past the first control
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      closedByEscape = !modal->isVisible();
      modal->close();
    });
    const int result = dialog->exec();
    EXPECT_TRUE(closedByEscape);
    EXPECT_EQ(result, c.result);
  }
}

// The operator, connector and symbol fields open their list with Alt+Down, Alt+Up or F4 as a
// drop-down list does, with the current entry marked; the arrows and Enter choose in it.
TEST_F(KeyboardDialogsTest, DropDownFieldsOpenFromTheKeyboardAndChooseWithTheArrows) {
  struct Case {
    const char* what;
    std::function<std::unique_ptr<QDialog>()> make;
    QString field;
    QKeyCombination opener;
    Qt::Key move;
    QString chosen;
  };
  const auto search = [&] { return std::make_unique<TdlgSearchForm>(prompts); };
  const auto dataSearch = [&] { return std::make_unique<TdlgDataSearchForm>(c(), prompts); };
  const auto items = [&] { return std::make_unique<TdlgGroupItemForm>(c(), prompts, groupId, "地区"); };
  const std::vector<Case> cases{
      {"= then the next", search, "lc1", Qt::ALT | Qt::Key_Down, Qt::Key_Down, ">"},
      {"和 then the next", search, "lc2", QKeyCombination(Qt::Key_F4), Qt::Key_Down, "或"},
      {"= then the last", search, "lc3", Qt::ALT | Qt::Key_Up, Qt::Key_Up, "<="},
      {"none chosen: the first", dataSearch, "lc1", Qt::ALT | Qt::Key_Down, Qt::Key_Down, "="},
      {"none chosen: the first", dataSearch, "lc3", QKeyCombination(Qt::Key_F4), Qt::Key_Down, "="},
      {">= then the one before", items, "LeftSymbol", Qt::ALT | Qt::Key_Down, Qt::Key_Up, ">"},
      {"< then the next", items, "RightSymbol", QKeyCombination(Qt::Key_F4), Qt::Key_Down, "<="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + " " + c.field.toStdString());
    std::unique_ptr<QDialog> dialog = c.make();
    auto* field = dialog->findChild<TCodeNameBox*>(c.field);
    auto* tool = dialog->findChild<TToolForm*>();
    ASSERT_NE(field, nullptr);
    ASSERT_NE(tool, nullptr);
    bool opened = false;
    QString text;
    bool focused = false, focusedAfter = false;
    WhenModalOpens([&](QWidget* modal) {
      EXPECT_EQ(modal, dialog.get());
      EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
      field->setFocus(Qt::TabFocusReason);
      focused = field->hasFocus();
      QTest::keyClick(field, c.opener.key(), c.opener.keyboardModifiers());
      QMenu* menu = tool->CodePopupMenu();
      opened = menu->isVisible();
      if (opened) {
        QTest::keyClick(menu, c.move);
        QTest::keyClick(menu, Qt::Key_Return);
      }
      text = field->text();
      focusedAfter = field->hasFocus();  // back on the field for the next key
      modal->close();
    });
    dialog->exec();
    EXPECT_TRUE(focused);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(focusedAfter);
    EXPECT_EQ(text.toStdString(), c.chosen.toStdString());
  }
}

// The indicator field opens its picker from the keyboard; the picker is finished with the keys too.
TEST_F(KeyboardDialogsTest, TheIndicatorFieldOpensItsPickerWithAltDownOrF4) {
  for (const QKeyCombination key : {Qt::ALT | Qt::Key_Down, QKeyCombination(Qt::Key_F4)}) {
    TdlgDataSearchForm dialog(c(), prompts);
    bool pickerShown = false;
    QString chosen;
    QString firstFocus;
    WhenModalOpens([&](QWidget* modal) {
      EXPECT_EQ(modal, &dialog);
      EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
      firstFocus = FocusName();
      WhenModalOpens(
          [&](QWidget* picker) {
            pickerShown = picker == dialog.picker() && QTest::qWaitForWindowActive(picker);
            if (!pickerShown) return;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // to the indicators
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            if (QListWidgetItem* item = dialog.picker()->TypeList2()->currentItem())
              chosen = item->data(Qt::UserRole).toString();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            picker->close();
          },
          &dialog);
      QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
      dialog.close();
    });
    dialog.exec();
    EXPECT_EQ(firstFocus.toStdString(), "DataField");
    EXPECT_TRUE(pickerShown);
    EXPECT_FALSE(chosen.isEmpty());
    EXPECT_EQ(dialog.DataField()->text().toStdString(), chosen.toStdString());
  }
}

// The custom-group buttons of the data list export and of the summary are drop-downs too.
TEST_F(KeyboardDialogsTest, TheGroupMenuButtonsOpenWithAltDownOrF4) {
  struct Case {
    const char* dialog;
    std::function<std::unique_ptr<QDialog>()> make;
    std::function<QToolButton*(QDialog&)> button;
    std::function<QMenu*(QDialog&)> menu;
  };
  const std::vector<Case> cases{
      {"选择导出数据的方式", [&] { return std::make_unique<TdlgSaveListForm>(*session, prompts); },
       [](QDialog& d) { return static_cast<TdlgSaveListForm&>(d).tbGroup(); },
       [](QDialog& d) { return static_cast<TdlgSaveListForm&>(d).GroupMenu(); }},
      {"数据分类汇总",
       [&] {
         auto d = std::make_unique<TdlgSumForm>(*session, prompts, (dir / "settings").string());
         d->Load();
         return d;
       },
       [](QDialog& d) { return static_cast<TdlgSumForm&>(d).tbGroup(); },
       [](QDialog& d) { return static_cast<TdlgSumForm&>(d).GroupMenu(); }},
  };
  for (const Case& c : cases) {
    for (const QKeyCombination key : {Qt::ALT | Qt::Key_Down, QKeyCombination(Qt::Key_F4)}) {
      SCOPED_TRACE(std::string(c.dialog) + (key.key() == Qt::Key_F4 ? " F4" : " Alt+Down"));
      std::unique_ptr<QDialog> dialog = c.make();
      QToolButton* button = c.button(*dialog);
      QMenu* menu = c.menu(*dialog);
      bool shown = false, opened = false;
      WhenModalOpens([&](QWidget* modal) {
        shown = modal == dialog.get() && QTest::qWaitForWindowActive(modal);
        button->setFocus(Qt::TabFocusReason);
        // the menu runs its own loop while open: it is checked and closed from a timer
        QTimer::singleShot(50, [&] {
          opened = menu->isVisible();
          menu->close();
        });
        QTest::keyClick(button, key.key(), key.keyboardModifiers());
        modal->close();
      });
      dialog->exec();
      EXPECT_TRUE(shown);
      EXPECT_TRUE(opened);
    }
  }
}

// The question's answers have their letters: Y for "是", N for "否"; a letter whose answer is not
// offered does nothing.
TEST_F(KeyboardDialogsTest, TheQuestionAnswersYesWithYAndNoWithN) {
  struct Case {
    int buttons;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int result;
  };
  const Case cases[] = {
      {kAskYes | kAskNo, Qt::Key_Y, Qt::NoModifier, kResultYes},
      {kAskYes | kAskNo, Qt::Key_N, Qt::NoModifier, kResultNo},
      {kAskYes | kAskNo | kAskYesToAll | kAskNoToAll, Qt::Key_Y, Qt::ShiftModifier, kResultYes},
      {kAskYes | kAskNo | kAskYesToAll | kAskNoToAll, Qt::Key_N, Qt::NoModifier, kResultNo},
      {kAskNo | kAskYesToAll, Qt::Key_Y, Qt::NoModifier, kResultClosed},
      {kAskYes | kAskNo, Qt::Key_Y, Qt::ControlModifier, kResultClosed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.buttons) + " " + std::to_string(c.key));
    bool shown = false;
    WhenModalOpens([&](QWidget* dialog) {
      shown = qobject_cast<TQuestionDlg*>(dialog) != nullptr && QTest::qWaitForWindowActive(dialog);
      QTest::keyClick(QApplication::focusWidget(), c.key, c.modifiers);
      if (dialog->isVisible()) dialog->close();  // the letter did nothing
    });
    EXPECT_EQ(AskQuestion("是否覆盖？", c.buttons), c.result);
    EXPECT_TRUE(shown);
  }
}

}  // namespace
}  // namespace velmora::gui
