#include "gui/groups/group_actions.h"

#include "core/session/session.h"
#include "core/groups/group_transfer.h"
#include "gui/groups/group_list_form.h"
#include "gui/groups/input_query_box.h"

namespace velmora::gui {

void RunGroupAction(ActionContext& context) {
  InputQueryPrompts withInputBox(context.prompts, context.parent);
  TdlgGroupListForm list(context.session, withInputBox, context.parent);
  withInputBox.setParent(&list);
  list.exec();
}

bool RunGroupExportAction(ActionContext& context) {
  session::DatabaseSession& session = context.session;
  return groups::ExportGroupTables(session, context.prompts, session.DefaultDatabasePath(), groups::GroupTableList());
}

bool RunGroupImportAction(ActionContext& context) {
  return groups::ImportGroupTables(context.session, context.prompts, groups::GroupTableList());
}

}  // namespace velmora::gui
