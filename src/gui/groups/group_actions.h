#pragma once
// The main window's group actions: the custom group list (actGroup) and the group transfer
// actions (actGroupExport, actGroupImport) that an upper-level office sees.

class QWidget;

namespace velmora {
class UserPrompts;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

// actGroup: the group list, shown modally; new groups are named through the input box.
void RunGroupAction(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent);
// actGroupExport: the groups of the default database into a transfer file. True when written.
bool RunGroupExportAction(session::DatabaseSession& session);
// actGroupImport: the open database's groups replaced by those of a transfer file. True when done.
bool RunGroupImportAction(session::DatabaseSession& session);

}  // namespace velmora::gui
