// The code pickers of the cover: the industry-category picker's round trip through C907, the
// division picker's three lists, and the code list of the cached codes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

#include "core/survey/codes.h"
#include "gui/entry/city_name_form.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/entry/cover_page.h"
#include "gui/entry/picker_parts.h"
#include "gui/entry/survey_data_form.h"
#include "gui/entry/union_type_form.h"
#include "gui/widgets/valid_edit.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;

class PickersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.copyOfShipped();
    session = std::make_unique<session::DatabaseSession>(dir.path().string(), prompts);
    ASSERT_TRUE(session->OpenDatabase(""));
  }
  db::Connection& connection() { return session->SysADOConnection(); }
  // Runs `answer` on the picker once its modal loop has started.
  template <typename Picker>
  static void WhenOpen(std::function<void(Picker&)> answer) {
    QTimer::singleShot(0, [answer] {
      auto* picker = qobject_cast<Picker*>(QApplication::activeModalWidget());
      ASSERT_NE(picker, nullptr);
      answer(*picker);
    });
  }

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
};

TEST_F(PickersTest, IndustryCategoryGoesIntoC907AndTheReopenedPickerStartsThere) {
  TdlgSurveyDataForm form(*session, prompts);
  form.show();
  WhenOpen<TUnionTypeForm>([](TUnionTypeForm& picker) {
    // no code yet: the picker starts on A01
    EXPECT_EQ(picker.TypeList1()->currentItem()->data(RoleCode1).toString(), "A");
    EXPECT_EQ(picker.TypeList2()->currentItem()->data(RoleCode2).toInt(), 1);
    picker.tbOK()->click();
  });
  form.OpenUnionTypePicker();
  EXPECT_EQ(form.cover()->C907->text(), "A01");
  EXPECT_EQ(form.cover()->TypeName->rememberedCode(), 101);
  EXPECT_EQ(form.cover()->TypeName->text(), "教育");

  // Choose another section's second category, then cancel a third opening.
  WhenOpen<TUnionTypeForm>([](TUnionTypeForm& picker) {
    EXPECT_EQ(picker.TypeList2()->currentItem()->data(RoleId).toString(), "A01");
    picker.TypeList1()->setCurrentRow(2);
    EXPECT_EQ(picker.TypeList2()->currentItem()->data(RoleCode2).toInt(), 1);
    picker.TypeList2()->setCurrentRow(1);
    picker.tbOK()->click();
  });
  form.OpenUnionTypePicker();
  const QString chosen = form.cover()->C907->text();
  EXPECT_EQ(chosen.size(), 3);
  EXPECT_TRUE(chosen.endsWith("02")) << chosen.toStdString();
  WhenOpen<TUnionTypeForm>([](TUnionTypeForm& picker) { picker.tbCancel()->click(); });
  form.OpenUnionTypePicker();
  EXPECT_EQ(form.cover()->C907->text(), chosen);
}

TEST_F(PickersTest, DivisionPickerListsTheSecondLevelRowAmongTheThirdLevel) {
  TCityNameForm picker(connection(), 320104);
  picker.show();
  EXPECT_EQ(picker.windowTitle(), "中华人民共和国行政区划");
  EXPECT_EQ(picker.CityName1()->currentItem()->text(), "江苏省");
  EXPECT_EQ(picker.CityName2()->currentItem()->text(), "南京市");
  EXPECT_EQ(picker.CityName3()->currentItem()->text(), "秦淮区");
  EXPECT_EQ(picker.CityName3()->item(0)->data(RoleId).toInt(), 320100);  // the city itself

  // Another province starts on its first city.
  picker.CityName1()->setCurrentRow(0);
  EXPECT_EQ(TCityNameForm::Code1, 11);
  EXPECT_EQ(TCityNameForm::Code2, 1);
  EXPECT_EQ(picker.CityName3()->item(0)->data(RoleCode3).toInt(), 0);
  picker.CityName3()->setCurrentRow(0);
  picker.tbOK()->click();
  EXPECT_EQ(picker.result(), QDialog::Accepted);
  EXPECT_EQ(picker.SelectedCode() / 10000, 11);
  EXPECT_FALSE(picker.SelectedName().isEmpty());
}

TEST_F(PickersTest, CodeListShowsTheCacheInOrderAndSetsTheChosenCode) {
  survey::TMenuItemDataArray cache = {{3, "三"}, {1, "一 & 二"}, {7, " 七 "}};
  TCodeNameBox target("LevelName");
  target.setRememberedCode(1);
  TToolForm host;
  int set = -1;
  host.ShowCodePopup(target, cache, [&](int code) { set = code; });
  QMenu* menu = host.CodePopupMenu();
  const auto items = menu->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[0]->data().toInt(), 3);
  EXPECT_FALSE(items[0]->isChecked());
  EXPECT_TRUE(items[1]->isChecked());
  items[1]->trigger();
  EXPECT_EQ(set, 1);
  EXPECT_EQ(target.text(), "一 & 二");  // the name exactly, no accelerator
  EXPECT_EQ(target.rememberedCode(), 1);
  items[2]->trigger();
  EXPECT_EQ(target.text(), "七");
  EXPECT_EQ(target.rememberedCode(), 7);
  menu->hide();
}

}  // namespace
}  // namespace velmora::gui
