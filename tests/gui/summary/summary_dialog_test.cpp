// The summary dialog as the program shows it (exec(), driven from a timer): the worksheet list and
// its file, the classification with the group button and its menu, and runs that hand a workbook
// over or say why there is none; the comparison with last year.
#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/groups/groups.h"
#include "core/office/template_workbook.h"
#include "core/session/session.h"
#include "core/settings/settings.h"
#include "core/summary/sum_columns.h"
#include "core/summary/sum_table_list.h"
#include "core/summary/summary_compare.h"
#include "core/summary/summary_workbook.h"
#include "gui/widgets/progress_bar_2line_form.h"
#include "gui/summary/sum_form.h"
#include "gui/summary/summary_actions.h"
#include "support/database.h"
#include "support/modal_dialogs.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;
using velmora::testing::ScriptedPrompts;
using velmora::testing::WhenModalOpens;

class SumFormTest : public ::testing::Test {
 protected:
  SumFormTest() {
    const fs::path program = dir / "program";
    fs::create_directories(program);
    fs::create_directories(dir / "docs");
    for (const char* name : {"2012Velmora.mdb", summary::kSummaryTemplateName, summary::kSumTableFileName})
      fs::copy_file(velmora::testing::ProgramDir() / name, program / name);
    file = dir.copyOfShipped("work.mdb");
    session = std::make_unique<session::DatabaseSession>(program.string(), prompts);
    session->setPersonalFolder((dir / "docs").string());
    EXPECT_TRUE(session->OpenDatabase(file.string()));
  }
  std::string settingsFolder() const { return (dir / "settings").string(); }
  std::unique_ptr<TdlgSumForm> Open() {
    auto form = std::make_unique<TdlgSumForm>(*session, prompts, settingsFolder());
    EXPECT_TRUE(form->Load());
    return form;
  }
  static std::vector<int> Checked(const TdlgSumForm& form) {
    std::vector<int> rows;
    for (int r = 0; r < form.TableList()->count(); ++r) {
      const QListWidgetItem* item = form.TableList()->item(r);
      if ((item->flags() & Qt::ItemIsUserCheckable) && item->checkState() == Qt::Checked) rows.push_back(r);
    }
    return rows;
  }
  static void TickOnly(TdlgSumForm& form, std::vector<int> rows) {
    form.Button2()->click();
    for (int r : rows) form.TableList()->item(r)->setCheckState(Qt::Checked);
  }
  std::vector<fs::path> Documents() const {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir / "docs")) out.push_back(e.path());
    return out;
  }
  // Clicks tbSum inside the dialog's own exec(), then closes it.
  void RunInside(TdlgSumForm& form) {
    bool appeared = false;
    WhenModalOpens([&](QWidget* shown) {
      appeared = shown == &form;
      form.tbSum()->click();
      form.tbReturn()->click();
    });
    form.exec();
    EXPECT_TRUE(appeared);
  }

  settings::MemorySettingsStore store;
  settings::ScopedStore scoped{store};
  velmora::testing::TempDir dir;
  fs::path file;
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
};

TEST_F(SumFormTest, ListShowsHeadingsAndTheGroupChoiceFollowsTheGroups) {
  auto form = Open();
  EXPECT_EQ(form->windowTitle(), "数据分类汇总");
  QListWidget* list = form->TableList();
  ASSERT_EQ(list->count(), 28);
  int headings = 0;
  for (int r = 0; r < list->count(); ++r) {
    QListWidgetItem* item = list->item(r);
    const bool heading = item->text().startsWith("//");
    EXPECT_EQ(heading, !(item->flags() & Qt::ItemIsUserCheckable)) << r;
    if (heading) {
      ++headings;
      EXPECT_TRUE(item->font().bold());
      EXPECT_EQ(item->foreground().color(), QColor(Qt::blue));
    } else {
      EXPECT_EQ(item->checkState(), Qt::Checked);
    }
  }
  EXPECT_EQ(headings, 8);
  EXPECT_EQ(form->SumType()->checkedId(), 0);
  EXPECT_FALSE(form->tbGroup()->isEnabled());
  EXPECT_FALSE(form->SumTypeItem(5)->isEnabled());

  db::Connection& c = session->SysADOConnection();
  const std::int64_t full = groups::AddGroup(c, "有项目");
  groups::AddItem(c, full, {"甲", 110000000000, 120000000000, ">=", "<"});
  const std::int64_t empty = groups::AddGroup(c, "空组");
  const std::int64_t second = groups::AddGroup(c, "第二组");
  groups::AddItem(c, second, {"乙", 1, 2, ">=", "<"});
  form = Open();
  EXPECT_TRUE(form->tbGroup()->isEnabled());
  EXPECT_TRUE(form->SumTypeItem(5)->isEnabled());
  EXPECT_EQ(form->tbGroup()->text(), "有项目");
  EXPECT_EQ(form->groupTag(), full);
  const QList<QAction*> entries = form->GroupMenu()->actions();
  ASSERT_EQ(entries.size(), 3);
  EXPECT_EQ(entries[1]->text(), "空组");
  EXPECT_EQ(entries[1]->data().toLongLong(), empty);
  EXPECT_FALSE(entries[1]->isEnabled());
  EXPECT_TRUE(entries[2]->isEnabled());

  entries[2]->trigger();
  EXPECT_EQ(form->groupTag(), second);
  EXPECT_EQ(form->tbGroup()->text(), "第二组");
  EXPECT_EQ(form->SumType()->checkedId(), 5);
  form->SumTypeItem(1)->setChecked(true);
  form->tbGroup()->click();
  EXPECT_EQ(form->SumType()->checkedId(), 5);
}

TEST_F(SumFormTest, TicksFollowTheButtonsAndHeadingsAndSurviveReopening) {
  auto form = Open();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->Button2()->click();
  EXPECT_TRUE(Checked(*form).empty());
  QListWidget* list = form->TableList();
  // A double-click on "//表二 ..." ticks its four worksheets and nothing else; one on a worksheet
  // entry ticks nothing more.
  QListWidgetItem* heading = list->item(5);
  ASSERT_EQ(heading->text(), "//表二 工会保障工作");
  const QPoint at = list->visualItemRect(heading).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(Checked(*form), (std::vector<int>{6, 7, 8, 9}));
  emit list->itemDoubleClicked(list->item(2));
  EXPECT_EQ(Checked(*form), (std::vector<int>{6, 7, 8, 9}));
  form->Button1()->click();
  EXPECT_EQ(Checked(*form).size(), 20u);
  form->hide();

  TickOnly(*form, {0, 7, 27});
  bool appeared = false;
  WhenModalOpens([&](QWidget* shown) {
    appeared = shown == form.get();
    form->tbReturn()->click();
  });
  form->exec();
  EXPECT_TRUE(appeared);
  const auto reopened = Open();
  EXPECT_EQ(Checked(*reopened), (std::vector<int>{0, 7, 27}));
  const std::string bytes = velmora::testing::ReadFileBytes(dir / "program" / summary::kSumTableFileName);
  EXPECT_EQ(bytes.substr(0, 10), "&1 1 \xb7\xe2\xc3\xe6\r");  // GBK, CR LF
  EXPECT_NE(bytes.find("\n&0 1 //"), std::string::npos);
}

TEST_F(SumFormTest, RunHandsOverTheWorkbookOfTheTickedSheets) {
  auto form = Open();
  TickOnly(*form, {7});  // 工会保障工作统计表2, worksheet 6
  form->SumTypeItem(2)->setChecked(true);
  RunInside(*form);
  ASSERT_EQ(prompts.openedDocuments.size(), 1u) << prompts.lastMessage();
  const std::vector<fs::path> docs = Documents();
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0].string(), prompts.openedDocuments[0]);
  EXPECT_EQ(docs[0].filename().string().rfind("汇总表-组织类型-", 0), 0u);
  office::TemplateWorkbook book = office::TemplateWorkbook::Open(docs[0].string());
  ASSERT_EQ(book.sheetCount(), 1);
  EXPECT_EQ(book.sheet(1).name(), summary::SheetTitle(6));
  EXPECT_EQ(book.sheet(1).value(2, 1).text, "组织类型");
  EXPECT_FALSE(form->ProgressBar2Line()->isVisible());
}

TEST_F(SumFormTest, RunsWithoutAWorkbookLeaveNoFile) {
  db::Connection& con = session->SysADOConnection();
  const std::int64_t g = groups::AddGroup(con, "坏排序");
  groups::AddItem(con, g, {"甲", 1, 2, ">=", "<"});
  velmora::testing::Exec(con, "update CT_Group set orderstr = 'nosuchcolumn DESC' where id = " + std::to_string(g));
  struct Case {
    const char* what;
    std::vector<int> rows;
    int classification;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"only the cover", {0}, 0, summary::kNothingToSummarise},
      {"a group the engine cannot sort", {2, 3}, 5, "运行中发生错误："},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompts.messages.clear();
    auto form = Open();
    TickOnly(*form, c.rows);
    form->SumTypeItem(c.classification)->setChecked(true);
    RunInside(*form);
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages.back().rfind(c.message, 0), 0u) << prompts.messages.back();
    EXPECT_TRUE(prompts.openedDocuments.empty());
    EXPECT_TRUE(Documents().empty());
  }
}

// Counts the times a window is shown.
class ShowCounter : public QObject {
 public:
  int shown = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    shown += event->type() == QEvent::Show ? 1 : 0;
    return false;
  }
};

TEST_F(SumFormTest, NothingTickedStopsWithoutAWord) {
  auto form = Open();
  TickOnly(*form, {});
  prompts.messages.clear();
  ShowCounter progress;
  form->ProgressBar2Line()->installEventFilter(&progress);
  bool appeared = false;
  WhenModalOpens([&](QWidget* shown) {
    appeared = shown == form.get();
    form->tbSum()->click();
    EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage();
    EXPECT_TRUE(form->tbSum()->isEnabled());
    EXPECT_TRUE(form->isVisible()) << "the dialog stays open for the ticks";
    form->tbReturn()->click();
  });
  form->exec();
  EXPECT_TRUE(appeared);
  EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage();
  EXPECT_EQ(progress.shown, 0) << "no progress window for nothing";
  EXPECT_TRUE(prompts.openedDocuments.empty());
  EXPECT_TRUE(Documents().empty());
}

TEST_F(SumFormTest, MissingListFileKeepsTheDialogClosed) {
  fs::remove(dir / "program" / summary::kSumTableFileName);
  ActionContext context{.session = *session, .prompts = prompts};
  RunSumAction(context);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].find("sumtable.vm"), std::string::npos);
  EXPECT_EQ(prompts.last().kind, MessageKind::Error);
}

}  // namespace
}  // namespace velmora::gui

namespace velmora::gui {
namespace {

// The comparison with last year from the dialog: one unit this year in the open database and last
// year in a file chosen with the button, or in the previous-year table.
class SumCompareTest : public SumFormTest {
 protected:
  SumCompareTest() {
    velmora::testing::Exec(session->SysADOConnection(),
                           "insert into dt_data(c901, c904, c905, c912, z001, z002) values (100000000001, 1, 1, 1, 5, 10)");
    last = dir.copyOfShipped("last.mdb");
    velmora::testing::Exec(last, "insert into dt_data(c901, c904, c905, c912, z001, z002) values (100000000001, 1, 1, 1, 4, 10)");
  }
  // The one comparison workbook handed over, opened.
  office::TemplateWorkbook Handed() {
    EXPECT_EQ(prompts.openedDocuments.size(), 1u) << prompts.lastMessage();
    const std::vector<fs::path> docs = Documents();
    EXPECT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs.at(0).filename().string().rfind("汇总对比表-所在行业-", 0), 0u) << docs.at(0);
    return office::TemplateWorkbook::Open(docs.at(0).string());
  }
  fs::path last;
};

TEST_F(SumCompareTest, TheOptionWithAChosenFileHandsOverTheComparisonWorkbook) {
  auto form = Open();
  EXPECT_FALSE(form->cbCompare()->isChecked());
  EXPECT_FALSE(form->btReference()->isEnabled());
  EXPECT_FALSE(form->rbPreviousYear()->isEnabled());  // the previous-year table is empty
  EXPECT_EQ(form->seThreshold()->value(), 20);
  TickOnly(*form, {2});  // worksheet 2
  form->cbCompare()->setChecked(true);
  ASSERT_TRUE(form->btReference()->isEnabled());
  EXPECT_FALSE(form->rbPreviousYear()->isEnabled());
  prompts.fileAnswers.push_back(last.string());
  form->btReference()->click();
  EXPECT_EQ(form->edReference()->text().toStdString(), last.string());
  RunInside(*form);
  office::TemplateWorkbook book = Handed();
  ASSERT_EQ(book.sheetCount(), 1);
  office::TemplateSheet& sheet = book.sheet(1);
  EXPECT_EQ(sheet.name(), summary::SheetTitle(2));
  EXPECT_EQ(sheet.value(9, 1).text, "农业（本年）");
  EXPECT_EQ(sheet.value(10, 1).text, "农业（上年）");
  EXPECT_EQ(sheet.value(11, 1).text, "农业（增减%）");
  EXPECT_EQ(sheet.value(9, 5), office::CellValue::Number(5));   // z001
  EXPECT_EQ(sheet.value(10, 5), office::CellValue::Number(4));
  EXPECT_EQ(sheet.value(11, 5), office::CellValue::Number(25));
  EXPECT_EQ(sheet.value(11, 6), office::CellValue::Number(0));  // z002 unchanged
  EXPECT_FALSE(form->ProgressBar2Line()->isVisible());
}

TEST_F(SumCompareTest, ThePreviousYearTableIsOfferedWhileItHoldsRecords) {
  velmora::testing::Exec(session->SysADOConnection(),
                         "insert into dt_data_2010(c901, c904, c905, z001, z002) values (100000000001, 1, 1, 2, 10)");
  auto form = Open();
  TickOnly(*form, {2});
  form->cbCompare()->setChecked(true);
  EXPECT_TRUE(form->rbPreviousYear()->isEnabled());
  EXPECT_TRUE(form->rbPreviousYear()->isChecked());
  EXPECT_FALSE(form->btReference()->isEnabled());
  RunInside(*form);
  office::TemplateWorkbook book = Handed();
  EXPECT_EQ(book.sheet(1).value(10, 5), office::CellValue::Number(2));
  EXPECT_EQ(book.sheet(1).value(11, 5), office::CellValue::Number(150));
}

TEST_F(SumCompareTest, WithoutAFileOrWithAFileOfNoRecordTableNothingIsHandedOver) {
  const fs::path none = dir.copyOfShipped("none.mdb");
  velmora::testing::Exec(none, "drop table dt_data");
  struct Case {
    const char* what;
    std::string file;
    std::string message;  // how the last message starts
  } cases[] = {
      {"no file chosen", "", "请先选择上年的数据文件"},
      {"a file without dt_data", none.string(), summary::kNoReferenceTableText},
      {"the open database itself", file.string(), "文件“"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompts.messages.clear();
    auto form = Open();
    TickOnly(*form, {2});
    form->cbCompare()->setChecked(true);
    form->edReference()->setText(QString::fromStdString(c.file));
    RunInside(*form);
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages.back().rfind(c.message, 0), 0u) << prompts.messages.back();
    EXPECT_TRUE(prompts.openedDocuments.empty());
    EXPECT_TRUE(Documents().empty());
  }
}

TEST_F(SumCompareTest, TheThresholdIsRemembered) {
  {
    auto form = Open();
    form->seThreshold()->setValue(30);
    form->done(QDialog::Rejected);
  }
  auto form = Open();
  EXPECT_EQ(form->seThreshold()->value(), 30);
}

}  // namespace
}  // namespace velmora::gui
