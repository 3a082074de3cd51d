// The custom group dialogs as the program shows them (exec(), answered from a timer): the group
// list with its name box and removal question, the item dialog with its editors, symbol lists and
// column sort, the input box's geometry, and the main window's group actions.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/groups/group_transfer.h"
#include "core/groups/groups.h"
#include "core/session/session.h"
#include "core/settings/settings.h"
#include "gui/app/main_window.h"
#include "gui/app/upper_level_items.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/groups/group_item_form.h"
#include "gui/groups/group_list_form.h"
#include "gui/groups/input_query_box.h"
#include "gui/widgets/group_bar.h"
#include "support/database.h"
#include "support/modal_dialogs.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;
using velmora::testing::ScriptedPrompts;
using velmora::testing::WhenModalOpens;

class GroupDialogsTest : public ::testing::Test {
 protected:
  GroupDialogsTest() {
    fs::create_directories(dir / "program");
    fs::copy_file(velmora::testing::ShippedDatabase(), dir / "program" / "2012Velmora.mdb");
    file = dir.copyOfShipped("work.mdb");
    session = std::make_unique<session::DatabaseSession>((dir / "program").string(), prompts);
    session->setPersonalFolder((dir / "docs").string());
    EXPECT_TRUE(session->OpenDatabase(file.string()));
  }
  db::Connection& c() { return session->SysADOConnection(); }
  static QStringList Column(QTableWidget* grid, int column) {
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r) out << grid->item(r, column)->text();
    return out;
  }
  static void Type(QLineEdit* edit, const QString& text) {
    edit->clear();
    edit->insert(text);
  }

  settings::MemorySettingsStore store;
  settings::ScopedStore scoped{store};
  velmora::testing::TempDir dir;
  fs::path file;
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
};

TEST_F(GroupDialogsTest, ListAddsNamedGroupsAndRemovesThemAfterTheQuestion) {
  TdlgGroupListForm list(*session, prompts);
  bool listSeen = false, itemDialogSeen = false;
  WhenModalOpens([&](QWidget* shown) {
    ASSERT_EQ(shown, &list);
    listSeen = true;
    EXPECT_EQ(list.windowTitle(), "自定义分组列表");
    EXPECT_FALSE(list.tbRemove()->isEnabled());
    EXPECT_FALSE(list.tbEdit()->isEnabled());

    // Cancel the name box: no group.
    prompts.inputAnswers = {std::nullopt};
    list.tbAdd()->click();
    EXPECT_EQ(list.DBGrid1()->rowCount(), 0);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "自定义分组");
    EXPECT_EQ(prompts.shown[0].text, "输入本种分组方式的名称");

    // Empty answers ask again; the group opens in the item dialog with no items.
    prompts = {};
    prompts.inputAnswers = {std::string(), std::string("  "), std::string("O'Brien \"区\" 100%")};
    WhenModalOpens(
        [&](QWidget* items) {
          auto* dialog = qobject_cast<TdlgGroupItemForm*>(items);
          ASSERT_NE(dialog, nullptr);
          itemDialogSeen = true;
          EXPECT_EQ(dialog->GroupName()->text(), "O'Brien \"区\" 100%");
          EXPECT_EQ(dialog->DBGrid1()->rowCount(), 0);
          dialog->tbReturn()->click();
        },
        &list);
    list.tbAdd()->click();
    EXPECT_EQ(prompts.shown.size(), 3u);
    ASSERT_EQ(list.DBGrid1()->rowCount(), 1);
    EXPECT_EQ(list.DBGrid1()->item(0, 0)->text(), "O'Brien \"区\" 100%");
    EXPECT_EQ(list.groupRows().at(0).orderstr, "id ASC");
    EXPECT_TRUE(list.tbRemove()->isEnabled());
    EXPECT_TRUE(list.tbEdit()->isEnabled());

    struct Removal {
      bool answer;
      int rowsAfter;
    };
    for (const Removal& r : {Removal{false, 1}, Removal{true, 0}}) {
      prompts = {};
      prompts.confirmAnswers = {r.answer};
      list.tbRemove()->click();
      ASSERT_EQ(prompts.shown.size(), 1u);
      EXPECT_EQ(prompts.shown[0].text, groups::kRemoveQuestion);
      EXPECT_EQ(list.DBGrid1()->rowCount(), r.rowsAfter);
    }
    EXPECT_FALSE(list.tbRemove()->isEnabled());
    prompts = {};
    list.tbRemove()->click();  // nothing to remove: no question
    EXPECT_TRUE(prompts.shown.empty());
    list.btnReturn()->click();
  });
  list.exec();
  EXPECT_TRUE(listSeen);
  EXPECT_TRUE(itemDialogSeen);
  EXPECT_EQ(velmora::testing::Count(c(), "CT_Group"), 0);
}

TEST_F(GroupDialogsTest, ListExportsTheDefaultDatabasesGroupsAndImportsIntoTheOpenOne) {
  {
    db::Connection shipped(velmora::testing::ConnectionTo(dir / "program" / "2012Velmora.mdb"));
    groups::AddItem(shipped, groups::AddGroup(shipped, "默认库的分组"), groups::ItemDraft{"甲", 1, 2, ">=", "<"});
  }
  groups::AddGroup(c(), "打开的库的分组");
  TdlgGroupListForm list(*session, prompts);
  bool listSeen = false;
  WhenModalOpens([&](QWidget* shown) {
    ASSERT_EQ(shown, &list);
    listSeen = true;
    prompts.fileAnswers.push_back((dir / "transfer").string());
    list.btnExport()->click();
    EXPECT_EQ(prompts.lastMessage(), groups::ExportedText((dir / "transfer.mdb").string()));
    prompts.fileAnswers.push_back((dir / "transfer.mdb").string());
    list.btnImport()->click();
    EXPECT_EQ(prompts.lastMessage(), groups::kImportDoneText);
    EXPECT_EQ(Column(list.DBGrid1(), 0), QStringList({"默认库的分组"}));
    EXPECT_TRUE(list.tbEdit()->isEnabled());
    list.btnReturn()->click();
  });
  list.exec();
  EXPECT_TRUE(listSeen);
  EXPECT_EQ(groups::LoadItems(c(), list.groupRows().at(0).id).at(0).draft.title, "甲");
}

TEST_F(GroupDialogsTest, ItemDialogStoresChecksSortsAndRenames) {
  const std::int64_t id = groups::AddGroup(c(), "地区");
  TdlgGroupItemForm dialog(c(), prompts, id, "地区");
  bool dialogSeen = false;
  WhenModalOpens([&](QWidget* shown) {
    ASSERT_EQ(shown, &dialog);
    dialogSeen = true;
    EXPECT_EQ(dialog.LeftSymbol()->text(), ">=");
    EXPECT_EQ(dialog.LeftSymbol()->rememberedCode(), 2);
    EXPECT_EQ(dialog.RightSymbol()->text(), "<");
    EXPECT_EQ(dialog.RightSymbol()->rememberedCode(), 1);
    EXPECT_FALSE(dialog.tbSave()->isEnabled());
    EXPECT_FALSE(dialog.tbAdd()->isEnabled());
    EXPECT_FALSE(dialog.tbRemove()->isEnabled());

    struct Entry {
      QString title, low, high;
    };
    for (const Entry& e : {Entry{"乙's", "120000000000", "130000000000"}, Entry{"甲", "110000000000", "120000000000"}}) {
      Type(dialog.name(), e.title);
      Type(dialog.LowBoundary(), e.low);
      Type(dialog.HighBoundary(), e.high);
      ASSERT_TRUE(dialog.tbAdd()->isEnabled());
      dialog.tbAdd()->click();
    }
    EXPECT_EQ(Column(dialog.DBGrid1(), 0), QStringList({"乙's", "甲"}));
    EXPECT_EQ(Column(dialog.DBGrid1(), 1), QStringList({">=120000000000", ">=110000000000"}));
    EXPECT_TRUE(dialog.tbEdit()->isEnabled());

    // Refused drafts: the button is off and the store says why; nothing is stored.
    struct Refusal {
      QString title, low, high;
      std::string message;
    };
    for (const Refusal& r : {Refusal{"丙", "5", "5", groups::kBoundsText}, Refusal{"丙", "6", "5", groups::kBoundsText},
                             Refusal{"", "1", "5", groups::kNoTitleText}}) {
      SCOPED_TRACE(r.message);
      Type(dialog.name(), r.title);
      Type(dialog.LowBoundary(), r.low);
      Type(dialog.HighBoundary(), r.high);
      EXPECT_FALSE(dialog.tbAdd()->isEnabled());
      EXPECT_FALSE(dialog.tbEdit()->isEnabled());
      prompts = {};
      EXPECT_FALSE(dialog.StoreItem(true));
      EXPECT_EQ(prompts.lastMessage(), r.message);
      EXPECT_EQ(dialog.DBGrid1()->rowCount(), 2);
    }

    // Moving in the grid fills the editors; the symbol list marks and sets the symbol.
    dialog.DBGrid1()->setCurrentCell(0, 1);
    EXPECT_EQ(dialog.name()->text(), "乙's");
    EXPECT_EQ(dialog.LowBoundary()->text(), "120000000000");
    emit dialog.LeftSymbol()->dropDownRequested();
    QMenu* menu = dialog.codePopup()->CodePopupMenu();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), ">");
    EXPECT_TRUE(menu->actions()[1]->isChecked());
    menu->actions()[0]->trigger();
    menu->close();
    EXPECT_EQ(dialog.LeftSymbol()->text(), ">");
    EXPECT_EQ(dialog.LeftSymbol()->rememberedCode(), 1);
    dialog.tbEdit()->click();
    EXPECT_EQ(dialog.DBGrid1()->item(0, 1)->text(), ">120000000000");

    // Column titles: the first click sorts descending; the state is the dialog's, not the column's.
    struct Click {
      int column;
      QString title;
      std::string stored;
      QStringList titles;
    };
    // The limits sort as the texts they are: ">1…" before ">=1…".
    const std::vector<Click> clicks{{1, "编号下限▼", "LowValue DESC", {"甲", "乙's"}},
                                    {1, "编号下限▲", "LowValue ASC", {"乙's", "甲"}},
                                    {0, "数据项目名称▼", "title DESC", {"甲", "乙's"}}};
    for (const Click& k : clicks) {
      SCOPED_TRACE(k.stored);
      QTest::mouseClick(dialog.DBGrid1()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                        QPoint(dialog.DBGrid1()->horizontalHeader()->sectionViewportPosition(k.column) + 5, 5));
      QTableWidgetItem* header = dialog.DBGrid1()->horizontalHeaderItem(k.column);
      EXPECT_EQ(header->text(), k.title);
      EXPECT_EQ(header->foreground().color(), QColor(0, 255, 0));
      EXPECT_EQ(groups::FindGroup(c(), id)->orderstr, k.stored);
      EXPECT_EQ(Column(dialog.DBGrid1(), 0), k.titles);
    }
    EXPECT_EQ(dialog.DBGrid1()->horizontalHeaderItem(1)->text(), "编号下限");
    EXPECT_EQ(dialog.DBGrid1()->horizontalHeaderItem(1)->data(Qt::ForegroundRole), QVariant());

    // Removal: No keeps the item, Yes (here by the Delete key on the grid) removes it.
    prompts = {};
    prompts.confirmAnswers = {false};
    dialog.tbRemove()->click();
    EXPECT_EQ(dialog.DBGrid1()->rowCount(), 2);
    prompts.confirmAnswers = {true};
    dialog.DBGrid1()->setCurrentCell(0, 0);
    QTest::keyRelease(dialog.DBGrid1(), Qt::Key_Delete);
    EXPECT_EQ(Column(dialog.DBGrid1(), 0), QStringList({"乙's"}));
    EXPECT_EQ(prompts.messages, std::vector<std::string>(2, groups::kRemoveQuestion));

    // The name: saved with its apostrophe; an empty name cannot be saved.
    Type(dialog.GroupName(), "");
    EXPECT_FALSE(dialog.tbSave()->isEnabled());
    Type(dialog.GroupName(), "O'Brien");
    ASSERT_TRUE(dialog.tbSave()->isEnabled());
    dialog.tbSave()->click();
    EXPECT_EQ(groups::FindGroup(c(), id)->name, "O'Brien");
    dialog.tbReturn()->click();
  });
  dialog.exec();
  EXPECT_TRUE(dialogSeen);
  EXPECT_EQ(groups::LoadItems(c(), id).size(), 1u);
}

// The items stay in the order on screen (here the group's stored one, no title clicked) after an
// add, an edit and a removal, with the stored item current.
TEST_F(GroupDialogsTest, ItemDialogKeepsTheOrderOnScreenAfterStoring) {
  const std::int64_t id = groups::AddGroup(c(), "g");
  for (const char* title : {"b", "a", "c"}) groups::AddItem(c(), id, groups::ItemDraft{title, 1, 2, ">=", "<"});
  groups::StoreGroupOrder(c(), id, "title DESC");
  TdlgGroupItemForm dialog(c(), prompts, id, "g");
  bool shown = false;
  struct Step {
    const char* what;
    std::function<void()> act;
    QStringList titles;
    QString current;
  };
  const std::vector<Step> steps{
      {"add", [&] {
         Type(dialog.name(), "d");
         dialog.tbAdd()->click();
       }, {"d", "c", "b", "a"}, "d"},
      {"edit", [&] {
         dialog.DBGrid1()->setCurrentCell(3, 0);
         Type(dialog.name(), "e");
         dialog.tbEdit()->click();
       }, {"e", "d", "c", "b"}, "e"},
      {"remove", [&] {
         dialog.DBGrid1()->setCurrentCell(2, 0);
         prompts.confirmAnswers = {true};
         dialog.tbRemove()->click();
       }, {"e", "d", "b"}, "b"},
  };
  WhenModalOpens([&](QWidget*) {
    shown = true;
    EXPECT_EQ(Column(dialog.DBGrid1(), 0), QStringList({"c", "b", "a"}));
    for (const Step& s : steps) {
      SCOPED_TRACE(s.what);
      s.act();
      EXPECT_EQ(Column(dialog.DBGrid1(), 0), s.titles);
      ASSERT_GE(dialog.DBGrid1()->currentRow(), 0);
      EXPECT_EQ(dialog.DBGrid1()->item(dialog.DBGrid1()->currentRow(), 0)->text(), s.current);
    }
    dialog.tbReturn()->click();
  });
  dialog.exec();
  EXPECT_TRUE(shown);
  EXPECT_EQ(groups::FindGroup(c(), id)->orderstr, "title DESC");
}

TEST_F(GroupDialogsTest, AnOrderEditedByHandIsReportedAndTheItemsStillShow) {
  const std::int64_t id = groups::AddGroup(c(), "g");
  groups::AddItem(c(), id, groups::ItemDraft{"a", 1, 2, ">=", "<"});
  groups::AddItem(c(), id, groups::ItemDraft{"b", 2, 3, ">=", "<"});
  // Stored by hand: the program itself stores only the orders the item list makes.
  c().execute("update CT_Group set orderstr = 'nosuchcolumn sideways' where ID = " + std::to_string(id));
  TdlgGroupItemForm dialog(c(), prompts, id, "g");
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.last().kind, MessageKind::Error);
  EXPECT_EQ(prompts.lastMessage().rfind("运行中发生错误：", 0), 0u);
  EXPECT_EQ(Column(dialog.DBGrid1(), 0), QStringList({"a", "b"}));
}

TEST_F(GroupDialogsTest, InputBoxGeometryAndAnswers) {
  struct Case {
    const char* how;
    bool accepted;
    QString text;
  };
  for (const Case& k : {Case{"ok", true, "新的"}, Case{"cancel", false, "原来的"}, Case{"escape", false, "原来的"}}) {
    SCOPED_TRACE(k.how);
    QString text = "原来的";
    bool boxSeen = false;
    WhenModalOpens([&](QWidget* shown) {
      auto* box = qobject_cast<TInputQueryForm*>(shown);
      ASSERT_NE(box, nullptr);
      boxSeen = true;
      const int w = TInputQueryForm::AverageCharWidth(box->font()), h = TInputQueryForm::CharHeight(box->font());
      EXPECT_EQ(box->windowTitle(), "自定义分组");
      EXPECT_EQ(box->width(), 180 * w / 4);
      EXPECT_EQ(box->promptLabel()->geometry().topLeft(), QPoint(8 * w / 4, 8 * h / 8));
      EXPECT_EQ(box->promptLabel()->width(), 164 * w / 4);
      EXPECT_TRUE(box->promptLabel()->wordWrap());
      EXPECT_EQ(box->edit()->y(), box->promptLabel()->geometry().bottom() + 1 + 5);
      EXPECT_EQ(box->edit()->maxLength(), 255);
      EXPECT_EQ(box->edit()->selectedText(), "原来的");
      EXPECT_EQ(box->okButton()->text(), "确定");
      EXPECT_EQ(box->cancelButton()->text(), "取消");
      EXPECT_TRUE(box->okButton()->isDefault());
      EXPECT_EQ(box->okButton()->geometry(), QRect(38 * w / 4, box->edit()->geometry().bottom() + 1 + 15, 50 * w / 4, 14 * h / 8));
      EXPECT_EQ(box->cancelButton()->x(), 92 * w / 4);
      EXPECT_EQ(box->height(), box->okButton()->geometry().bottom() + 1 + 13);
      box->edit()->setText("新的");
      if (std::string(k.how) == "ok") box->okButton()->click();
      else if (std::string(k.how) == "cancel") box->cancelButton()->click();
      else QTest::keyClick(box->edit(), Qt::Key_Escape);
    });
    EXPECT_EQ(InputQueryBox("自定义分组", "输入本种分组方式的名称", text), k.accepted);
    EXPECT_TRUE(boxSeen);
    EXPECT_EQ(text, k.text);
  }
}

TEST_F(GroupDialogsTest, MainWindowOpensTheListAndShowsTransferUnderTheUpperLevelOption) {
  for (bool upper : {false, true}) {
    SCOPED_TRACE(upper);
    WriteShowUpperLevelItems(upper);
    TMainForm w(*session, prompts);
    w.FormCreate();
    for (const char* name : {"actGroupExport", "actGroupImport"}) {
      EXPECT_EQ(UpperLevelItemShown(name, session->Edition(), upper), upper) << name;
      QToolButton* item = nullptr;
      for (int g = 0; g < w.groupBar()->groupCount(); ++g)
        for (QToolButton* b : w.groupBar()->items(g))
          if (b->defaultAction() == w.action(name)) item = b;
      ASSERT_NE(item, nullptr) << name;
      EXPECT_EQ(!item->isHidden(), upper) << name;
      // the menu entry goes with the item: a hidden action cannot be triggered
      EXPECT_EQ(w.action(name)->isEnabled(), upper) << name;
    }
    bool listSeen = false;
    WhenModalOpens([&](QWidget* shown) {
      listSeen = qobject_cast<TdlgGroupListForm*>(shown) != nullptr;
      shown->close();
    });
    w.action("actGroup")->trigger();
    EXPECT_TRUE(listSeen);
  }
  // From the action the name is asked in the input box itself; an empty OK asks again.
  {
    TMainForm w(*session, prompts);
    w.FormCreate();
    QStringList asked;
    bool itemsSeen = false;
    WhenModalOpens([&](QWidget* shown) {
      auto* list = qobject_cast<TdlgGroupListForm*>(shown);
      ASSERT_NE(list, nullptr);
      std::function<void(QWidget*)> answer = [&](QWidget* modal) {
        if (auto* box = qobject_cast<TInputQueryForm*>(modal)) {
          asked << box->windowTitle();
          EXPECT_EQ(box->parentWidget(), list);
          box->edit()->setText(asked.size() == 1 ? "" : "行业's");
          // The next box may reuse this one's address: the next answer excludes no window.
          WhenModalOpens(answer);
          box->okButton()->click();
        } else if (auto* items = qobject_cast<TdlgGroupItemForm*>(modal)) {
          EXPECT_EQ(items->GroupName()->text(), "行业's");
          itemsSeen = true;
          items->tbReturn()->click();
        } else if (modal) {
          modal->close();
        }
      };
      WhenModalOpens(answer, list);
      list->tbAdd()->click();
      EXPECT_EQ(list->DBGrid1()->rowCount(), 1);
      list->btnReturn()->click();
    });
    w.action("actGroup")->trigger();
    EXPECT_EQ(asked, QStringList({"自定义分组", "自定义分组"}));
    EXPECT_TRUE(itemsSeen);
    EXPECT_EQ(groups::ListGroups(c()).at(0).name, "行业's");
  }
  // The export action reads the default database and writes where the user says.
  prompts = {};
  prompts.fileAnswers.push_back((dir / "g").string());
  TMainForm w(*session, prompts);
  w.FormCreate();
  w.action("actGroupExport")->trigger();
  EXPECT_EQ(prompts.lastMessage(), groups::ExportedText((dir / "g.mdb").string()));
  prompts.fileAnswers.push_back((dir / "g.mdb").string());
  w.action("actGroupImport")->trigger();
  EXPECT_EQ(prompts.lastMessage(), groups::kImportDoneText);
}

}  // namespace
}  // namespace velmora::gui
