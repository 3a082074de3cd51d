// The on-line exchange file as a clerk meets it: "上报到网络版" written by a unit, the dialog "导入文件"
// at the upper-level office, and the option that shows the hidden import item.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <filesystem>
#include <memory>

#include "core/exchange/online_csv.h"
#include "core/settings/settings.h"
#include "core/survey/machine_stamp.h"
#include "gui/app/main_window.h"
#include "gui/app/upper_level_items.h"
#include "gui/exchange/import_csv_form.h"
#include "gui/exchange/multi_export_form.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/segmented_bar.h"
#include "gui/widgets/group_bar.h"
#include "support/modal_dialogs.h"
#include "gui/window_fixture.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;
using velmora::testing::WhenModalOpens;

using ImportCsvTest = WindowFixture;

// The progress bars of both import dialogs show all four edges: each edge stands apart from the
// bar's inside and from the dialog around it.
TEST_F(ImportCsvTest, TheImportDialogsShowTheirWholeProgressBar) {
  TdlgImportCSVForm csv(*upper.session, upper.prompts);
  TdlgMultiExportForm batch(*upper.session, upper.prompts);
  struct Case {
    const char* name;
    QDialog* dialog;
    SegmentedProgressBar* bar;
  };
  for (const Case& c : {Case{"csv import", &csv, csv.ProgressBar1()}, Case{"batch import", &batch, batch.ProgressBar1()}}) {
    SCOPED_TRACE(c.name);
    QImage shot;
    WhenModalOpens([&](QWidget* box) {
      EXPECT_EQ(box, c.dialog);
      shot = box->grab().toImage();
      box->close();
    });
    c.dialog->exec();
    ASSERT_FALSE(shot.isNull());  // the dialog was shown
    const QRect bar = c.bar->geometry();
    ASSERT_TRUE(c.dialog->rect().contains(bar));
    ASSERT_EQ(c.bar->percent(), 0);
    const QPoint middle = bar.center();
    const QRgb inside = shot.pixel(middle);
    struct Edge {
      const char* name;
      QPoint on, outside;
    };
    for (const Edge& e : {Edge{"top", {middle.x(), bar.top()}, {middle.x(), bar.top() - 1}},
                          Edge{"bottom", {middle.x(), bar.bottom()}, {middle.x(), bar.bottom() + 1}},
                          Edge{"left", {bar.left(), middle.y()}, {bar.left() - 1, middle.y()}},
                          Edge{"right", {bar.right(), middle.y()}, {bar.right() + 1, middle.y()}}}) {
      SCOPED_TRACE(e.name);
      const QRgb edge = shot.pixel(e.on);
      EXPECT_NE(edge, inside);
      EXPECT_NE(edge, shot.pixel(e.outside));
    }
  }
}

TEST_F(ImportCsvTest, UnitExportsAndTheUpperOfficeImportsThroughTheDialog) {
  auto unitWindow = window(unit);
  ASSERT_NE(barItem(*unitWindow, "上报到网络版"), nullptr);
  EXPECT_FALSE(barItem(*unitWindow, "上报到网络版")->isHidden());
  unit.prompts.fileAnswers.push_back((dir / "online").string());
  unitWindow->action("itemExportOnline")->trigger();
  ASSERT_TRUE(fs::exists(dir / "online.csv")) << unit.prompts.lastMessage();
  EXPECT_EQ(unit.prompts.lastMessage(), exchange::kCsvExportedText);

  WriteShowUpperLevelItems(true);
  auto w = window(upper);
  EXPECT_FALSE(barItem(*w, "导入网络版数据")->isHidden());
  bool shown = false;
  int before = -1, after = -1;
  QString source, note;
  std::string stamp;
  WhenModalOpens([&](QWidget* box) {
    auto* dialog = qobject_cast<TdlgImportCSVForm*>(box);
    if (!dialog) {
      box->close();
      return;
    }
    shown = true;
    EXPECT_EQ(dialog->windowTitle(), QString("导入文件"));
    before = dialog->ProgressBar1()->percent();
    note = dialog->RzLabel2()->text();
    dialog->tbExport()->click();  // nothing chosen yet
    EXPECT_EQ(upper.prompts.lastMessage(), exchange::kCsvNoFileText);
    upper.prompts.fileAnswers.push_back((dir / "missing").string());
    dialog->tbBrowse()->click();
    EXPECT_EQ(upper.prompts.lastMessage(),
              "您选择的文件名为【" + (dir / "missing.csv").string() + "】的文件并不存在，请选择其它文件。");
    EXPECT_TRUE(dialog->SourcePath()->text().isEmpty());
    upper.prompts.fileAnswers.push_back((dir / "online").string());
    dialog->tbBrowse()->click();
    source = dialog->SourcePath()->text();
    dialog->tbExport()->click();
    after = dialog->ProgressBar1()->percent();
    stamp = dialog->machineStamp();
    EXPECT_TRUE(dialog->tbExport()->isEnabled());
    dialog->tbReturn()->click();
  });
  w->action("itemImportOnline")->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(before, 0);
  EXPECT_EQ(note, QString(" 说明：导入的文件必须为csv格式的文件"));
  EXPECT_EQ(source, QString::fromStdString((dir / "online.csv").string()));
  EXPECT_EQ(after, 100);
  EXPECT_EQ(upper.prompts.lastMessage(), exchange::kCsvImportedText);
  EXPECT_EQ(stamp, survey::GetMachineStamp());
  EXPECT_EQ(upper.count("select count(*) from dt_data where c900='" + stamp + "'"), 20);
  EXPECT_EQ(w->recordGrid()->recordCount(), 20);  // the list was read again
}

TEST_F(ImportCsvTest, TheImportItemShowsOnlyUnderTheOption) {
  auto off = window(upper);
  EXPECT_TRUE(barItem(*off, "导入网络版数据")->isHidden());
  WriteShowUpperLevelItems(true);
  auto on = window(upper);
  EXPECT_FALSE(barItem(*on, "导入网络版数据")->isHidden());
  session::EditionSettings companion;
  companion.EditionCompanionTable = 1;
  EXPECT_TRUE(UpperLevelItemShown("itemImportOnline", companion, false));
  EXPECT_FALSE(UpperLevelItemShown("itemImportOnline", session::EditionSettings{}, false));
}

TEST_F(ImportCsvTest, ARefusedFileLeavesTheBarAndTheRecordsAsTheyWere) {
  velmora::testing::WriteFileBytes(dir / "bad.csv", "c901,\r\n");
  TdlgImportCSVForm dialog(*upper.session, upper.prompts);
  upper.prompts.fileAnswers.push_back((dir / "bad.csv").string());
  dialog.tbBrowse()->click();
  dialog.tbExport()->click();
  EXPECT_EQ(upper.prompts.lastMessage(), "文件格式不对，没有导入任何记录。");
  EXPECT_EQ(dialog.ProgressBar1()->percent(), 0);
  EXPECT_EQ(upper.count(), 0);
  ASSERT_TRUE(dialog.lastImport().has_value());
  EXPECT_EQ(dialog.lastImport()->status, exchange::CsvImportStatus::Refused);
}

}  // namespace
}  // namespace velmora::gui
