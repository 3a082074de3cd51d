#include "gui/print/print_actions.h"

#include "core/base/paths.h"
#include "core/session/session.h"
#include "gui/settings/progress_bar_form.h"
#include "gui/settings/window_job.h"

namespace velmora::gui {

std::optional<std::string> RunPrintAction(session::DatabaseSession& session, QWidget* parent, const std::string& code,
                                          print::PrintOrigin origin) {
  TProgressBarForm progress(parent);
  WindowJob job(&progress, nullptr, false);
  const std::string templatePath =
      base::Utf8FromPath(base::PathFromUtf8(session.ProgramFolder()) / base::PathFromUtf8(print::kPrintTemplateName));
  return print::PrintRecordThroughTemplate(session.SysADOConnection(), session.Prompts(), job, templatePath,
                                           session.PersonalFolder(), code, origin);
}

}  // namespace velmora::gui
