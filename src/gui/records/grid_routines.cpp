#include "gui/records/grid_routines.h"

#include <QPainter>

#include "gui/records/record_grid.h"

namespace velmora::gui {

QString SortMarker(int state) {
  if (state == 1) return QStringLiteral("▲");
  if (state == 2) return QStringLiteral("▼");
  return {};
}

QColor InactiveCaptionTextColour(const QPalette& palette) {
  return palette.color(QPalette::Disabled, QPalette::WindowText);
}

void DrawStripedRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                    const QStyledItemDelegate& delegate) {
  if (!(option.state & QStyle::State_Selected)) {
    const int record = index.row() + 1;
    painter->fillRect(option.rect, record % 2 ? kOddRowColour : kEvenRowColour);
  }
  delegate.QStyledItemDelegate::paint(painter, option, index);
}

void StripedRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  DrawStripedRow(painter, option, index, *this);
}

void SortByColumn(RecordGrid& grid, int column, int& state, int& sortedColumn) {
  if (column < 0 || column >= grid.columnCount()) return;
  const bool descending = state == 1;
  state = descending ? 2 : 1;
  grid.sortData(grid.columnField(column), descending);
  grid.setColumnTitle(column, grid.columnHint(column) + SortMarker(state));
  if (grid.columnTitleColour(column) == kSortedTitleColour) return;
  grid.setColumnTitleColour(column, kSortedTitleColour);
  if (sortedColumn >= 0 && sortedColumn != column && sortedColumn < grid.columnCount()) {
    grid.setColumnTitleColour(sortedColumn, InactiveCaptionTextColour(grid.palette()));
    grid.setColumnTitle(sortedColumn, grid.columnHint(sortedColumn));
  }
  sortedColumn = column;
}

records::DeleteOutcome DeleteSelectedRecords(RecordGrid& grid, UserPrompts& prompts, db::Connection& connection,
                                             const std::string& table, const std::string& keyField) {
  if (grid.isEmpty()) return {};
  std::vector<db::Variant> selected = grid.selectedKeys();
  const std::optional<db::Variant> current = grid.currentKey();
  records::DeleteListHooks hooks;
  hooks.afterStatement = [&grid] { grid.requery(); };
  hooks.listIsEmpty = [&grid] { return grid.isEmpty(); };
  hooks.moveTo = [&grid](const db::Variant& key) { grid.moveToKey(key); };
  return records::DeleteSelectedRecords(prompts, connection, table, keyField, current, selected, hooks);
}

}  // namespace velmora::gui
