#pragma once
// The routines every record list shares (the main list and the query result list): striped
// rows, sorting by a clicked column title, and deleting the current or selected rows.

#include <QColor>
#include <QStyledItemDelegate>
#include <string>

#include "core/db/connection.h"
#include "core/prompts/user_prompts.h"
#include "core/records/record_delete.h"

namespace velmora::gui {

class RecordGrid;

inline const QColor kOddRowColour(249, 251, 231);
inline const QColor kEvenRowColour(219, 219, 241);
inline const QColor kSortedTitleColour(0, 255, 0);
inline const QColor kFixedCellColour(193, 216, 249);

// Sort markers by sort state (1 ascending, 2 descending).
QString SortMarker(int state);
// The title colour of a column that was sorted before: the palette's inactive caption text.
QColor InactiveCaptionTextColour(const QPalette& palette);

// Paints one cell: striped by record number (the first row is 1, odd rows RGB 249,251,231, even
// rows RGB 219,219,241) unless it is painted in the selection colour, then in the usual way.
void DrawStripedRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                    const QStyledItemDelegate& delegate);

// The delegate of a striped list.
class StripedRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// Sorts the grid's data by the column: the direction alternates on every call whatever the column
// (state 0 or 2 -> ascending, state 1 -> descending); the column's title becomes its Hint and the
// marker and turns lime; the previously sorted column gets its Hint back in the inactive caption
// colour. `state` and `sortedColumn` (-1 for none) are the caller's.
void SortByColumn(RecordGrid& grid, int column, int& state, int& sortedColumn);

// Deletes the grid's current or selected rows from `table` (questions through the prompts), the
// grid re-queried after each statement and returned to its row (the last row when it is gone).
records::DeleteOutcome DeleteSelectedRecords(RecordGrid& grid, UserPrompts& prompts, db::Connection& connection,
                                             const std::string& table, const std::string& keyField);

}  // namespace velmora::gui
