#include "gui/exchange/exchange_actions.h"

#include <optional>

#include "core/exchange/backup_restore.h"
#include "core/exchange/online_csv.h"
#include "core/exchange/package_import.h"
#include "core/exchange/record_import.h"
#include "core/exchange/reporting_package.h"
#include "core/exchange/year_migration.h"
#include "core/session/session.h"
#include "gui/exchange/import_csv_form.h"
#include "gui/exchange/multi_export_form.h"
#include "gui/records/record_grid.h"
#include "gui/settings/progress_bar_form.h"
#include "gui/settings/segmented_bar.h"
#include "gui/settings/window_job.h"

namespace velmora::gui {

namespace {

// The record the list stood on before an action; back() reads the list again and returns there.
class ListBookmark {
 public:
  explicit ListBookmark(RecordGrid* grid) : grid_(grid) {
    if (grid_ && !grid_->isEmpty()) key_ = grid_->currentKey();
  }
  void back() {
    if (!grid_) return;
    try {
      grid_->requery();
      if (key_ && !key_->isNull()) grid_->moveToKey(*key_);
    } catch (const std::exception&) {
      // the list shows what it could read; its own errors were shown by it
    }
  }

 private:
  RecordGrid* grid_;
  std::optional<db::Variant> key_;
};

}  // namespace

bool RunExportOnlineAction(session::DatabaseSession& session, QWidget* parent) {
  TProgressBarForm progress(parent);
  CaptionJob job(progress, QString::fromStdString(exchange::kCsvCaption));
  return exchange::ExportOnlineCsv(session, session.Prompts(), job);
}

void RunImportOnlineAction(session::DatabaseSession& session, RecordGrid* grid, QWidget* parent) {
  ListBookmark bookmark(grid);
  {
    TdlgImportCSVForm dialog(session, parent);
    dialog.exec();
  }
  bookmark.back();
}

bool RunExportAction(session::DatabaseSession& session) { return exchange::actExport(session, session.Prompts()); }

bool RunImportAction(session::DatabaseSession& session, RecordGrid* grid) {
  ListBookmark bookmark(grid);
  if (!exchange::ImportReportingPackage(session, session.Prompts(), "dt_data")) return false;
  bookmark.back();
  return true;
}

void RunBatchImportAction(session::DatabaseSession& session, RecordGrid* grid, QWidget* parent) {
  ListBookmark bookmark(grid);
  {
    TdlgMultiExportForm dialog(session, parent);
    dialog.exec();
  }
  bookmark.back();
}

bool RunBackupAction(session::DatabaseSession& session, RecordGrid* grid) {
  ListBookmark bookmark(grid);
  const bool written = exchange::BackupDatabase(session, session.Prompts());
  bookmark.back();  // whether or not the copy succeeded
  return written;
}

bool RunRestoreAction(session::DatabaseSession& session, RecordGrid* grid) {
  ListBookmark bookmark(grid);
  if (!exchange::RestoreRecords(session, session.Prompts(), "dt_data")) return false;
  bookmark.back();
  return true;
}

bool RunRecordImportAction(session::DatabaseSession& session, RecordGrid* grid, QWidget* parent) {
  ListBookmark bookmark(grid);
  TProgressBarForm progress(parent);
  WindowJob job(&progress, nullptr);
  const bool imported = exchange::ImportRecordByRecord(session, session.Prompts(), "dt_data", job);
  bookmark.back();
  return imported;
}

bool RunMigrationAction(session::DatabaseSession& session, RecordGrid* grid, QWidget* parent) {
  ListBookmark bookmark(grid);
  TProgressBarForm progress(parent);
  WindowJob job(&progress, nullptr);
  const bool done = exchange::MigratePreviousYear(session, session.Prompts(), job).ok;
  bookmark.back();
  return done;
}

bool RunTidyAction(session::DatabaseSession& session, RecordGrid* grid) {
  ListBookmark bookmark(grid);
  const bool done = exchange::TidyRecords(session, session.Prompts()).ok;
  bookmark.back();
  return done;
}

}  // namespace velmora::gui
