#pragma once
// The main window's summary action (actSum): the summary dialog over the open database.

#include "gui/widgets/action_context.h"

namespace velmora::gui {

// actSum: the dialog, shown modally; not shown when its list cannot be read.
void RunSumAction(ActionContext& context);

}  // namespace velmora::gui
