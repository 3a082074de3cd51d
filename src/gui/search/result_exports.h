#pragma once
// The result list's two exports: the list's columns under their titles (without the sort marker)
// into a workbook, every column of the selected dt_data records into a database file. Both show the
// progress window with the percentage in its title.

namespace velmora::gui {

class TdlgQueryListForm;

// The name of the sheet and of the table: "Velmora查询结果".
inline constexpr const char* kResultExportName = "Velmora查询结果";

void SaveResultListAsExcel(TdlgQueryListForm& list);
void SaveResultListAsAccess(TdlgQueryListForm& list);

}  // namespace velmora::gui
