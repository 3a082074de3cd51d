// The entry form typed through by keyboard: field movement within and across pages, the formal
// save from the last field, the page checks of a page change, the plausibility prompts, the
// logic check button, stepping through the records and the notes panel.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <algorithm>

#include "core/catalogue/field_catalogue.h"
#include "core/entry/enabling_rules.h"
#include "core/entry/field_groups.h"
#include "core/records/generator.h"
#include "core/settings/settings_store.h"
#include "gui/entry/message_list_win.h"
#include "gui/entry/bound_records.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_data_form.h"
#include "gui/widgets/valid_edit.h"
#include "gui/records/record_grid.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "gui/entry_fixture.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;

class EntryNavigationTest : public EntryFormFixture {
 protected:
  // Modifying the record in row `row`, as stored.
  void showRecord(int row) {
    grid->setCurrentRow(row);
    form->IsNew = false;
    form->FormShow();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    prompts.messages.clear();
  }
  // The same, reporting (c912 1) as a private company (every page open), with amounts that ask
  // no plausibility question.
  void openRecord(int row = 0) {
    showRecord(row);
    entry::EntryForm image = form->image();
    form->applyEffects(entry::ApplyReportingState(form->context(), image, 1));
    image = form->image();
    form->applyEffects(entry::ApplyUnitCategory(form->context(), image, 170));
    set("b003", "10");
    set("b004", "5");
    set("b005", "5000");
    set("b006", "2000");
    set("z002", "100");
    set("b029", "300");
    prompts.messages.clear();
  }
  void set(const char* field, const QString& plain) { form->numericBox(field)->setPlain(plain); }
  // Every indicator 0 but the few that make a record pass every rule.
  void makeClean() {
    for (const std::string& name : entry::IndicatorFields()) set(name.c_str(), "0");
    form->cover()->c904->setPlain("1");
    for (auto [field, value] : {std::pair{"z001", "1"}, {"z002", "10"}, {"z006", "10"}, {"z010", "1"},
                                {"z012", "1"}, {"z015", "1"}})
      set(field, value);
  }
  void focusOn(const char* name) {
    QWidget* w = form->control(name);
    for (int page = 0; page < form->DataPage()->count(); ++page)
      if (form->DataPage()->widget(page)->isAncestorOf(w)) form->DataPage()->setCurrentIndex(page);
    w->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), w) << name;
  }
  void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, key, modifiers);
  }
  QString focused() const {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QString("(none)");
  }
  std::vector<int> listedPages() const {
    std::vector<int> pages;
    TMessageListWinForm* list = form->MessageListWin();
    for (int row = 0; row < list->entryCount(); ++row)
      pages.push_back(list->Grid()->item(row, TMessageListWinForm::ColPage)->text().toInt());
    return pages;
  }
  std::string code() const { return form->cover()->c901->plainText().toStdString(); }

};

TEST_F(EntryNavigationTest, KeysMoveFromFieldToFieldWithoutCheckingThePage) {
  openRecord();
  struct Case {
    const char* from;
    Qt::Key key;
    const char* to;
  } cases[] = {
      {"c901", Qt::Key_Return, "c902"}, {"c903", Qt::Key_Down, "c904"}, {"c904", Qt::Key_Up, "c903"},
      {"z002", Qt::Key_Enter, "z003"},  {"z003", Qt::Key_Up, "z002"},   {"b004", Qt::Key_Return, "b005"},
      {"b005", Qt::Key_Return, "b006"}, {"b006", Qt::Key_Down, "b007"}, {"b006", Qt::Key_Up, "b005"},
      {"b005", Qt::Key_Up, "b004"},     {"w001", Qt::Key_Return, "w002"}, {"w002", Qt::Key_Up, "w001"},
      {"w003", Qt::Key_Down, "w004"},   {"w001", Qt::Key_Up, "w001"},  // w001 has no upper neighbour
      {"s001", Qt::Key_Up, "w004"},
  };
  // A field-to-field step leaves the error list as it was: no rule was evaluated.
  form->MessageListWin()->ClearEntries();
  form->MessageListWin()->AddEntry("marker", "marker", "z001", 1);
  for (const Case& c : cases) {
    focusOn(c.from);
    press(c.key);
    EXPECT_EQ(focused(), c.to) << c.from << " key " << c.key;
    EXPECT_EQ(form->MessageListWin()->entryCount(), 1) << c.from;
  }

  // A closed field is passed over.
  form->numericBox("z004")->setEnabled(false);
  focusOn("z003");
  press(Qt::Key_Down);
  EXPECT_EQ(focused(), "z005");
}

TEST_F(EntryNavigationTest, MovementCrossesPagesAndWrapsFromTheCoverToTheLastPage) {
  openRecord();
  struct Case {
    const char* from;
    Qt::Key key;
    int page;
    const char* to;
  } cases[] = {
      {"c901", Qt::Key_Up, 7, "s004"},      // the cover's first field: the last field of page 7
      {"z024", Qt::Key_Return, 2, "b001"},  // past a page's last field: the next page's first
      {"b001", Qt::Key_Up, 1, "z024"},
      {"w001", Qt::Key_Down, 7, "w002"},
      {"c911", Qt::Key_Return, 1, "z002"},  // z001 is closed for a single union (c904 1)
  };
  form->cover()->c904->setPlain("1");
  for (const Case& c : cases) {
    focusOn(c.from);
    press(c.key);
    EXPECT_EQ(form->DataPage()->currentIndex(), c.page) << c.from;
    EXPECT_EQ(focused(), c.to) << c.from;
  }
}

TEST_F(EntryNavigationTest, EnterOnTheCoversLastFieldMovesOnOnlyWhenTheCoverPasses) {
  struct Case {
    const char* name;  // c902
    int page;
    const char* message;
    const char* focus;
  } cases[] = {{"", 0, "必须输入基层工会名称", "c902"}, {"某某公司工会", 1, "", "z002"}};
  for (const Case& c : cases) {
    openRecord();
    form->cover()->c904->setPlain("1");
    form->cover()->c902->setText(c.name);
    focusOn("c911");
    press(Qt::Key_Return);
    EXPECT_EQ(form->DataPage()->currentIndex(), c.page) << c.name;
    EXPECT_EQ(prompts.lastMessage(), c.message) << c.name;
    EXPECT_EQ(focused(), c.focus) << c.name;
  }
}

TEST_F(EntryNavigationTest, EnterOnTheLastFieldSavesFormallyWithTheChecksOfEveryPage) {
  struct Case {
    const char* z003;  // women among 10 employees: 20 breaks a rule of page 1
    const char* message;
    const char* state;
  } cases[] = {{"20", "数据保存成功，有逻辑错误！", "2"}, {"0", "数据保存成功，没有逻辑错误！", "1"}};
  for (const Case& c : cases) {
    openRecord(3);
    makeClean();
    set("z003", c.z003);
    focusOn("s004");
    press(Qt::Key_Return);
    EXPECT_EQ(prompts.lastMessage(), c.message) << c.z003;
    EXPECT_EQ(sql("select RecordState from dt_data where c901=" + code()), c.state);
    EXPECT_EQ(sql("select z003 from dt_data where c901=" + code()), c.z003);
    if (std::string(c.state) == "2") {
      EXPECT_TRUE(form->MessageListWin()->isVisible());
      EXPECT_EQ(listedPages().front(), 1);
    }
    form->MessageListWin()->ClearEntries();
  }
}

TEST_F(EntryNavigationTest, APageChangeListsTheNewPageFirstThenThePageLeft) {
  openRecord(2);
  makeClean();
  set("h001", "1");  // page 3: h002 above h001
  set("h002", "5");
  set("f007", "3");  // page 5: f007 above f006
  ASSERT_TRUE(form->setActivePage(3));
  EXPECT_TRUE(listedPages().empty());  // entering a page from the cover checks nothing
  ASSERT_TRUE(form->setActivePage(5));
  std::vector<int> pages = listedPages();
  ASSERT_GE(pages.size(), 2u);
  EXPECT_EQ(pages.front(), 5);
  EXPECT_EQ(pages.back(), 3);
  EXPECT_TRUE(std::is_sorted(pages.rbegin(), pages.rend())) << "page 5 entries first";
  EXPECT_TRUE(form->MessageListWin()->isVisible());
  EXPECT_EQ(focused(), "f001");

  // Back to the cover: only the page left.
  for (int page : {3, 5}) {
    ASSERT_TRUE(form->setActivePage(page));
    ASSERT_TRUE(form->setActivePage(0));
    pages = listedPages();
    ASSERT_FALSE(pages.empty()) << page;
    EXPECT_EQ(std::count(pages.begin(), pages.end(), page), static_cast<long>(pages.size())) << page;
  }

  // A record that reports nothing changes pages without checks.
  entry::EntryForm image = form->image();
  form->applyEffects(entry::ApplyReportingState(form->context(), image, 3));
  ASSERT_TRUE(form->setActivePage(5));
  EXPECT_EQ(form->MessageListWin()->entryCount(), 0);
}

TEST_F(EntryNavigationTest, EnteringThePageFromTheCoverChecksOnlyWhenTheErrorListLeads) {
  openRecord(2);
  makeClean();
  set("f007", "3");
  ASSERT_TRUE(form->setActivePage(5));
  EXPECT_EQ(form->MessageListWin()->entryCount(), 0);
  ASSERT_TRUE(form->setActivePage(0));
  form->MessageListWin()->ClearEntries();
  form->MessageListWin()->AddEntry("f007 <= f006", "", "f007", 5);
  form->MessageListWin()->GridDblClick(0);
  EXPECT_EQ(form->DataPage()->currentIndex(), 5);
  EXPECT_EQ(focused(), "f007");
  EXPECT_EQ(listedPages(), std::vector<int>(listedPages().size(), 5));
  EXPECT_GT(form->MessageListWin()->entryCount(), 0);
}

TEST_F(EntryNavigationTest, PlausibilityPromptsAskAtTheirThresholds) {
  struct Case {
    const char* field;  // left with Enter
    const char* amount;
    const char* amountValue;
    const char* count;
    const char* countValue;
    bool asks;
  } cases[] = {
      {"b005", "b005", "999999999999", "b003", "0", false},  // no employees: never asked
      {"b005", "b005", "20000000", "b003", "2", true},       // exactly ten million each
      {"b005", "b005", "19999999.99", "b003", "2", false},
      {"b006", "b006", "30000000", "b004", "3", true},
      {"b006", "b006", "30000000", "b004", "0", false},
      {"b029", "b029", "2000", "z002", "100", false},  // 200 000 yuan each is not above the limit
      {"b029", "b029", "2000.5", "z002", "100", true},
      {"z002", "b029", "2000.5", "z002", "100", true},
      {"z002", "b029", "2000.5", "z002", "0", false},
  };
  for (const Case& c : cases) {
    openRecord();
    set(c.amount, c.amountValue);
    set(c.count, c.countValue);
    prompts.okCancelAnswers = {true};
    focusOn(c.field);
    press(Qt::Key_Return);
    EXPECT_EQ(prompts.okCancelTitles.size(), c.asks ? 1u : 0u) << c.field << " " << c.amountValue;
    if (c.asks) {
      EXPECT_EQ(prompts.okCancelTitles.back(), "提示：");
      EXPECT_NE(focused(), c.field);  // OK keeps the amount and moves on
    }
    prompts.okCancelTitles.clear();
  }
}

TEST_F(EntryNavigationTest, CancelOnAPlausibilityPromptReturnsToTheField) {
  const char* const kWageMessage =
      "指标b029的单位为万元，本年度人均工资总额超过20万，是否属实?如果属实请点【确定】继续，否则请点【取消】修改";
  struct Case {
    const char* field;
    const char* amount;
    const char* amountValue;
    int page;
    const char* message;
  } cases[] = {
      {"b005", "b005", "200000000", 2, "职工人均金额超过一千万，是否属实?如果属实请点【确定】继续，否则请点【取消】修改"},
      {"b006", "b006", "100000000", 2, "农民工人均金额超过一千万，是否属实?如果属实请点【确定】继续，否则请点【取消】修改"},
      {"b029", "b029", "5000", 2, kWageMessage},  // the last field of page 2: the page stays too
      {"z002", "b029", "5000", 1, kWageMessage},  // z002 is on page 1
  };
  for (const Case& c : cases) {
    openRecord();
    set(c.amount, c.amountValue);
    focusOn(c.field);
    prompts.okCancelAnswers = {false};
    press(Qt::Key_Return);
    EXPECT_EQ(prompts.lastMessage(), c.message) << c.field;
    EXPECT_EQ(form->DataPage()->currentIndex(), c.page) << c.field;
    EXPECT_EQ(focused(), c.field);

    // Figures confirmed with OK are not asked about again; changed figures are.
    prompts.okCancelAnswers = {true};
    press(Qt::Key_Return);
    EXPECT_NE(focused(), c.field);
    focusOn(c.field);
    press(Qt::Key_Return);
    EXPECT_EQ(prompts.okCancelTitles.size(), 2u) << c.field;
    set(c.amount, QString(c.amountValue) + "0");
    prompts.okCancelAnswers = {true};
    focusOn(c.field);
    press(Qt::Key_Return);
    EXPECT_EQ(prompts.okCancelTitles.size(), 3u) << c.field;
    prompts.okCancelTitles.clear();
  }
}

TEST_F(EntryNavigationTest, LogicCheckButtonReportsACleanRecordOrListsItsErrors) {
  openRecord(1);
  makeClean();
  form->button("tbCheck")->click();
  EXPECT_EQ(prompts.lastMessage(), "没有逻辑错误");
  EXPECT_FALSE(form->MessageListWin()->isVisible());

  set("z003", "20");
  prompts.messages.clear();
  form->DataPage()->setCurrentIndex(2);
  form->button("tbCheck")->click();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(form->MessageListWin()->isVisible());
  EXPECT_EQ(listedPages().front(), 1);
  EXPECT_EQ(focused(), "b001");  // the first field of the page in view
}

TEST_F(EntryNavigationTest, SteppingThroughRecordsAsksTheCloseQuestionFirst) {
  struct Case {
    const char* action;
    Answer answer;
    int position;  // afterwards, starting at 2 of 12
    bool stored;
  } cases[] = {
      {"actNext", Answer::Yes, 3, true},  {"actPrev", Answer::No, 1, false},
      {"actLast", Answer::Cancel, 2, false}, {"actFirst", Answer::Yes, 1, true},
  };
  int round = 0;
  for (const Case& c : cases) {
    showRecord(1);
    const std::string before = code();
    const std::string storedName = sql("select c902 from dt_data where c901=" + before);
    const QString changed = QString("改过的名称%1").arg(++round);
    form->cover()->c902->setText(changed);
    prompts.askAnswers = {c.answer};
    form->navAction(c.action)->trigger();
    ASSERT_FALSE(prompts.messages.empty()) << c.action;
    EXPECT_EQ(prompts.messages.front(), "对数据改动后尚未保存，准备保存这些改动吗？") << c.action;
    EXPECT_EQ(records->position(), c.position) << c.action;
    EXPECT_EQ(form->ItemNo()->text(), QString("第%1条/共12条").arg(c.position)) << c.action;
    EXPECT_EQ(sql("select c902 from dt_data where c901=" + before), c.stored ? changed.toStdString() : storedName);
    if (c.answer == Answer::Cancel) {
      EXPECT_EQ(form->cover()->c902->text(), changed);
    }
  }

  // Unchanged records step without a question; the ends close their two actions.
  showRecord(0);
  EXPECT_FALSE(form->navAction("actFirst")->isEnabled());
  EXPECT_FALSE(form->navAction("actPrev")->isEnabled());
  form->navAction("actLast")->trigger();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(form->ItemNo()->text(), "第12条/共12条");
  EXPECT_FALSE(form->navAction("actNext")->isEnabled());
  EXPECT_FALSE(form->navAction("actLast")->isEnabled());
  EXPECT_TRUE(form->navAction("actPrev")->isEnabled());
}

TEST_F(EntryNavigationTest, CtrlSInAFieldSavesTemporarily) {
  openRecord();
  set("z010", "1");
  focusOn("z010");
  press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(prompts.lastMessage(), "数据已经被临时保存。");
  EXPECT_EQ(sql("select RecordState from dt_data where c901=" + code()), "0");
}

TEST_F(EntryNavigationTest, NotesFollowThePageAndAMissingFileLeavesThePanelEmpty) {
  openRecord();
  EXPECT_TRUE(form->rtfNotes()->toPlainText().contains("封面")) << form->NotesFolder.toStdString();
  ASSERT_TRUE(form->setActivePage(2));
  EXPECT_TRUE(form->rtfNotes()->toPlainText().contains("工会保障工作"));
  form->DataPage()->setCurrentIndex(7);  // however the page came into view
  EXPECT_TRUE(form->rtfNotes()->toPlainText().contains("工会财务和经审工作"));

  TempDir empty;
  velmora::testing::WriteFileBytes(empty / "TableNotesVM-01.rtf", "not rich text at all");
  form->NotesFolder = QString::fromStdString(empty.path().string()) + "/";
  for (int page : {0, 1}) {
    form->LoadNotes(page);
    EXPECT_TRUE(form->rtfNotes()->toPlainText().isEmpty()) << page;
  }
}

TEST_F(EntryNavigationTest, InputMethodsAreOnOnlyInTheChineseTextFields) {
  openRecord();
  for (const char* name : {"c902", "c910", "c911"})
    EXPECT_TRUE(form->control(name)->testAttribute(Qt::WA_InputMethodEnabled)) << name;
  for (const char* name : {"c901", "c903", "C907", "z002", "b005", "s004"})
    EXPECT_FALSE(form->control(name)->testAttribute(Qt::WA_InputMethodEnabled)) << name;
}

}  // namespace
}  // namespace velmora::gui
