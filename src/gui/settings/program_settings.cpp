#include "gui/settings/program_settings.h"

#include <QDir>
#include <QStandardPaths>

#include <memory>

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

void InstallProgramSettings(const QString& programFolder, const std::string& productVersion) {
  static std::unique_ptr<QSettingsStore> store;
  auto opened = std::make_unique<QSettingsStore>();
  settings::InstallStore(opened.get());
  store = std::move(opened);
  InitPersonalFolder();
  // The program is its own installer: its first run records the version, so that a setting the
  // user chose afterwards is read at every later start instead of being reset.
  settings::InitRegistrySettings("Velmora", QDir::toNativeSeparators(programFolder).toStdString(),
                                 productVersion);
}

}  // namespace velmora::gui
