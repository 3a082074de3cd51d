#pragma once
// The program's persistent settings: the keys, the five read/write helpers every part of the
// program uses, the start-up routine and the program-wide setting values.
//
//   program key           "Version" "ServicePack" "FilePath" "AppTyp" "ShowGrid"
//   \Options\EnvSetting   "ImePrefer" "InputWndStyle" "ImportPrinciple" "AppLastCity"
//                         "ShowUpperLevel" (the items of an upper-level office, 0 or 1)
//   \Data                 "c910" "c911" "CheckBox1"

#include <string>

#include "core/settings/settings_store.h"

namespace velmora::settings {

inline constexpr const char* kProgramKey = "\\SOFTWARE\\Tarnwick\\Velmora";
inline constexpr const char* kEnvSettingSubKey = "\\Options\\EnvSetting";
inline constexpr const char* kDataSubKey = "\\Data";
inline constexpr const char* kEnvSettingKey = "\\SOFTWARE\\Tarnwick\\Velmora\\Options\\EnvSetting";
inline constexpr const char* kDataKey = "\\SOFTWARE\\Tarnwick\\Velmora\\Data";

// The root of the program's key. Settings are the user's own: writing the machine-wide key would
// need administrator rights.
inline constexpr RegRoot kProgramRoot = RegRoot::CurrentUser;

// Text of a value; the default when the key or the value is absent or the text is empty.
// Throws SettingsError when the value is not text.
std::string RegReadString(const std::string& name, const std::string& defaultValue, RegRoot root = kProgramRoot,
                          const std::string& key = kProgramKey);

// An integer value; the default when the key or the value is absent or the value is text. A
// boolean reads as 0 or 1 (booleans are integer data in the registry).
int RegReadInteger(const std::string& name, int defaultValue, RegRoot root = kProgramRoot,
                   const std::string& key = kProgramKey);

// Writers: the key is created when absent. Throw SettingsError when the store refuses.
void RegWriteString(const std::string& name, const std::string& value, RegRoot root = kProgramRoot,
                    const std::string& key = kProgramKey);
void RegWriteBool(const std::string& name, bool value, RegRoot root = kProgramRoot,
                  const std::string& key = kProgramKey);
void RegWriteInteger(const std::string& name, int value, RegRoot root = kProgramRoot,
                     const std::string& key = kProgramKey);

// The value of the record-by-record import's principle: 0 "有错就全部放弃", 1 "只放弃出错的数据".
inline constexpr const char* kImportPrincipleValue = "ImportPrinciple";

// Program-wide values.
extern std::string PreferredIme;      // input method switched on in Chinese text fields
extern bool InputWindowStyle;
extern bool ImportPrincipleFlag;      // false: give up the whole import on any error ("ImportPrinciple")
extern std::string PersonalFolder;    // the user's documents folder; file dialogs start here

// Called first thing at start: key = "\SOFTWARE\Tarnwick\" + productKeyName. While "Version" is
// "000" (nothing has installed the program) a start writes the first-run values ("ServicePack",
// "FilePath" = programFolder with a trailing separator, "AppTyp", "ImePrefer", "InputWndStyle")
// and leaves PreferredIme empty and ImportPrincipleFlag false; otherwise PreferredIme,
// InputWindowStyle and ImportPrincipleFlag are read.
// A program that installs itself passes its version as installedVersion: the first run then
// writes "Version" too, so that later starts keep what the user chose.
void InitRegistrySettings(const std::string& productKeyName, const std::string& programFolder,
                          const std::string& installedVersion = {});

}  // namespace velmora::settings
