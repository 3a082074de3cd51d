// The list-column chooser: its pages and boxes from the catalogue, and what saving does.
#include "gui/catalogue/show_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "core/catalogue/field_catalogue.h"
#include "gui/records/record_grid.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;

class ShowFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.copyOfShipped();
    session = std::make_unique<session::DatabaseSession>(dir.path().string(), prompts);
    ASSERT_TRUE(session->OpenDatabase(""));
    form = std::make_unique<TdlgShowForm>(session->SysADOConnection(), prompts);
  }
  QCheckBox* box(const QString& name) { return form->findChild<QCheckBox*>(name); }

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
  std::unique_ptr<TdlgShowForm> form;
};

TEST_F(ShowFormTest, OnePagePerSurveyPageWithBoxesInTwoColumns) {
  EXPECT_EQ(form->windowTitle(), "自定义列表项");
  EXPECT_EQ(form->size(), QSize(908, 636));
  QTabWidget* pages = form->DataPage();
  EXPECT_EQ(pages->tabPosition(), QTabWidget::South);
  ASSERT_EQ(pages->count(), 8);
  EXPECT_EQ(pages->tabText(0), "封面");
  EXPECT_EQ(pages->tabText(1), "表1");
  EXPECT_EQ(pages->tabText(7), "表7&&表8");

  struct Expect {
    const char* name;
    int page;
    QRect geometry;
    bool checked;
  };
  const Expect expected[] = {
      {"c901", 0, {4, 6, 438, 35}, true},    {"c902", 0, {442, 6, 438, 35}, true},
      {"c903", 0, {4, 36, 438, 35}, true},   {"z001", 1, {4, 6, 438, 35}, true},
      {"z003", 1, {4, 36, 438, 35}, false},  {"z004", 1, {442, 36, 438, 35}, false},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    QCheckBox* b = box(e.name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->parentWidget(), pages->widget(e.page));
    EXPECT_EQ(b->geometry(), e.geometry);
    EXPECT_EQ(b->isChecked(), e.checked);
  }
  EXPECT_EQ(box("c902")->text(), "c902--基层工会名称");
  EXPECT_EQ(box("c900"), nullptr);  // not offered
}

TEST_F(ShowFormTest, SavingWithNothingCheckedHidesEveryColumn) {
  RecordGrid grid(*session, prompts);
  int reloads = 0;
  form->onSaved = [&] {
    ++reloads;
    grid.resetSort();
    grid.setFieldData(catalogue::LoadFieldData(session->SysADOConnection(), session->Edition()));
    grid.open();
  };
  for (QCheckBox* b : form->checkBoxes()) b->setChecked(false);
  QTest::mouseClick(form->tbSave(), Qt::LeftButton);
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(prompts.lastMessage(), "保存成功");
  EXPECT_FALSE(form->tbSave()->isEnabled());
  ASSERT_GT(grid.columnCount(), 0);
  for (int c = 0; c < grid.columnCount(); ++c) EXPECT_TRUE(grid.isColumnHidden(c)) << c;
}

TEST_F(ShowFormTest, SavingShowsTheCheckedFieldsInCatalogueOrder) {
  for (QCheckBox* b : form->checkBoxes()) b->setChecked(false);
  box("z006")->setChecked(true);
  box("c902")->setChecked(true);
  form->tbSaveClick();
  std::vector<std::string> visible;
  for (const auto& f : catalogue::LoadFieldData(session->SysADOConnection(), session->Edition()))
    if (f.Visible) visible.push_back(f.ShowName);
  EXPECT_EQ(visible, (std::vector<std::string>{"c902", "z006"}));
}

TEST_F(ShowFormTest, AFailedSaveShowsTheEnginesTextAndKeepsTheButton) {
  session->SysADOConnection().execute("drop view view_fieldlist");
  form->tbSaveClick();
  EXPECT_NE(prompts.lastMessage().find("view_fieldlist"), std::string::npos);
  EXPECT_TRUE(form->tbSave()->isEnabled());
}

}  // namespace
}  // namespace velmora::gui
