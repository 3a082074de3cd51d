#pragma once
// The main window's "数据审核": the review dialog, then the result window beside the entry form,
// whose findings lead to their records' fields.

#include <cstdint>
#include <functional>
#include <string>

#include "gui/widgets/action_context.h"

namespace velmora {
class UserPrompts;
}

namespace velmora::gui {

class RecordGrid;
class TdlgSurveyDataForm;
class TReviewResultWin;

// Leads to a unit's record at a field. With the entry form open (the result window beside it), the
// form moves to the record of its own record set (after its close query) and to the field; else the
// list moves to the record and the form opens on it for modifying, at the page and with the focus
// on the field (page -1: the form opens on the record as it would). A code the list or the form's
// set does not hold is told, and so is a form that is adding a record.
void OpenRecordAtField(TdlgSurveyDataForm& form, RecordGrid& list, UserPrompts& prompts, std::int64_t code, int page,
                       const std::string& field);

// actReview: the dialog; with a result, the result window (an earlier one closes). The window is a
// tool window of the entry form `entryForm` hands out (null: of the context's parent), so that it
// takes input while the form is shown modally. Returns the window, or null when nothing ran.
TReviewResultWin* RunReviewAction(ActionContext& context, const std::function<TdlgSurveyDataForm*()>& entryForm);

}  // namespace velmora::gui
