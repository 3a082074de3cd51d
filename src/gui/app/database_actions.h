#pragma once
// The main window's database actions: opening another database or the default one, a new label,
// compaction. Each is the session's own step; the window's title follows a change.

#include "gui/widgets/action_context.h"

namespace velmora::gui {

enum class DatabaseAction {
  Open,         // actOpenDB
  OpenDefault,  // actOpenDefault
  Label,        // actLabel
  Compress,     // actCompress: the session reopens the list through its hook
};

// Runs the action; on success the title of the context's window becomes the session's. True when
// it succeeded.
bool RunDatabaseAction(ActionContext& context, DatabaseAction action);

}  // namespace velmora::gui
