#pragma once
// Settings at program start: the user's settings store, the documents folder and the first-run
// values.

#include <QString>
#include <string>

namespace velmora::gui {

// Installs the user's QSettings store as the program's settings store (it lives until exit or the
// next call), sets PersonalFolder and runs InitRegistrySettings("Velmora", programFolder) with the
// product version `productVersion` as the installed version. A failure to write
// the first-run values is left to the caller (settings::SettingsError).
void InstallProgramSettings(const QString& programFolder, const std::string& productVersion);

// The user's documents folder, created when missing; also stored in settings::PersonalFolder.
QString InitPersonalFolder();

}  // namespace velmora::gui
