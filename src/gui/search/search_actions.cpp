#include "gui/search/search_actions.h"

#include "core/session/session.h"
#include "gui/records/record_grid.h"
#include "gui/search/locate_form.h"
#include "gui/search/query_list_form.h"
#include "gui/search/result_exports.h"
#include "gui/search/search_forms.h"

namespace velmora::gui {

bool ShowQueryResults(SearchContext& context, const std::string& condition) {
  bool opened = false;
  {
    TdlgQueryListForm list(context.session, context.session.Prompts(), context.parent);
    list.modifyRecord = context.modifyRecord;
    list.setExports(SaveResultListAsExcel, SaveResultListAsAccess);
    if (context.prepareResults) context.prepareResults(list);
    opened = list.SetCondition(condition);
    if (opened) list.exec();
  }
  if (!opened) return false;
  try {
    context.mainList.requery();  // deletions and edits made there show here
  } catch (...) {
  }
  return true;
}

void RunSearchAction(SearchContext& context) {
  TdlgSearchForm dialog(context.session.Prompts(), context.parent);
  dialog.showResults = [&context](const std::string& condition) { return ShowQueryResults(context, condition); };
  dialog.exec();
}

void RunConditionSearchAction(SearchContext& context) {
  TdlgDataSearchForm dialog(context.session.SysADOConnection(), context.session.Prompts(), context.parent);
  dialog.showResults = [&context](const std::string& condition) { return ShowQueryResults(context, condition); };
  dialog.exec();
}

void RunLocateAction(SearchContext& context) {
  TdlgLocateForm dialog(context.session.SysADOConnection(), context.session.Prompts(), context.mainList,
                        context.parent);
  dialog.exec();
}

}  // namespace velmora::gui
