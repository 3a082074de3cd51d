#include "gui/search/search_actions.h"

#include "core/session/session.h"
#include "gui/records/record_grid.h"
#include "gui/search/locate_form.h"
#include "gui/search/query_list_form.h"
#include "gui/search/result_exports.h"
#include "gui/search/search_forms.h"

namespace velmora::gui {

bool ShowQueryResults(ActionContext& context, const std::string& condition) {
  bool opened = false;
  {
    TdlgQueryListForm list(context.session, context.prompts, context.parent);
    list.modifyRecord = context.modifyRecord;
    list.setExports(SaveResultListAsExcel, SaveResultListAsAccess);
    if (context.prepareResults) context.prepareResults(list);
    opened = list.SetCondition(condition);
    if (opened) list.exec();
  }
  if (!opened) return false;
  try {
    if (context.list) context.list->requery();  // deletions and edits made there show here
  } catch (...) {
  }
  return true;
}

void RunSearchAction(ActionContext& context) {
  TdlgSearchForm dialog(context.prompts, context.parent);
  dialog.showResults = [&context](const std::string& condition) { return ShowQueryResults(context, condition); };
  dialog.exec();
}

void RunConditionSearchAction(ActionContext& context) {
  TdlgDataSearchForm dialog(context.session.SysADOConnection(), context.prompts, context.parent);
  dialog.showResults = [&context](const std::string& condition) { return ShowQueryResults(context, condition); };
  dialog.exec();
}

void RunLocateAction(ActionContext& context) {
  if (!context.list) return;
  TdlgLocateForm dialog(context.session.SysADOConnection(), context.prompts, *context.list, context.parent);
  dialog.exec();
}

}  // namespace velmora::gui
