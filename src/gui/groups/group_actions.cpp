#include "gui/groups/group_actions.h"

#include "core/groups/group_transfer.h"
#include "core/session/session.h"
#include "gui/groups/group_list_form.h"
#include "gui/groups/input_query_box.h"

namespace velmora::gui {

void RunGroupAction(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent) {
  InputQueryPrompts withInputBox(prompts, parent);
  TdlgGroupListForm list(session, withInputBox, parent);
  withInputBox.setParent(&list);
  list.exec();
}

bool RunGroupExportAction(session::DatabaseSession& session) {
  return groups::ExportGroupTables(session, session.Prompts(), session.DefaultDatabasePath(), groups::GroupTableList());
}

bool RunGroupImportAction(session::DatabaseSession& session) {
  return groups::ImportGroupTables(session, session.Prompts(), groups::GroupTableList());
}

}  // namespace velmora::gui
