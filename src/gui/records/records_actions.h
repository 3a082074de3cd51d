#pragma once
// The main window's record actions over the record list: adding and modifying in the entry form,
// the delete dialog, the list's column chooser, and marking every record formal.

#include "gui/widgets/action_context.h"

namespace velmora {
class UserPrompts;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class TdlgSurveyDataForm;

// actAddNew (adding) and actModify: the entry form over the list. After adding, whatever happened
// in the form, the list is read again and returns to its record; a failure of that is shown.
void OpenEntryFormAction(TdlgSurveyDataForm& form, RecordGrid& grid, UserPrompts& prompts, bool adding);

// actDelete: the delete dialog over the context's list, until the user closes it.
void RunDeleteAction(ActionContext& context);

// actRecordGrid: the column chooser of the list; the context's reloadList runs when the user
// stored a choice.
void RunListColumnsAction(ActionContext& context);

// Every record becomes formal (RecordState 1); the list is read again and stays on its record.
// An engine error is shown and changes nothing.
void SetAllRecordsFormal(session::DatabaseSession& session, UserPrompts& prompts, RecordGrid& grid);

}  // namespace velmora::gui
