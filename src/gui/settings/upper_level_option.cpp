#include "gui/settings/upper_level_option.h"

#include "core/settings/settings.h"

namespace velmora::gui {

bool ShowUpperLevelItems() {
  return settings::RegReadInteger(kShowUpperLevelValue, 0, settings::kProgramRoot, settings::kEnvSettingKey) == 1;
}

void WriteShowUpperLevelItems(bool on) {
  settings::RegWriteInteger(kShowUpperLevelValue, on ? 1 : 0, settings::kProgramRoot, settings::kEnvSettingKey);
}

}  // namespace velmora::gui
