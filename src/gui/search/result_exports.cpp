#include "gui/search/result_exports.h"

#include "core/export/query_export.h"
#include "core/search/result_list.h"
#include "core/session/session.h"
#include "gui/records/record_grid.h"
#include "gui/search/query_list_form.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/window_job.h"

namespace velmora::gui {

// The workbook holds the rows in the list's current order.
void SaveResultListAsExcel(TdlgQueryListForm& list) {
  RecordGrid& grid = *list.DBGrid1();
  std::vector<std::pair<std::string, std::string>> columns;
  for (int c = 0; c < grid.columnCount(); ++c)
    columns.emplace_back(grid.columnField(c).toStdString(), grid.columnTitle(c).toStdString());
  TProgressBarForm progress(&list);
  CaptionJob job(progress, QString::fromUtf8(exports::kProgressCaption));
  exports::ExportContext context = exports::ContextOf(list.session(), list.prompts(), job);
  const exports::ExportSource source{list.session().SysADOConnection(),
                                     search::ResultListSql(list.condition(), grid.source().orderBy()),
                                     grid.recordCount()};
  exports::SaveQueryAsExcel(context, source, kResultExportName, exports::ListColumns(columns));
}

void SaveResultListAsAccess(TdlgQueryListForm& list) {
  TProgressBarForm progress(&list);
  CaptionJob job(progress, QString::fromUtf8(exports::kProgressCaption));
  exports::ExportContext context = exports::ContextOf(list.session(), list.prompts(), job);
  const exports::ExportSource source{list.session().SysADOConnection(),
                                     search::ResultDetailSql(list.condition())};
  exports::SaveQueryAsAccess(context, source, kResultExportName);
}

}  // namespace velmora::gui
