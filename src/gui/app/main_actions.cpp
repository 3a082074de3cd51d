#include "gui/app/main_actions.h"

#include <stdexcept>

#include "gui/app/upper_level_items.h"

namespace velmora::gui {

std::span<const MainMenuSpec> MainMenus() {
  static const MainMenuSpec menus[] = {
      {MainMenu::File, "文件", true},          {MainMenu::Records, "数据记录", false},
      {MainMenu::Find, "查找", false},         {MainMenu::Checks, "逻辑检查", false},
      {MainMenu::Processing, "数据处理", false}, {MainMenu::Transfer, "导入导出", true},
      {MainMenu::Tools, "工具", false},
  };
  return menus;
}

std::span<const char* const> BarGroupCaptions() {
  static const char* const captions[] = {"数据操作", "备份与上报", "系统工具"};
  return captions;
}

const MainAction& FindMainAction(const QString& name) {
  for (const MainAction& a : MainActions())
    if (name == QLatin1String(a.name)) return a;
  throw std::invalid_argument("the main window has no action " + name.toStdString());
}

bool MainActionShown(const MainAction& action, const session::EditionSettings& edition, bool upperLevel) {
  if (edition.EditionOffline == 1 && (action.menu.notOffline || action.menu2.notOffline)) return false;
  if (!action.inMenuOrPopup()) return true;
  switch (action.shown) {
    case Shown::FullFeatures:
      return edition.EditionFullFeatures != 0;
    case Shown::UpperLevel:
      return UpperLevelItemShown(action.name, edition, upperLevel);
    case Shown::Always:
    case Shown::NotInBar:
    case Shown::Offline:
      break;
  }
  return true;
}

bool BarItemShown(const MainAction& action, const session::EditionSettings& edition, bool upperLevel) {
  if (action.bar.group == BarGroup::None) return false;
  switch (action.shown) {
    case Shown::Always:
      return true;
    case Shown::NotInBar:
      return false;
    case Shown::FullFeatures:
      return edition.EditionFullFeatures != 0;
    case Shown::Offline:
      return edition.EditionOffline == 1;
    case Shown::UpperLevel:
      return UpperLevelItemShown(action.name, edition, upperLevel);
  }
  return true;
}

bool MainMenuShown(const MainMenuSpec& menu, const session::EditionSettings& edition) {
  return !(menu.notOffline && edition.EditionOffline == 1);
}

bool MainActionEnabled(const MainAction& action, bool listHasRecords, bool listShown) {
  if (!action.run) return false;
  if (action.needsRecords && !listHasRecords) return false;
  if (action.needsListShown && !listShown) return false;
  return true;
}

}  // namespace velmora::gui
