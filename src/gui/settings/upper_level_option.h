#pragma once
// The settings option "显示上级单位功能": whether the main window shows the items an upper-level
// office needs.

namespace velmora::gui {

// The value of the option under "\Options\EnvSetting" (integer 0 or 1, absent = 0).
inline constexpr const char* kShowUpperLevelValue = "ShowUpperLevel";

// The option as stored; off when absent or unreadable.
bool ShowUpperLevelItems();
// Stores the option. Throws settings::SettingsError when the store refuses.
void WriteShowUpperLevelItems(bool on);

}  // namespace velmora::gui
