// The data list dialog as a clerk meets it: the table list from the shipped file, the custom groups
// in the drop-down, the export with the controls disabled while it runs, the check box kept.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QEvent>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <filesystem>

#include "core/settings/settings.h"
#include "core/settings/settings_store.h"
#include "gui/widgets/valid_edit.h"
#include "gui/exchange/save_list_form.h"
#include "gui/settings/qsettings_store.h"
#include "support/exchange_fixture.h"
#include "support/saved_workbook.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;

class SaveListFormTest : public velmora::testing::ExchangeFixture {
 protected:
  SaveListFormTest() { fs::copy_file(velmora::testing::ProgramDir() / "exporttable.vm", program() / "exporttable.vm"); }
};

TEST_F(SaveListFormTest, WithoutGroupsTheGroupChoiceIsDisabledAndTheTablesComeFromTheFile) {
  unit.exec("delete from DT_GroupItem");
  TdlgSaveListForm dialog(*unit.session, unit.prompts);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QString("选择导出数据的方式"));
  ASSERT_EQ(dialog.TableList()->count(), 8);
  EXPECT_EQ(dialog.TableList()->item(4)->text(), QString("表五 工会法律工作"));
  EXPECT_EQ(dialog.TableList()->item(0)->checkState(), Qt::Unchecked);
  EXPECT_TRUE(dialog.AllRecord()->isChecked());
  EXPECT_FALSE(dialog.radioGroup()->isEnabled());
  EXPECT_FALSE(dialog.tbGroup()->isEnabled());
  EXPECT_FALSE(dialog.CheckBox1()->isVisible());
  EXPECT_TRUE(unit.prompts.messages.empty());

  // A table list file that cannot be used is told, and the built-in captions stay.
  fs::remove(program() / "exporttable.vm");
  TdlgSaveListForm second(*unit.session, unit.prompts);
  second.show();
  EXPECT_EQ(second.TableList()->count(), 8);
  EXPECT_NE(unit.prompts.lastMessage().find("找不到导出表的列表文件"), std::string::npos);
}

TEST_F(SaveListFormTest, AGroupChosenFromTheMenuIsExportedAndTheControlsComeBack) {
  unit.exec("delete from DT_GroupItem");
  const std::int64_t first = unit.count("select min(c901) from dt_data");
  const std::int64_t third = unit.count("select c901 from dt_data order by c901 limit 1 offset 2");
  unit.exec("insert into DT_GroupItem (id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) values "
            "(1, '全部', 1, 0, 999999999999, '>', '<'), (2, '前两个', 1, " + std::to_string(first) + ", " +
            std::to_string(third) + ", '>=', '<')");
  velmora::testing::TempDir settingsDir;
  QSettingsStore store(QString::fromStdString((settingsDir / "Velmora.json").string()));
  settings::ScopedStore use(store);

  TdlgSaveListForm dialog(*unit.session, unit.prompts);
  dialog.show();
  EXPECT_TRUE(dialog.radioGroup()->isEnabled());
  EXPECT_EQ(dialog.tbGroup()->text(), QString("全部"));
  ASSERT_EQ(dialog.GroupMenu()->actions().size(), 2);
  dialog.GroupMenu()->actions().at(1)->trigger();
  EXPECT_EQ(dialog.tbGroup()->text(), QString("前两个"));
  EXPECT_FALSE(dialog.radioGroup()->isChecked()) << "the user checks it";
  dialog.radioGroup()->setChecked(true);
  dialog.TableList()->item(0)->setCheckState(Qt::Checked);

  const fs::path out = dir / "list.xlsx";
  unit.prompts.fileAnswers.push_back(out.string());
  // The controls are disabled while the export runs.
  struct EnabledWatch : QObject {
    bool sawDisabled = false;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::EnabledChange && !static_cast<QWidget*>(o)->isEnabled()) sawDisabled = true;
      return false;
    }
  } watch;
  dialog.tbReturn()->installEventFilter(&watch);
  dialog.ExportDataList();
  const bool disabledDuringTheRun = watch.sawDisabled;
  ASSERT_TRUE(dialog.lastOutcome().exported) << unit.prompts.lastMessage();
  EXPECT_EQ(dialog.lastOutcome().records, 2);
  EXPECT_EQ(unit.prompts.fileRequests.back().fileName.rfind(unit.session->DatabaseLabel() + "数据列表-", 0), 0u);
  const velmora::testing::SavedWorkbook wb = velmora::testing::ReadSavedWorkbook(out);
  EXPECT_EQ(wb.cell("H3")->value, "z001");
  for (QWidget* w : std::initializer_list<QWidget*>{dialog.AllRecord(), dialog.Range(), dialog.radioGroup(),
                                                    dialog.tbGroup(), dialog.tbSave(), dialog.tbReturn()})
    EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
  EXPECT_TRUE(disabledDuringTheRun);

  dialog.CheckBox1()->setChecked(true);
  dialog.tbReturnClick();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(settings::RegReadInteger("CheckBox1", 0, settings::kProgramRoot, settings::kDataKey), 1);
}

TEST_F(SaveListFormTest, ARangeHighBelowLowExportsTheLowCodeAndTheBoxShowsIt) {
  const std::int64_t first = unit.count("select min(c901) from dt_data");
  TdlgSaveListForm dialog(*unit.session, unit.prompts);
  dialog.show();
  dialog.Range()->setChecked(true);
  dialog.c901_1()->setText(QString::number(first));
  dialog.c901_2()->setText("100");
  unit.prompts.fileAnswers.push_back((dir / "one.xlsx").string());
  dialog.ExportDataList();
  EXPECT_EQ(dialog.lastOutcome().records, 1);
  EXPECT_EQ(dialog.c901_2()->text(), QString::number(first));

  dialog.c901_1()->setText("0");
  dialog.ExportDataList();
  EXPECT_EQ(unit.prompts.lastMessage(), "请输入单位编号的范围");
  EXPECT_FALSE(dialog.lastOutcome().exported);
  EXPECT_TRUE(dialog.tbSave()->isEnabled());
}

}  // namespace
}  // namespace velmora::gui
