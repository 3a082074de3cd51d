#pragma once
// The main window's table of actions, as the command line has its table of verbs: for every action
// its name, caption, image, places in the menus, the group bar and the list's pop-up menu, the rules
// that show and enable it, and the function it runs. The window builds its menus, its group bar and
// its enabling from this table alone.

#include <QRgb>
#include <QString>
#include <span>

#include "core/session/session.h"

namespace velmora::gui {

class TMainForm;

// The drop-down menus of the menu bar in their order; MenuBar: a word on the menu bar itself,
// after the menus.
enum class MainMenu { None, File, Records, Find, Checks, Processing, Transfer, Tools, MenuBar };

// The groups of the group bar in their order.
enum class BarGroup { None, DataWork, BackupReport, Tools };

// Which editions and settings show an item.
enum class Shown {
  Always,
  NotInBar,      // its bar item is built but never shows (reached by no button in either layout)
  FullFeatures,  // only in the edition with its full features
  Offline,       // only in the offline edition
  UpperLevel,    // as UpperLevelItemShown decides with the option "显示上级单位功能"
};

// A place in a menu, by its position there (1 first). An entry the offline edition leaves out
// hides the action itself there: an action shows in all its menus alike.
struct MenuPlace {
  MainMenu menu = MainMenu::None;
  int order = 0;
  bool notOffline = false;
};

struct BarPlace {
  BarGroup group = BarGroup::None;
  int order = 0;
};

// A place in the list's pop-up menu: sections are parted by separators (0: not in the pop-up).
struct PopupPlace {
  int section = 0;
  int order = 0;
};

struct MainAction {
  const char* name;      // the action's object name, kept by the tests and the settings
  const char* caption;   // its text and tool tip
  const char* category;  // kept as the action's "category" property
  const char* glyph;     // the character drawn on its image
  QRgb colour;           // the image's colour
  MenuPlace menu{};
  MenuPlace menu2{};  // a second menu showing the same action
  BarPlace bar{};
  PopupPlace popup{};
  const char* key = nullptr;  // a key of the window that runs it, only while the list holds records
  bool needsRecords = false;  // enabled only while the list holds records
  bool needsListShown = false;  // enabled only while the list panel shows the list
  Shown shown = Shown::Always;
  const char* offlineBarCaption = nullptr;  // the bar item's own caption in the offline edition
  void (*run)(TMainForm& window) = nullptr;  // none: the action stays disabled

  bool inMenuOrPopup() const { return menu.menu != MainMenu::None || popup.section != 0; }
};

struct MainMenuSpec {
  MainMenu menu;
  const char* title;
  bool notOffline;  // the offline edition hides the whole menu
};

// The window's actions in their order (the order of TMainForm::actionNames()).
std::span<const MainAction> MainActions();
// The drop-down menus in the menu bar's order.
std::span<const MainMenuSpec> MainMenus();
// The group bar's captions in the order of BarGroup (after None).
std::span<const char* const> BarGroupCaptions();
// The group the bar opens with.
inline constexpr BarGroup kOpenBarGroup = BarGroup::Tools;

// The action named `name`. Throws std::invalid_argument for a name the table does not have.
const MainAction& FindMainAction(const QString& name);

// Whether the action itself is visible (a hidden action is disabled and cannot be triggered): an
// item the edition or the option hides takes its menu and pop-up entries with it; an action reached
// only from the bar keeps its action, so its key still runs it.
bool MainActionShown(const MainAction& action, const session::EditionSettings& edition, bool upperLevel);
// Whether its group-bar item shows (false for an action without one).
bool BarItemShown(const MainAction& action, const session::EditionSettings& edition, bool upperLevel);
// Whether the menu shows in the menu bar.
bool MainMenuShown(const MainMenuSpec& menu, const session::EditionSettings& edition);
// Whether the action is enabled with the list's state.
bool MainActionEnabled(const MainAction& action, bool listHasRecords, bool listShown);

}  // namespace velmora::gui
