#include "gui/settings/program_settings.h"

#include <QDir>
#include <QStandardPaths>

#include "core/settings/settings.h"
#include "gui/settings/qsettings_store.h"

namespace velmora::gui {

QString InitPersonalFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  QDir().mkpath(folder);
  settings::PersonalFolder = QDir::toNativeSeparators(folder).toStdString();
  return folder;
}

void InstallProgramSettings(const QString& programFolder) {
  static QSettingsStore store;
  settings::InstallStore(&store);
  InitPersonalFolder();
  settings::InitRegistrySettings("Velmora", QDir::toNativeSeparators(programFolder).toStdString());
}

}  // namespace velmora::gui
