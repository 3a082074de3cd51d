#include "gui/summary/summary_actions.h"

#include <QStandardPaths>

#include "gui/summary/sum_form.h"

namespace velmora::gui {

void RunSumAction(ActionContext& context) {
  const std::string settings = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString();
  TdlgSumForm form(context.session, context.prompts, settings, context.parent);
  if (!form.Load()) return;
  form.exec();
}

}  // namespace velmora::gui
