#pragma once
// The program's settings store over QSettings, in user scope (organisation "Tarnwick",
// application "Velmora"). The program key is the top level of the settings, its sub-keys are the
// groups "Options/EnvSetting" and "Data".
//
// Values keep their types: on Windows the registry holds them natively (booleans as integer
// data); elsewhere the settings file is JSON, so that an integer written as text stays text.

#include <QSettings>
#include <QString>
#include <memory>

#include "core/settings/settings_store.h"

namespace velmora::gui {

class QSettingsStore : public settings::SettingsStore {
 public:
  // The user's settings of the program.
  QSettingsStore();
  // A settings file of the typed format at `fileName`.
  explicit QSettingsStore(const QString& fileName);
  ~QSettingsStore() override;

  std::optional<settings::SettingValue> read(settings::RegRoot root, const std::string& key,
                                             const std::string& name) const override;
  void write(settings::RegRoot root, const std::string& key, const std::string& name,
             const settings::SettingValue& value) override;

  QString fileName() const;

  // The format the store uses: the registry on Windows, the typed JSON file ("*.json") elsewhere.
  static QSettings::Format Format();
  // The typed JSON format, registered once.
  static QSettings::Format TypedFileFormat();

 private:
  static QString KeyOf(settings::RegRoot root, const std::string& key, const std::string& name);
  std::unique_ptr<QSettings> settings_;
};

}  // namespace velmora::gui
