#include "gui/print/print_actions.h"

#include "core/base/paths.h"
#include "core/session/session.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/window_job.h"

namespace velmora::gui {

std::optional<std::string> RunPrintAction(ActionContext& context, const std::string& code, print::PrintOrigin origin) {
  session::DatabaseSession& session = context.session;
  TProgressBarForm progress(context.parent);
  WindowJob job(&progress, nullptr, false);
  const std::string templatePath =
      base::Utf8FromPath(base::PathFromUtf8(session.ProgramFolder()) / base::PathFromUtf8(print::kPrintTemplateName));
  return print::PrintRecordThroughTemplate(session.SysADOConnection(), context.prompts, job, templatePath,
                                           session.PersonalFolder(), code, origin);
}

void RunPrintAction(ActionContext& context) {
  if (!context.list) return;
  if (const auto key = context.list->currentKey())
    RunPrintAction(context, key->toString(), print::PrintOrigin::MainWindow);
}

}  // namespace velmora::gui
