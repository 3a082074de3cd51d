#include "gui/records/records_actions.h"

#include "core/session/session.h"
#include "core/prompts/user_prompts.h"
#include "core/records/record_state.h"
#include "gui/catalogue/show_form.h"
#include "gui/records/grid_bound_records.h"
#include "gui/entry/survey_data_form.h"
#include "gui/records/delete_form.h"
#include "gui/records/record_grid.h"

namespace velmora::gui {

void OpenEntryFormAction(TdlgSurveyDataForm& form, RecordGrid& grid, UserPrompts& prompts, bool adding) {
  GridBoundRecords records(grid);
  if (!adding) {
    form.OpenModifying(records);
    return;
  }
  form.OpenAdding(records);
  try {
    grid.requery();
  } catch (const std::exception& e) {
    prompts.message(e.what(), MessageKind::Error);
  }
}

void RunDeleteAction(ActionContext& context) {
  if (!context.list) return;
  TdlgDeleteForm dialog(context.session, context.prompts, *context.list, context.parent);
  dialog.exec();
}

void RunListColumnsAction(ActionContext& context) {
  TdlgShowForm dialog(context.session.SysADOConnection(), context.prompts, context.parent);
  dialog.onSaved = context.reloadList;
  dialog.exec();
}

void SetAllRecordsFormal(session::DatabaseSession& session, UserPrompts& prompts, RecordGrid& grid) {
  try {
    records::SetAllRecordsFormal(session.SysADOConnection());
  } catch (const std::exception& e) {
    prompts.message(e.what(), MessageKind::Error);
    return;
  }
  try {
    grid.requery();  // returns to the record that was current
  } catch (...) {
  }
}

}  // namespace velmora::gui
