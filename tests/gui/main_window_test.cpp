#include <gtest/gtest.h>

#include <QLabel>

#include "core/db/session.h"
#include "gui/app/main_window.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

TEST(MainWindow, ShowsTheOpenDatabaseInItsTitleAndSummary) {
  velmora::testing::TempDir dir;
  velmora::testing::ScriptedPrompts prompts;
  dir.copyOfShipped();
  db::DatabaseSession session(dir.path().string(), prompts);
  ASSERT_TRUE(session.OpenDatabase(""));
  session.SysADOConnection().execute("insert into dt_data (c901,c902) values (110101000001,'甲工会')");

  TMainForm window(session);
  EXPECT_EQ(window.windowTitle(), QString("Velmora - 默认数据库"));
  QStringList texts;
  for (QLabel* l : window.findChildren<QLabel*>()) texts << l->text();
  EXPECT_TRUE(texts.join("\n").contains("记录数：1"));

  // a new label shows after refresh
  prompts.inputAnswers.push_back(std::string("北京市总工会"));
  ASSERT_TRUE(session.actLabel());
  window.refresh();
  EXPECT_EQ(window.windowTitle(), QString("Velmora - 北京市总工会"));
  EXPECT_TRUE(prompts.messages.size() >= 1);
}

}  // namespace
}  // namespace velmora::gui
