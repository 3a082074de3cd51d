#include <QApplication>

#include "core/files/atomic_file.h"
#include "core/files/program_folders.h"
#include "core/files/report_folder.h"
#include "core/session/session.h"
#include "core/settings/settings.h"
#include "gui/app/main_window.h"
#include "gui/app/product_version.h"
#include "gui/app/translation.h"
#include "gui/app/wheel_to_keys.h"
#include "gui/settings/program_settings.h"
#include "gui/widgets/program_style.h"
#include "gui/widgets/qt_prompts.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Tarnwick");
  QApplication::setApplicationName("Velmora");
  QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));  // the installed velmora.desktop
  QApplication::setStyle(new velmora::gui::TVelmoraStyle);
  QApplication::setFont(QFont("宋体", 9));
  velmora::gui::InstallQtTranslation();  // without it the standard buttons stay English
  velmora::gui::TWheelToKeys wheel;
  app.installEventFilter(&wheel);

  // The shipped files lie beside the program in the build tree, in share/velmora once installed.
  const std::string programFolder =
      velmora::files::ShippedFilesFolder(QCoreApplication::applicationDirPath().toStdString());
  // Work files that killed runs left in the working and temporary folders go first.
  velmora::files::RemoveStaleWorkFilesAtStart(velmora::files::WorkingFolder(programFolder));
  velmora::gui::InstallProgramSettings(QString::fromStdString(programFolder),
                                       velmora::gui::ReadProductVersion().text);

  velmora::gui::QtPrompts prompts;
  velmora::session::DatabaseSession session(programFolder, prompts);
  session.setPersonalFolder(velmora::settings::PersonalFolder);
  // Without the default database the program cannot work: the session has said why.
  if (!session.OpenDatabase("")) return 1;

  velmora::gui::TMainForm window(session, prompts);
  prompts.setParent(&window);
  window.FormCreate();
  window.showAbout(true);
  window.showMaximized();
  return app.exec();
}
