#pragma once
// The items an upper-level office needs and this edition hides (batch import, restore, the CSV
// import, record-by-record import, year migration, tidy and group transfer). They are built and
// wired all the same and show when the option "显示上级单位功能" is on.

#include <QString>
#include <QStringList>

#include "core/session/session.h"
#include "gui/settings/upper_level_option.h"

namespace velmora::gui {

// The names (action or item names of the main window) whose visibility UpperLevelItemShown decides:
// the actions of the main window's table marked Shown::UpperLevel.
QStringList UpperLevelItems();

// Whether the group-bar, menu or pop-up item `item` shows under the edition settings with the
// option `upperLevel`. The one place that decides it.
bool UpperLevelItemShown(const QString& item, const session::EditionSettings& edition, bool upperLevel);

}  // namespace velmora::gui
