#include "core/settings/settings.h"

#include <filesystem>

namespace velmora::settings {

std::string PreferredIme;
bool InputWindowStyle = false;
bool ImportPrincipleFlag = false;
std::string PersonalFolder;

std::string RegReadString(const std::string& name, const std::string& defaultValue, RegRoot root,
                          const std::string& key) {
  std::optional<SettingValue> value = CurrentStore().read(root, key, name);
  if (!value) return defaultValue;
  const std::string* text = std::get_if<std::string>(&*value);
  if (!text) throw SettingsError("注册表值\"" + name + "\"的数据类型无效");
  return text->empty() ? defaultValue : *text;
}

int RegReadInteger(const std::string& name, int defaultValue, RegRoot root, const std::string& key) {
  std::optional<SettingValue> value = CurrentStore().read(root, key, name);
  if (!value) return defaultValue;
  if (const int* number = std::get_if<int>(&*value)) return *number;
  if (const bool* flag = std::get_if<bool>(&*value)) return *flag ? 1 : 0;
  return defaultValue;
}

void RegWriteString(const std::string& name, const std::string& value, RegRoot root, const std::string& key) {
  CurrentStore().write(root, key, name, SettingValue(value));
}

void RegWriteBool(const std::string& name, bool value, RegRoot root, const std::string& key) {
  CurrentStore().write(root, key, name, SettingValue(value));
}

void RegWriteInteger(const std::string& name, int value, RegRoot root, const std::string& key) {
  CurrentStore().write(root, key, name, SettingValue(value));
}

void InitRegistrySettings(const std::string& productKeyName, const std::string& programFolder,
                          const std::string& installedVersion) {
  const std::string key = "\\SOFTWARE\\Tarnwick\\" + productKeyName;
  const std::string envKey = key + kEnvSettingSubKey;

  if (RegReadString("Version", "000", kProgramRoot, key) != "000") {
    PreferredIme = RegReadString("ImePrefer", "", kProgramRoot, envKey);
    InputWindowStyle = RegReadInteger("InputWndStyle", 0, kProgramRoot, envKey) != 0;
    ImportPrincipleFlag = RegReadInteger(kImportPrincipleValue, 0, kProgramRoot, envKey) != 0;
    return;
  }

  std::string folder = programFolder;
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\'))
    folder += static_cast<char>(std::filesystem::path::preferred_separator);
  RegWriteString("ServicePack", "None", kProgramRoot, key);
  RegWriteString("FilePath", folder, kProgramRoot, key);
  RegWriteInteger("AppTyp", 0, kProgramRoot, key);
  RegWriteString("ImePrefer", "", kProgramRoot, envKey);
  RegWriteInteger("InputWndStyle", 0, kProgramRoot, envKey);
  if (!installedVersion.empty() && installedVersion != "000")
    RegWriteString("Version", installedVersion, kProgramRoot, key);
  PreferredIme.clear();
  InputWindowStyle = false;
  ImportPrincipleFlag = false;
}

}  // namespace velmora::settings
