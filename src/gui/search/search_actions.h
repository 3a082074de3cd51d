#pragma once
// The main window's search actions: actSearch (the code range), actConditionSearch (an indicator's
// range) and actLocate (one record of the main list). A search shows its result list; when that
// closes the main list is read again and returns to its record.

#include <string>

#include "gui/widgets/action_context.h"

namespace velmora::gui {

// The result list of the condition, modal; then the main list re-queried (errors there ignored).
// False when the engine refused the condition: its text has been shown and nothing opened.
bool ShowQueryResults(ActionContext& context, const std::string& condition);

void RunSearchAction(ActionContext& context);           // actSearch
void RunConditionSearchAction(ActionContext& context);  // actConditionSearch
void RunLocateAction(ActionContext& context);           // actLocate: nothing without a list

}  // namespace velmora::gui
