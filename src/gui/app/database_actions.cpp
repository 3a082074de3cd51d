#include "gui/app/database_actions.h"

#include <QWidget>

#include "core/session/session.h"

namespace velmora::gui {

bool RunDatabaseAction(ActionContext& context, DatabaseAction action) {
  session::DatabaseSession& session = context.session;
  switch (action) {
    case DatabaseAction::Compress:
      return session.actCompress();  // the title stays: the same file is open
    case DatabaseAction::Open:
    case DatabaseAction::OpenDefault:
    case DatabaseAction::Label: {
      const bool done = action == DatabaseAction::Open          ? session.actOpenDB()
                        : action == DatabaseAction::OpenDefault ? session.actOpenDefault()
                                                                : session.actLabel();
      if (done && context.parent) context.parent->setWindowTitle(QString::fromStdString(session.WindowTitle()));
      return done;
    }
  }
  return false;
}

}  // namespace velmora::gui
