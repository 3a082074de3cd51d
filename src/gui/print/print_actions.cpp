#include "gui/print/print_actions.h"

#include "core/db/database_files.h"
#include "core/db/session.h"
#include "gui/settings/progress_bar_form.h"
#include "gui/settings/window_job.h"

namespace velmora::gui {

std::optional<std::string> RunPrintAction(db::DatabaseSession& session, QWidget* parent, const std::string& code,
                                          print::PrintOrigin origin) {
  TProgressBarForm progress(parent);
  WindowJob job(&progress, nullptr, false);
  const std::string templatePath =
      db::Utf8FromPath(db::PathFromUtf8(session.ProgramFolder()) / db::PathFromUtf8(print::kPrintTemplateName));
  return print::PrintRecordThroughTemplate(session.SysADOConnection(), session.Prompts(), job, templatePath,
                                           session.PersonalFolder(), code, origin);
}

}  // namespace velmora::gui
