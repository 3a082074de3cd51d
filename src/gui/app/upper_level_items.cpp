#include "gui/app/upper_level_items.h"

#include "gui/app/main_actions.h"

namespace velmora::gui {

QStringList UpperLevelItems() {
  QStringList names;
  for (const MainAction& a : MainActions())
    if (a.shown == Shown::UpperLevel) names << a.name;
  return names;
}

bool UpperLevelItemShown(const QString& item, const session::EditionSettings& edition, bool upperLevel) {
  if (upperLevel) return UpperLevelItems().contains(item);
  // Without the option: the batch import belongs to the on-line edition with its full features.
  if (item == "itemBatchImport") return edition.EditionOffline != 1 && edition.EditionFullFeatures != 0;
  // The import of the on-line system's file: the edition with the companion table, or a low CSV level.
  if (item == "itemImportOnline") return edition.EditionCompanionTable == 1 || edition.EditionCsvImportLevel <= 1;
  return false;
}

}  // namespace velmora::gui
