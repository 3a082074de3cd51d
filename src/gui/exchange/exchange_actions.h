#pragma once
// The main window's exchange actions: the reporting package out (actExport) and in (actFastImport),
// the batch import dialog, the backup (actBackup), the restore of the records, the record-by-record
// import (actImport), the year migration, the tidy and the list export (actSaveList). Every question
// and message goes through the session's prompts; the context's record list is read again afterwards
// and returns to the record that was current.

#include "gui/widgets/action_context.h"

namespace velmora::gui {

// actExport: the reporting gate, the label box, the save dialog, the package. True when written.
bool RunExportAction(ActionContext& context);

// actFastImport: the import of one package or backup; on success the list is read again and
// returns to its record. True when the list was refreshed.
bool RunImportAction(ActionContext& context);

// "数据批量导入": the batch dialog, shown modally; the list is read again afterwards.
void RunBatchImportAction(ActionContext& context);

// "上报到网络版": the gate, the save dialog, the on-line system's exchange file with the progress
// window. True when written.
bool RunExportOnlineAction(ActionContext& context);

// "导入网络版数据": the import dialog of the exchange file, shown modally; the list is read again
// afterwards.
void RunImportOnlineAction(ActionContext& context);

// actBackup: the backup of the open database; the list returns to its record. True when written.
bool RunBackupAction(ActionContext& context);

// "数据恢复": every record replaced by those of a backup, after the question. True when replaced.
bool RunRestoreAction(ActionContext& context);

// actImport "逐条导入": the records of a chosen file one by one, under the import principle of the
// settings, with the progress window; the list is read again and returns to its record. True when
// records were committed.
bool RunRecordImportAction(ActionContext& context);

// "10年导11年" and "数据整理": the year migration and the tidy; the list is read again afterwards.
bool RunMigrationAction(ActionContext& context);
bool RunTidyAction(ActionContext& context);

// actSaveList: the dialog that exports the record list, shown modally.
void RunSaveListAction(ActionContext& context);

}  // namespace velmora::gui
