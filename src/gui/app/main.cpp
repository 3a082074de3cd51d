#include <QApplication>

#include "core/db/session.h"
#include "gui/app/main_window.h"
#include "gui/widgets/qt_prompts.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Tarnwick");
  QApplication::setApplicationName("Velmora");

  velmora::gui::QtPrompts prompts;
  velmora::db::DatabaseSession session(QCoreApplication::applicationDirPath().toStdString(), prompts);
  // Without the default database the program cannot work: the session has said why.
  if (!session.OpenDatabase("")) return 1;

  velmora::gui::TMainForm window(session);
  prompts.setParent(&window);
  window.showMaximized();
  return app.exec();
}
