// The upper-level office's record actions of the main window: the record-by-record import with its
// question per failing record, the year migration and the tidy, all shown under the option
// "显示上级单位功能".
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <filesystem>
#include <memory>

#include "core/exchange/record_import.h"
#include "core/exchange/year_migration.h"
#include "core/settings/settings.h"
#include "gui/app/main_window.h"
#include "gui/app/upper_level_items.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/group_bar.h"
#include "gui/widgets/qt_prompts.h"
#include "support/database.h"
#include "support/modal_dialogs.h"
#include "gui/window_fixture.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;
using velmora::testing::WhenModalOpens;

class RecordActionsTest : public WindowFixture {
 protected:
  // The upper office holds the unit's third record under another name.
  double takeThirdCode() {
    const double code =
        velmora::testing::Scalar(unit.file, "SELECT c901 FROM dt_data ORDER BY rowid LIMIT 1 OFFSET 2").toDouble();
    upper.exec("insert into dt_data(c901,c902,c912,RecordState) values(" + db::FormatNumber(code) + ",'已有的单位工会',1,1)");
    return code;
  }
};

TEST_F(RecordActionsTest, TheItemsShowOnlyUnderTheUpperLevelOption) {
  struct Case {
    const char* caption;
    const char* name;
  } cases[] = {{"逐条导入", "actImport"}, {"10年导11年", "itemMigrate"}, {"数据整理", "itemTidy"}};
  for (bool option : {false, true}) {
    WriteShowUpperLevelItems(option);
    auto w = window(upper);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (option ? " shown" : " hidden"));
      QToolButton* b = barItem(*w, c.caption);
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(!b->isHidden(), option);
      EXPECT_EQ(UpperLevelItemShown(c.name, upper.session->Edition(), option), option);
      if (option) {
        EXPECT_TRUE(w->action(c.name)->isEnabled());
      }
    }
    EXPECT_EQ(w->action("actImport")->isVisible(), option);  // its menu entry as well
  }
}

TEST_F(RecordActionsTest, ImportAnswersThePerRecordQuestionAndTheListFollows) {
  takeThirdCode();
  auto w = window(upper);
  RecordGrid* grid = w->recordGrid();
  ASSERT_EQ(grid->recordCount(), 1);
  struct Case {
    const char* name;
    bool principle, answer;
    int records;
  } cases[] = {{"give everything up", false, true, 1}, {"skip, No", true, false, 1}, {"skip, Yes", true, true, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings::ImportPrincipleFlag = c.principle;
    upper.prompts = {};
    upper.prompts.fileAnswers.push_back(unit.file.string());
    upper.prompts.confirmAnswers.push_back(c.answer);
    w->action("actImport")->trigger();
    ASSERT_FALSE(upper.prompts.shown.empty());
    // Giving everything up leaves nothing to answer: a message with one button.
    EXPECT_EQ(upper.prompts.shown[0].type,
              c.principle ? velmora::testing::PromptType::Confirm : velmora::testing::PromptType::Message);
    EXPECT_NE(upper.prompts.shown[0].text.find("已有的单位工会"), std::string::npos);
    EXPECT_EQ(upper.count(), c.records);
    EXPECT_EQ(grid->recordCount(), c.records);
  }
  EXPECT_EQ(upper.prompts.lastMessage(), exchange::kRecordImportDone);
  settings::ImportPrincipleFlag = false;
}

TEST_F(RecordActionsTest, TheQuestionIsAYesNoBoxWithNoAsItsDefault) {
  takeThirdCode();
  QtPrompts prompts;
  session::DatabaseSession session(program().string(), prompts);
  session.setPersonalFolder((dir / "docs").string());
  ASSERT_TRUE(session.OpenDatabase(upper.file.string()));
  exchange::RecordImportOptions options;
  options.skipFailing = true;
  QString title, text;
  bool noIsDefault = false;
  WhenModalOpens([&](QWidget* box) {
    auto* message = qobject_cast<QMessageBox*>(box);
    ASSERT_NE(message, nullptr);
    title = message->windowTitle();
    text = message->text();
    noIsDefault = static_cast<QAbstractButton*>(message->defaultButton()) == message->button(QMessageBox::No);
    message->button(QMessageBox::No)->click();
  });
  const exchange::RecordImportResult r = exchange::ImportRecordsFrom(session, prompts, unit.file.string(), "dt_data", options);
  EXPECT_EQ(r.status, exchange::RecordImportStatus::Abandoned);
  EXPECT_EQ(title, QString("提示："));
  EXPECT_TRUE(text.contains("已有的单位工会")) << text.toStdString();
  EXPECT_TRUE(noIsDefault);
  EXPECT_EQ(upper.count(), 1);
}

TEST_F(RecordActionsTest, MigrationAndTidyTellTheUserAndRefreshTheList) {
  upper.exec("insert into dt_data_2010(c901,c902,f004) values(100000000001,'甲',7)");
  upper.exec("insert into dt_data(c901,c902,c912) values(100000000002,'乙',0)");
  auto w = window(upper);
  RecordGrid* grid = w->recordGrid();
  ASSERT_EQ(grid->recordCount(), 1);
  upper.prompts.confirmAnswers.push_back(true);
  w->action("itemMigrate")->trigger();
  EXPECT_EQ(upper.prompts.lastMessage(), exchange::kMigratedText);
  EXPECT_EQ(upper.prompts.messages.end()[-2], exchange::MigrationQuestion(1));
  EXPECT_EQ(grid->recordCount(), 2);
  EXPECT_EQ(upper.count("select f006 from dt_data where c901=100000000001"), 7);
  w->action("itemTidy")->trigger();
  EXPECT_EQ(upper.prompts.lastMessage(), exchange::kTidiedText);
  EXPECT_EQ(upper.count("select count(*) from dt_data where c912=0"), 0);
  // A second migration of the same code fails and says so; the list keeps both records.
  upper.exec("insert into dt_data_2010(c901,c902) values(100000000001,'甲')");
  upper.prompts.confirmAnswers.push_back(true);
  w->action("itemMigrate")->trigger();
  EXPECT_EQ(upper.prompts.lastMessage().rfind("运行中发生错误：", 0), 0u);
  EXPECT_EQ(grid->recordCount(), 2);
  EXPECT_EQ(upper.count("select count(*) from dt_data_2010"), 1);
}

}  // namespace
}  // namespace velmora::gui
