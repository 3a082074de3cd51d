// The exchange actions of the main window as a clerk meets them: the reporting package written from
// actExport and taken in by another office with actFastImport, the batch dialog, the backup, the
// restore, and the option that shows the items of an upper-level office.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>
#include <memory>
#include <vector>

#include "core/exchange/backup_restore.h"
#include "core/exchange/conflict_report.h"
#include "core/exchange/package_import.h"
#include "core/exchange/reporting_package.h"
#include "core/session/working_copy.h"
#include "core/settings/settings.h"
#include "core/text/gbk_encoder.h"
#include "gui/app/main_window.h"
#include "gui/app/upper_level_items.h"
#include "gui/exchange/multi_export_form.h"
#include "gui/records/record_grid.h"
#include "gui/settings/option_setup_form.h"
#include "gui/settings/qsettings_store.h"
#include "gui/widgets/segmented_bar.h"
#include "gui/widgets/group_bar.h"
#include "gui/widgets/qt_prompts.h"
#include "support/database.h"
#include "support/modal_dialogs.h"
#include "gui/window_fixture.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;
using velmora::testing::Office;
using velmora::testing::WhenDialogOpens;

class ExchangeActionsTest : public WindowFixture {
 protected:
  // A second grassroots unit: the unit's records under codes of their own, one of them keeping
  // the unit's first code with another name (that one conflicts once the unit is imported).
  fs::path conflictingPackage(const std::string& name) {
    const fs::path file = dir / "unit2.mdb";
    fs::copy_file(unit.file, file);
    Office other;
    open(other, file);
    other.exec("update dt_data set c901 = c901 + 500000");
    other.exec("update dt_data set c901 = c901 - 500000, c902 = '另一个工会' where c901 = (select min(c901) from dt_data)");
    const fs::path package = dir / name;
    exchange::WritePackage(*other.session, package.string(), "第二个单位");
    return package;
  }
  std::string reportPath() const { return (dir / "docs" / exchange::kConflictReportName).string(); }
};

TEST_F(ExchangeActionsTest, ExportFromTheActionIsImportedByAnotherOfficeWhoseListStaysOnItsRecord) {
  auto unitWindow = window(unit);
  unit.prompts.inputAnswers.push_back(std::string("某区'总工会"));
  unit.prompts.fileAnswers.push_back((dir / "report").string());  // ".dat" is added
  unitWindow->action("actExport")->trigger();
  const fs::path package = dir / "report.dat";
  ASSERT_TRUE(fs::exists(package)) << unit.prompts.lastMessage();
  EXPECT_EQ(unit.prompts.fileRequests.back().title, "导出文件存放为");
  EXPECT_EQ(unit.prompts.lastMessage(), "数据已经被正确导出到：'" + package.string() + "'！");
  EXPECT_EQ(unit.session->DatabaseLabel(), "默认数据库");

  // The upper office has records of its own and stands on the second.
  upper.exec("insert into dt_data (c901,c902,RecordState) values (999999000001,'甲',1),(999999000002,'乙',1)");
  auto upperWindow = window(upper);
  RecordGrid* grid = upperWindow->recordGrid();
  grid->setCurrentRow(1);
  ASSERT_EQ(grid->currentKey()->toString(), "999999000002");

  upper.prompts.fileAnswers.push_back(package.string());
  upper.prompts.confirmAnswers.push_back(true);
  upperWindow->action("actFastImport")->trigger();
  EXPECT_EQ(upper.prompts.fileRequests.back().filter, exchange::kImportFilter);
  ASSERT_GE(upper.prompts.messages.size(), 2u);
  EXPECT_EQ(upper.prompts.messages[upper.prompts.messages.size() - 2], "确认准备导入标记声明为【某区'总工会】的数据么？");
  EXPECT_EQ(upper.prompts.titles[upper.prompts.titles.size() - 2], "提示：");
  EXPECT_EQ(upper.prompts.lastMessage(), "数据已经被正确地从'" + package.string() + "'导入！");
  EXPECT_EQ(grid->recordCount(), 22);  // the list was read again
  EXPECT_EQ(grid->currentKey()->toString(), "999999000002");
  EXPECT_EQ(grid->currentRow(), 21);   // the same record, further down now

  // No to the label question: nothing imported, the list as it was.
  upper.prompts.fileAnswers.push_back(package.string());
  upper.prompts.confirmAnswers.push_back(false);
  upperWindow->action("actFastImport")->trigger();
  EXPECT_EQ(upper.count(), 22);
  EXPECT_EQ(grid->currentKey()->toString(), "999999000002");
}

TEST_F(ExchangeActionsTest, BatchDialogImportsTwoFilesWithButtonsDisabledAndShowsTheReport) {
  const fs::path first = exportPackage("first.dat", "第一个单位");
  const fs::path second = conflictingPackage("second.dat");
  auto w = window(upper);
  ASSERT_TRUE(w->action("itemBatchImport")->isEnabled());

  struct Step {
    int done, total;
    bool importEnabled, returnEnabled, browseEnabled;
  };
  std::vector<Step> steps;
  QString memo, source;
  int percent = -1;
  upper.prompts.filesAnswers.push_back(std::vector<std::string>{first.string(), second.string()});
  auto shown = WhenDialogOpens<TdlgMultiExportForm>([&](TdlgMultiExportForm* dialog) {
    EXPECT_EQ(dialog->windowTitle(), QString("数据批量导入"));
    EXPECT_EQ(dialog->ProgressBar1()->percent(), 0);
    QObject::connect(dialog, &TdlgMultiExportForm::fileImported, [&steps, dialog](int done, int total) {
      steps.push_back({done, total, dialog->tbExport()->isEnabled(), dialog->tbReturn()->isEnabled(),
                       dialog->tbBrowse()->isEnabled()});
    });
    dialog->tbBrowse()->click();
    memo = dialog->RzMemo1()->toPlainText();
    source = dialog->SourcePath()->text();
    dialog->tbExport()->click();
    percent = dialog->ProgressBar1()->percent();
    EXPECT_TRUE(dialog->tbExport()->isEnabled());
    EXPECT_TRUE(dialog->tbReturn()->isEnabled());
    dialog->tbReturn()->click();
  });
  w->action("itemBatchImport")->trigger();
  ASSERT_TRUE(*shown);

  EXPECT_EQ(memo, QString("第一个单位 || 第二个单位"));
  EXPECT_EQ(source, QString::fromStdString(first.string() + ";" + second.string()));
  ASSERT_EQ(steps.size(), 2u);
  for (const Step& s : steps) {
    EXPECT_EQ(s.total, 2);
    EXPECT_FALSE(s.importEnabled);
    EXPECT_FALSE(s.returnEnabled);
    EXPECT_FALSE(s.browseEnabled);
  }
  EXPECT_EQ(percent, 100);  // both files were gone through
  // the first file is in, the second refused as a whole; its conflict is reported and opened
  EXPECT_EQ(upper.count(), 20);
  EXPECT_EQ(w->recordGrid()->recordCount(), 20);
  ASSERT_EQ(upper.prompts.openedDocuments.size(), 1u);
  EXPECT_EQ(upper.prompts.openedDocuments[0], reportPath());
  EXPECT_EQ(upper.prompts.lastMessage(),
            "共2个文件：导入了1个（20条记录），已经导入过0个，编号冲突1个（1条记录），被拒绝0个。\n" +
                exchange::ConflictMessage(reportPath()));
  // One conflict block, naming the second file; then a line for each file.
  text::GbkEncoder gbk;
  const std::string report = velmora::testing::ReadFileBytes(reportPath());
  EXPECT_EQ(report.rfind(gbk.Encode("在准备导入的名为【" + second.string() + "】"), 0), 0u);
  EXPECT_EQ(report.find(gbk.Encode("在准备导入的名为【" + first.string() + "】")), std::string::npos);
  EXPECT_NE(report.find(gbk.Encode("【" + first.string() + "】导入了20条记录\r\n")), std::string::npos);
}

TEST_F(ExchangeActionsTest, BatchDialogRefusesAMissingFileAndRunsNothingWithoutFiles) {
  const fs::path first = exportPackage("first.dat", "第一个单位");
  TdlgMultiExportForm dialog(*upper.session, upper.prompts);
  dialog.tbExport()->click();  // nothing chosen yet
  EXPECT_EQ(upper.prompts.lastMessage(), "请先选择批量导入的数据文件。");

  // "missing" gets ".dat" and is not there: the dialog keeps what it showed
  upper.prompts.filesAnswers.push_back(std::vector<std::string>{first.string()});
  dialog.tbBrowse()->click();
  upper.prompts.filesAnswers.push_back(std::vector<std::string>{first.string(), (dir / "missing").string()});
  dialog.tbBrowse()->click();
  EXPECT_EQ(upper.prompts.lastMessage(), "您选择的文件名为【" + (dir / "missing.dat").string() + "】的文件并不存在，请选择其它文件。");
  EXPECT_EQ(dialog.SourcePath()->text(), QString::fromStdString(first.string()));
  EXPECT_EQ(dialog.RzMemo1()->toPlainText(), QString("第一个单位"));

  dialog.tbExport()->click();
  EXPECT_EQ(upper.count(), 20);
  EXPECT_EQ(dialog.ProgressBar1()->percent(), 100);
  EXPECT_EQ(upper.prompts.lastMessage(),
            "数据已经被正确地导入!\n共1个文件：导入了1个（20条记录），已经导入过0个，编号冲突0个（0条记录），被拒绝0个。");
  EXPECT_TRUE(upper.prompts.openedDocuments.empty());
}

// A batch of every kind of file runs to its end without a box; afterwards the dialog shows what
// became of each file, and one closing message the counts.
TEST_F(ExchangeActionsTest, BatchDialogShowsEachFilesOutcomeAfterAMixedRun) {
  const fs::path already = exportPackage("first.dat", "第一个单位");
  ASSERT_EQ(exchange::ImportFile(*upper.session, upper.prompts, already.string(), "dt_data", {false, false}).status,
            exchange::ImportStatus::Imported);
  const fs::path conflicting = conflictingPackage("second.dat");
  // A package whose label reads but whose manifest is damaged.
  const fs::path damaged = dir / "damaged.dat";
  fs::copy_file(already, damaged);
  session::RestorePackageHeader(damaged.string());
  velmora::testing::BreakTable(damaged, "package_manifest");
  ASSERT_EQ(session::ScramblePackageHeader(damaged.string()), session::HeadResult::Changed);
  const fs::path good = dir / "good.dat";
  {
    fs::copy_file(unit.file, dir / "unit4.mdb");
    Office other;
    open(other, dir / "unit4.mdb");
    other.exec("update dt_data set c901 = c901 + 900000");
    exchange::WritePackage(*other.session, good.string(), "第四个单位");
  }
  // One that cannot be read at all stays chosen with its cause and does not stop the others.
  const fs::path broken = dir / "broken.dat";
  velmora::testing::WriteFileBytes(broken, "not a package");
  auto w = window(upper);

  std::vector<std::size_t> promptsAfterEachFile;
  QStringList files, labels, outcomes, chosen;
  int percent = -1;
  upper.prompts.filesAnswers.push_back(
      std::vector<std::string>{already.string(), conflicting.string(), damaged.string(), broken.string(), good.string()});
  auto shown = WhenDialogOpens<TdlgMultiExportForm>([&](TdlgMultiExportForm* dialog) {
    dialog->tbBrowse()->click();
    if (auto* list = dialog->findChild<QTreeWidget*>("lvFiles"))
      for (int i = 0; i < list->topLevelItemCount(); ++i) chosen << list->topLevelItem(i)->text(2);
    QObject::connect(dialog, &TdlgMultiExportForm::fileImported,
                     [&](int, int) { promptsAfterEachFile.push_back(upper.prompts.shown.size()); });
    dialog->tbExport()->click();
    percent = dialog->ProgressBar1()->percent();
    if (auto* list = dialog->findChild<QTreeWidget*>("lvFiles")) {
      for (int i = 0; i < list->topLevelItemCount(); ++i) {
        files << list->topLevelItem(i)->text(0);
        labels << list->topLevelItem(i)->text(1);
        outcomes << list->topLevelItem(i)->text(2);
      }
    }
    dialog->tbReturn()->click();
  });
  w->action("itemBatchImport")->trigger();
  ASSERT_TRUE(*shown);

  ASSERT_EQ(chosen.size(), 5);
  EXPECT_EQ(chosen[0], QString("等待导入"));
  EXPECT_TRUE(chosen[3].startsWith("无法读取：")) << chosen[3].toStdString();
  EXPECT_EQ(promptsAfterEachFile, (std::vector<std::size_t>{0, 0, 0, 0, 0}));  // no box while it ran
  ASSERT_EQ(upper.prompts.shown.size(), 1u);
  EXPECT_EQ(upper.prompts.lastMessage(),
            "共5个文件：导入了1个（20条记录），已经导入过1个，编号冲突1个（1条记录），被拒绝2个。\n" +
                exchange::ConflictMessage(reportPath()));
  EXPECT_EQ(percent, 100);
  EXPECT_EQ(files, (QStringList{"first.dat", "second.dat", "damaged.dat", "broken.dat", "good.dat"}));
  EXPECT_EQ(labels, (QStringList{"第一个单位", "第二个单位", "第一个单位", "", "第四个单位"}));
  ASSERT_EQ(outcomes.size(), 5);
  EXPECT_EQ(outcomes[0], QString("已经导入过了（20条记录），没有改变任何数据"));
  EXPECT_EQ(outcomes[1], QString("有1条记录编号冲突，没有导入任何记录"));
  EXPECT_TRUE(outcomes[2].startsWith("没有导入：数据包已损坏或不完整：清单已损坏")) << outcomes[2].toStdString();
  EXPECT_TRUE(outcomes[3].startsWith("没有导入：")) << outcomes[3].toStdString();
  EXPECT_EQ(outcomes[4], QString("导入了20条记录"));
  EXPECT_EQ(upper.count(), 40);
  EXPECT_EQ(w->recordGrid()->recordCount(), 40);
}

TEST_F(ExchangeActionsTest, BackupReturnsToTheRowAndRestoreAsksFirst) {
  auto w = window(unit);
  RecordGrid* grid = w->recordGrid();
  grid->setCurrentRow(7);
  const std::string key = grid->currentKey()->toString();

  unit.prompts.fileAnswers.push_back((dir / "backup").string());
  w->action("actBackup")->trigger();
  ASSERT_TRUE(fs::exists(dir / "backup.mdb"));
  EXPECT_EQ(unit.prompts.lastMessage(), "备份成功");
  EXPECT_EQ(grid->currentRow(), 7);
  EXPECT_EQ(grid->currentKey()->toString(), key);

  unit.exec("delete from dt_data where c901 <> " + key);
  grid->requery();
  ASSERT_EQ(grid->recordCount(), 1);

  struct Case {
    bool yes;
    std::int64_t records;
  } cases[] = {{false, 1}, {true, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.yes);
    unit.prompts.fileAnswers.push_back((dir / "backup.mdb").string());
    unit.prompts.confirmAnswers.push_back(c.yes);
    w->action("itemRestore")->trigger();
    EXPECT_EQ(unit.prompts.messages.at(unit.prompts.messages.size() - (c.yes ? 2 : 1)), exchange::kRestoreQuestion);
    EXPECT_EQ(unit.count(), c.records);
    EXPECT_EQ(grid->recordCount(), c.records);
    EXPECT_EQ(grid->currentKey()->toString(), key);
  }
  EXPECT_EQ(unit.prompts.lastMessage(), "数据恢复操作完成！");
}

TEST(UpperLevelItems, OneRuleDecidesEachItem) {
  session::EditionSettings offline;  // the shipped edition
  session::EditionSettings online;
  online.EditionOffline = 0;
  session::EditionSettings reduced;
  reduced.EditionOffline = 0;
  reduced.EditionFullFeatures = 0;
  struct Case {
    const char* item;
    const session::EditionSettings* edition;
    bool option, shown;
  } cases[] = {
      {"itemBatchImport", &offline, false, false}, {"itemBatchImport", &offline, true, true},
      {"itemBatchImport", &online, false, true},   {"itemBatchImport", &reduced, false, false},
      {"itemBatchImport", &reduced, true, true},   {"itemRestore", &offline, false, false},
      {"itemRestore", &online, false, false},      {"itemRestore", &offline, true, true},
      {"actAddNew", &offline, true, false},  // not an item of the rule
  };
  for (const Case& c : cases)
    EXPECT_EQ(UpperLevelItemShown(c.item, *c.edition, c.option), c.shown) << c.item << " " << c.option;
}

TEST_F(ExchangeActionsTest, TheOptionShowsTheUpperLevelItemsAndSurvivesASettingsReload) {
  const QString file = QString::fromStdString((dir / "Velmora.json").string());
  auto visible = [this](TMainForm& w) {
    return std::pair{!barItem(w, "数据批量导入")->isHidden(), !barItem(w, "数据恢复")->isHidden()};
  };
  {
    QSettingsStore settingsFile(file);
    settings::ScopedStore use(settingsFile);
    auto w = window(upper);
    EXPECT_EQ(visible(*w), std::pair(false, false));
    auto shown = WhenDialogOpens<TdlgOptionSetupForm>([](TdlgOptionSetupForm* dialog) {
      EXPECT_FALSE(dialog->cbUpperLevel()->isChecked());  // off by default
      EXPECT_EQ(dialog->cbUpperLevel()->text(), QString("显示上级单位功能"));
      dialog->cbUpperLevel()->setChecked(true);
      dialog->OKBtn()->click();
    });
    w->action("actOptions")->trigger();
    ASSERT_TRUE(*shown);
    EXPECT_EQ(visible(*w), std::pair(true, true));  // at once
  }
  {
    QSettingsStore settingsFile(file);  // the settings read again, as at the next start
    settings::ScopedStore use(settingsFile);
    EXPECT_TRUE(ShowUpperLevelItems());
    auto w = window(upper);
    EXPECT_EQ(visible(*w), std::pair(true, true));
    // Cancel keeps the option: the dialog must have been there for that to mean anything.
    auto cancelled = WhenDialogOpens<TdlgOptionSetupForm>([](TdlgOptionSetupForm* dialog) {
      EXPECT_TRUE(dialog->cbUpperLevel()->isChecked());
      dialog->cbUpperLevel()->setChecked(false);
      dialog->CancelBtn()->click();
    });
    w->action("actOptions")->trigger();
    ASSERT_TRUE(*cancelled);
    EXPECT_EQ(visible(*w), std::pair(true, true));
    auto confirmed = WhenDialogOpens<TdlgOptionSetupForm>([](TdlgOptionSetupForm* dialog) {
      dialog->cbUpperLevel()->setChecked(false);
      dialog->OKBtn()->click();
    });
    w->action("actOptions")->trigger();
    ASSERT_TRUE(*confirmed);
    EXPECT_EQ(visible(*w), std::pair(false, false));
  }
  QSettingsStore settingsFile(file);
  settings::ScopedStore use(settingsFile);
  EXPECT_FALSE(ShowUpperLevelItems());
}

// The option of an office that takes only packages with a manifest: off by default, kept when the
// dialog is confirmed, and the import of a package without one is then refused.
TEST_F(ExchangeActionsTest, TheManifestOptionIsKeptAndRefusesPackagesWithoutOne) {
  const QString file = QString::fromStdString((dir / "Velmora.json").string());
  {
    QSettingsStore settingsFile(file);
    settings::ScopedStore use(settingsFile);
    auto w = window(upper);
    auto shown = WhenDialogOpens<TdlgOptionSetupForm>([](TdlgOptionSetupForm* dialog) {
      EXPECT_FALSE(dialog->cbRequireManifest()->isChecked());
      EXPECT_EQ(dialog->cbRequireManifest()->text(), QString("只接受带校验信息的数据包"));
      dialog->cbRequireManifest()->setChecked(true);
      dialog->OKBtn()->click();
    });
    w->action("actOptions")->trigger();
    EXPECT_TRUE(*shown);
  }
  QSettingsStore settingsFile(file);  // read again, as at the next start
  settings::ScopedStore use(settingsFile);
  EXPECT_TRUE(exchange::RequireManifestSetting());
  const std::filesystem::path old = dir / "old.mdb";
  std::filesystem::copy_file(exportPackage("p.dat", "某单位"), old);
  session::RestorePackageHeader(old.string());
  {
    db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + old.string());
    c.execute("drop table package_manifest");
  }
  const exchange::FileImportResult r =
      exchange::ImportFile(*upper.session, upper.prompts, old.string(), "dt_data", exchange::ImportOptions{false, false});
  EXPECT_EQ(r.status, exchange::ImportStatus::Refused);
  EXPECT_EQ(upper.count(), 0);
}

}  // namespace
}  // namespace velmora::gui

namespace velmora::gui {
namespace {

// The file dialogs' type list names each pattern once, as the filter's caption already carries it.
TEST(QtPromptsFilter, CaptionsThatNameTheirPatternAreKeptAsTheyAre) {
  struct Case {
    const char* filter;
    const char* shown;
  } cases[] = {
      {"数据加密文件(*.dat)|*.dat|数据备份文件(*.mdb)|*.mdb", "数据加密文件(*.dat);;数据备份文件(*.mdb)"},
      {"Access文件(*.mdb)|*.mdb", "Access文件(*.mdb)"},
      {"文本文件|*.txt;*.csv", "文本文件 (*.txt *.csv)"},
  };
  for (const Case& c : cases) EXPECT_EQ(QtPrompts::QtFilter(c.filter).toStdString(), c.shown) << c.filter;
}

}  // namespace
}  // namespace velmora::gui
