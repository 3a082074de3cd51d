#pragma once
// The main window's group actions: the custom group list (actGroup) and the group transfer
// actions (actGroupExport, actGroupImport) that an upper-level office sees.

#include "gui/widgets/action_context.h"

namespace velmora::gui {

// actGroup: the group list, shown modally; new groups are named through the input box.
void RunGroupAction(ActionContext& context);
// actGroupExport: the groups of the default database into a transfer file. True when written.
bool RunGroupExportAction(ActionContext& context);
// actGroupImport: the open database's groups replaced by those of a transfer file. True when done.
bool RunGroupImportAction(ActionContext& context);

}  // namespace velmora::gui
