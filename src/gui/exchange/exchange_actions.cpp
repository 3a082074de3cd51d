#include "gui/exchange/exchange_actions.h"

#include <optional>

#include "core/session/session.h"
#include "core/exchange/backup_restore.h"
#include "core/exchange/package_import.h"
#include "core/exchange/record_import.h"
#include "core/exchange/reporting_package.h"
#include "core/exchange/online_csv.h"
#include "gui/exchange/import_csv_form.h"
#include "core/exchange/year_migration.h"
#include "gui/exchange/multi_export_form.h"
#include "gui/exchange/save_list_form.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/segmented_bar.h"
#include "gui/widgets/window_job.h"

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

bool RunExportOnlineAction(ActionContext& context) {
  TProgressBarForm progress(context.parent);
  CaptionJob job(progress, QString::fromStdString(exchange::kCsvCaption));
  return exchange::ExportOnlineCsv(context.session, context.prompts, job);
}

void RunImportOnlineAction(ActionContext& context) {
  ListBookmark bookmark(context.list);
  {
    TdlgImportCSVForm dialog(context.session, context.prompts, context.parent);
    dialog.exec();
  }
  bookmark.back();
}

bool RunExportAction(ActionContext& context) { return exchange::actExport(context.session, context.prompts); }

bool RunImportAction(ActionContext& context) {
  ListBookmark bookmark(context.list);
  if (!exchange::ImportReportingPackage(context.session, context.prompts, "dt_data")) return false;
  bookmark.back();
  return true;
}

void RunBatchImportAction(ActionContext& context) {
  ListBookmark bookmark(context.list);
  {
    TdlgMultiExportForm dialog(context.session, context.prompts, context.parent);
    dialog.exec();
  }
  bookmark.back();
}

bool RunBackupAction(ActionContext& context) {
  ListBookmark bookmark(context.list);
  const bool written = exchange::BackupDatabase(context.session, context.prompts);
  bookmark.back();  // whether or not the copy succeeded
  return written;
}

bool RunRestoreAction(ActionContext& context) {
  ListBookmark bookmark(context.list);
  if (!exchange::RestoreRecords(context.session, context.prompts, "dt_data")) return false;
  bookmark.back();
  return true;
}

bool RunRecordImportAction(ActionContext& context) {
  ListBookmark bookmark(context.list);
  TProgressBarForm progress(context.parent);
  WindowJob job(&progress, nullptr);
  const bool imported = exchange::ImportRecordByRecord(context.session, context.prompts, "dt_data", job);
  bookmark.back();
  return imported;
}

bool RunMigrationAction(ActionContext& context) {
  ListBookmark bookmark(context.list);
  TProgressBarForm progress(context.parent);
  WindowJob job(&progress, nullptr);
  const bool done = exchange::MigratePreviousYear(context.session, context.prompts, job).ok;
  bookmark.back();
  return done;
}

bool RunTidyAction(ActionContext& context) {
  ListBookmark bookmark(context.list);
  const bool done = exchange::TidyRecords(context.session, context.prompts).ok;
  bookmark.back();
  return done;
}

void RunSaveListAction(ActionContext& context) {
  TdlgSaveListForm dialog(context.session, context.prompts, context.parent);
  dialog.exec();
}

}  // namespace velmora::gui
