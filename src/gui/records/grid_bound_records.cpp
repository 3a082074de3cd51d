#include "gui/records/grid_bound_records.h"

#include <algorithm>

#include "gui/records/record_grid.h"

namespace velmora::gui {

std::optional<db::Variant> GridBoundRecords::currentKey() {
  if (grid_.isEmpty()) return std::nullopt;
  return grid_.currentKey();
}

std::int64_t GridBoundRecords::recordCount() { return grid_.recordCount(); }

std::int64_t GridBoundRecords::position() { return grid_.isEmpty() ? 0 : grid_.currentRow() + 1; }

void GridBoundRecords::moveTo(std::int64_t position) {
  if (grid_.isEmpty()) return;
  const std::int64_t last = grid_.recordCount();
  grid_.setCurrentRow(static_cast<int>(std::clamp<std::int64_t>(position, 1, last) - 1));
}

void GridBoundRecords::requery() { grid_.requery(); }

void GridBoundRecords::moveToKey(const db::Variant& key) { grid_.moveToKey(key); }

}  // namespace velmora::gui
