#pragma once
// The record list: a read-only grid over a paged record source. The row count is the record
// count from the start (so the scroll bar is right at once); rows are read in pages as they are
// painted. Columns come from the field catalogue; titles can be re-captioned and re-coloured by
// the sorting routine.

#include <QAbstractTableModel>
#include <QColor>
#include <QHeaderView>
#include <QTableView>
#include <optional>
#include <vector>

#include "core/catalogue/field_catalogue.h"
#include "core/prompts/user_prompts.h"
#include "core/records/record_source.h"
#include "core/session/session.h"

namespace velmora::gui {

// One grid column.
struct GridColumn {
  QString field;  // the data column shown ("" or unknown: an empty column)
  QString hint;   // the caption the column was built with
  QString title;  // the caption shown (the hint, with a sort marker while sorted)
  QColor titleColour;  // invalid: the header's normal text colour
  int width = 64;
  bool visible = true;
  Qt::Alignment alignment = Qt::AlignLeft;
};

class RecordListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit RecordListModel(records::RecordSource& source, QObject* parent = nullptr);

  void setColumns(std::vector<GridColumn> columns);
  const std::vector<GridColumn>& columns() const { return columns_; }
  GridColumn& column(int index) { return columns_[static_cast<std::size_t>(index)]; }
  void setAttached(bool attached);
  bool attached() const { return attached_; }
  // After the source was re-queried, re-sorted or re-opened.
  void sourceChanged();
  void titleChanged(int column);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  records::RecordSource& source_;
  std::vector<GridColumn> columns_;
  bool attached_ = true;
};

// Fixed cells painted in the list's colour: column titles, and the row indicator with a marker
// at the current row.
class GridHeader : public QHeaderView {
  Q_OBJECT
 public:
  GridHeader(Qt::Orientation orientation, QWidget* parent = nullptr);
  int currentRow = -1;

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

class RecordGrid : public QTableView {
  Q_OBJECT
 public:
  RecordGrid(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent = nullptr);
  ~RecordGrid() override;

  // The data: the view, condition and order of the list's records.
  records::RecordSource& source() { return source_; }

  // Columns from the catalogue (empty: the columns stay as they are). Before any catalogue the
  // grid shows every column of the data under its own name.
  void setFieldData(const catalogue::TFieldDataArray& fields);
  const catalogue::TFieldDataArray& fieldData() const { return fields_; }

  // Shows the data or nothing (the list panel hides the grid).
  void setAttached(bool attached);
  bool attached() const { return model_->attached(); }

  // Opens (or re-opens) the data, staying on the current record when it is still there.
  void open();
  // Reads the records again and returns to the current record (the last row when it is gone).
  void requery();
  void close();
  bool isOpen() const { return source_.isOpen(); }
  bool isEmpty() const { return !source_.isOpen() || source_.isEmpty(); }
  std::int64_t recordCount() const { return source_.isOpen() ? source_.count() : 0; }

  // The current row (the first row when none was chosen); -1 when the list is empty.
  int currentRow() const;
  void setCurrentRow(int row);
  void moveToKey(const db::Variant& key);
  std::optional<db::Variant> currentKey();
  // The selected rows' keys in list order.
  std::vector<db::Variant> selectedKeys();
  db::Variant value(int row, int column);

  // Sorting: the title click runs SortByColumn with the grid's own state.
  void sortByColumn(int column);
  // Direction state 1, no sorted column, the data in key order, a sorted title restored.
  void resetSort();
  // The column shown as sorted in the state's direction (its title marked and lime) without
  // re-ordering the data: the state a list starts in when its data comes in that order.
  void markSorted(int column, int state);
  int sortState() const { return sortState_; }
  int sortedColumn() const { return sortedColumn_; }
  // Re-orders the data, staying on the current record.
  void sortData(const QString& field, bool descending);

  // Column titles, as the sorting routine changes them.
  int columnCount() const { return model_->columnCount(); }
  QString columnField(int column) const;
  QString columnHint(int column) const;
  QString columnTitle(int column) const;
  void setColumnTitle(int column, const QString& title);
  QColor columnTitleColour(int column) const;
  void setColumnTitleColour(int column, const QColor& colour);

 signals:
  void modifyRequested();  // Enter pressed and released here, or a row double-clicked
  void addRequested();     // Insert pressed and released here
  void deleteRequested();  // Delete pressed and released here
  // The records were read again, opened or closed: the list may have become empty or filled.
  void recordsChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  int pressedKey_ = 0;  // the action key last pressed here; a release of any other is someone else's
  void applyColumnLayout();
  void resetModel();
  void returnTo(const std::optional<db::Variant>& key);
  void showError(const std::exception& e);

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  records::RecordSource source_;
  RecordListModel* model_;
  GridHeader* titles_;
  GridHeader* indicator_;
  catalogue::TFieldDataArray fields_;
  bool catalogueColumns_ = false;
  int currentRecord_ = -1;  // the current record, also while the data is detached
  int sortState_ = 0;
  int sortedColumn_ = -1;
};

}  // namespace velmora::gui
