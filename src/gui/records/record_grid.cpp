#include "gui/records/record_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "core/entry/field_groups.h"
#include "gui/records/grid_routines.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

QFont SongTi(int pixels) {
  QFont font(QStringLiteral("宋体"));
  font.setPixelSize(pixels);
  return font;
}

}  // namespace

// ---- model ----

RecordListModel::RecordListModel(records::RecordSource& source, QObject* parent)
    : QAbstractTableModel(parent), source_(source) {}

void RecordListModel::setColumns(std::vector<GridColumn> columns) {
  beginResetModel();
  columns_ = std::move(columns);
  endResetModel();
}

void RecordListModel::setAttached(bool attached) {
  if (attached == attached_) return;
  beginResetModel();
  attached_ = attached;
  endResetModel();
}

void RecordListModel::sourceChanged() {
  beginResetModel();
  endResetModel();
}

void RecordListModel::titleChanged(int column) { emit headerDataChanged(Qt::Horizontal, column, column); }

int RecordListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !attached_ || !source_.isOpen()) return 0;
  return static_cast<int>(std::min<std::int64_t>(source_.count(), std::numeric_limits<int>::max()));
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= static_cast<int>(columns_.size())) return {};
  const GridColumn& c = columns_[static_cast<std::size_t>(index.column())];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(c.alignment | Qt::AlignVCenter);
  if (role != Qt::DisplayRole || !attached_ || !c.visible) return {};
  try {
    const db::Variant v = source_.value(index.row(), index.column());
    if (v.isNull()) return {};
    return QText(v.toString());
  } catch (const std::exception&) {
    return {};  // the connection went away: the list is re-opened by its owner
  }
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columns_.size())) return {};
  const GridColumn& c = columns_[static_cast<std::size_t>(section)];
  switch (role) {
    case Qt::DisplayRole: return c.title;
    case Qt::ForegroundRole: return c.titleColour.isValid() ? QVariant(c.titleColour) : QVariant();
    case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default: return {};
  }
}

// ---- header ----

GridHeader::GridHeader(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!rect.isValid()) return;
  painter->save();
  painter->fillRect(rect, kFixedCellColour);
  painter->setPen(Qt::white);
  painter->drawLine(rect.topLeft(), rect.topRight());
  painter->drawLine(rect.topLeft(), rect.bottomLeft());
  painter->setPen(QColor(128, 128, 128));
  painter->drawLine(rect.bottomLeft(), rect.bottomRight());
  painter->drawLine(rect.topRight(), rect.bottomRight());
  if (orientation() == Qt::Horizontal) {
    const QVariant colour = model() ? model()->headerData(logicalIndex, Qt::Horizontal, Qt::ForegroundRole) : QVariant();
    painter->setPen(colour.isValid() ? colour.value<QColor>() : palette().color(QPalette::ButtonText));
    painter->setFont(font());
    const QString text = model() ? model()->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString() : QString();
    const QRect inner = rect.adjusted(3, 1, -3, -1);
    painter->drawText(inner, Qt::AlignCenter, painter->fontMetrics().elidedText(text, Qt::ElideRight, inner.width()));
  } else if (logicalIndex == currentRow) {
    // The row indicator: a small triangle pointing at the current row.
    const QPointF c = QRectF(rect).center();
    QPainterPath arrow;
    arrow.moveTo(c.x() - 2.5, c.y() - 4);
    arrow.lineTo(c.x() + 2.5, c.y());
    arrow.lineTo(c.x() - 2.5, c.y() + 4);
    arrow.closeSubpath();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(arrow, Qt::black);
  }
  painter->restore();
}

// ---- grid ----

RecordGrid::RecordGrid(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent)
    : QTableView(parent), session_(session), prompts_(prompts), source_(session.SysADOConnection()) {
  model_ = new RecordListModel(source_, this);
  titles_ = new GridHeader(Qt::Horizontal, this);
  indicator_ = new GridHeader(Qt::Vertical, this);
  setHorizontalHeader(titles_);
  setVerticalHeader(indicator_);
  setModel(model_);
  setItemDelegate(new StripedRowDelegate(this));

  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setShowGrid(true);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setFont(SongTi(12));
  titles_->setFont(SongTi(13));
  titles_->setSectionsClickable(true);
  titles_->setHighlightSections(false);
  titles_->setSectionResizeMode(QHeaderView::Interactive);
  titles_->setDefaultAlignment(Qt::AlignCenter);
  titles_->setMinimumHeight(22);
  indicator_->setSectionResizeMode(QHeaderView::Fixed);
  indicator_->setDefaultSectionSize(19);
  indicator_->setFixedWidth(12);
  // The selection shows also without the focus.
  QPalette p = palette();
  p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
  p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(p);

  connect(titles_, &QHeaderView::sectionClicked, this, [this](int column) {
    if (source_.isOpen()) sortByColumn(column);
  });
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& now) {
    indicator_->currentRow = now.isValid() ? now.row() : -1;
    indicator_->viewport()->update();
  });
}

RecordGrid::~RecordGrid() = default;

void RecordGrid::showError(const std::exception& e) { prompts_.message(e.what(), MessageKind::Error); }

void RecordGrid::setFieldData(const catalogue::TFieldDataArray& fields) {
  if (fields.empty()) return;
  fields_ = fields;
  catalogueColumns_ = true;
  std::vector<GridColumn> columns;
  std::vector<std::string> names;
  for (const auto& f : fields) {
    GridColumn c;
    c.field = QText(f.ShowName);
    c.hint = c.title = QText(f.Hint);
    c.width = f.FieldWidth;
    c.visible = f.Visible;
    // indicator values are numbers: right-aligned, so that their digits stand in columns
    c.alignment = f.ShowName == "RecordState"        ? Qt::AlignHCenter
                  : entry::IsIndicator(f.ShowName) ? Qt::AlignRight
                                                   : Qt::AlignLeft;
    columns.push_back(c);
    names.push_back(f.Visible ? f.ShowName : std::string());  // hidden columns are not read
  }
  source_.setColumns(names);
  model_->setColumns(std::move(columns));
  applyColumnLayout();
}

void RecordGrid::applyColumnLayout() {
  const auto& columns = model_->columns();
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    setColumnHidden(i, !columns[static_cast<std::size_t>(i)].visible);
    setColumnWidth(i, columns[static_cast<std::size_t>(i)].width);
  }
}

void RecordGrid::resetModel() {
  // Widths the user dragged survive the reset.
  for (int i = 0; i < model_->columnCount(); ++i)
    if (!isColumnHidden(i) && columnWidth(i) > 0) model_->column(i).width = columnWidth(i);
  model_->sourceChanged();
  applyColumnLayout();
  indicator_->currentRow = -1;
  emit recordsChanged();
}

void RecordGrid::setAttached(bool attached) {
  if (attached == model_->attached()) return;
  const int row = currentRecord_;
  model_->setAttached(attached);
  applyColumnLayout();
  if (attached && row >= 0) setCurrentRow(row);
}

void RecordGrid::open() {
  std::optional<db::Variant> key;
  if (!isEmpty()) key = currentKey();
  source_.close();
  try {
    source_.open();
  } catch (const std::exception& e) {
    resetModel();
    currentRecord_ = -1;
    showError(e);
    return;
  }
  if (!catalogueColumns_) {
    std::vector<GridColumn> columns;
    for (const auto& name : source_.viewColumns()) {
      GridColumn c;
      c.field = c.hint = c.title = QText(name);
      columns.push_back(c);
    }
    model_->setColumns(std::move(columns));
  }
  resetModel();
  returnTo(key);
}

void RecordGrid::requery() {
  if (!source_.isOpen()) {
    open();
    return;
  }
  std::optional<db::Variant> key = currentKey();
  try {
    source_.requery();
  } catch (const std::exception& e) {
    showError(e);
  }
  resetModel();
  returnTo(key);
}

void RecordGrid::close() {
  source_.close();
  resetModel();
  currentRecord_ = -1;
}

void RecordGrid::returnTo(const std::optional<db::Variant>& key) {
  if (isEmpty()) {
    currentRecord_ = -1;
    return;
  }
  std::int64_t row = 0;
  if (key) {
    try {
      row = source_.rowOfKey(*key);
    } catch (const std::exception&) {
      row = -1;
    }
    if (row < 0) row = source_.count() - 1;  // the row is gone: the last row
  }
  setCurrentRow(static_cast<int>(row));
}

int RecordGrid::currentRow() const {
  if (isEmpty()) return -1;
  return std::clamp<int>(currentRecord_, 0, static_cast<int>(source_.count() - 1));
}

void RecordGrid::setCurrentRow(int row) {
  if (isEmpty()) return;
  row = std::clamp<int>(row, 0, static_cast<int>(source_.count() - 1));
  currentRecord_ = row;
  if (!model_->attached()) return;
  int column = 0;
  while (column < model_->columnCount() && isColumnHidden(column)) ++column;
  const QModelIndex index = model_->index(row, std::min(column, std::max(0, model_->columnCount() - 1)));
  if (!index.isValid()) return;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
}

void RecordGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (current.isValid()) currentRecord_ = current.row();
}

void RecordGrid::moveToKey(const db::Variant& key) {
  std::int64_t row = -1;
  try {
    row = source_.rowOfKey(key);
  } catch (const std::exception&) {
    return;
  }
  if (row < 0) return;
  currentRecord_ = static_cast<int>(row);
  if (!model_->attached()) return;
  const QModelIndex index = model_->index(static_cast<int>(row), currentIndex().isValid() ? currentIndex().column() : 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  scrollTo(index);
}

std::optional<db::Variant> RecordGrid::currentKey() {
  const int row = currentRow();
  if (row < 0) return std::nullopt;
  try {
    db::Variant key = source_.key(row);
    if (key.isNull()) return std::nullopt;
    return key;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::vector<db::Variant> RecordGrid::selectedKeys() {
  std::vector<int> rows;
  if (model_->attached() && selectionModel()) {
    for (const QItemSelectionRange& range : selectionModel()->selection())
      for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::vector<db::Variant> keys;
  keys.reserve(rows.size());
  try {
    for (int r : rows) {
      db::Variant k = source_.key(r);
      if (!k.isNull()) keys.push_back(std::move(k));
    }
  } catch (const std::exception& e) {
    showError(e);
  }
  return keys;
}

db::Variant RecordGrid::value(int row, int column) {
  try {
    return source_.value(row, column);
  } catch (const std::exception&) {
    return {};
  }
}

void RecordGrid::sortByColumn(int column) { SortByColumn(*this, column, sortState_, sortedColumn_); }

void RecordGrid::resetSort() {
  if (sortedColumn_ >= 0 && sortedColumn_ < columnCount()) {
    setColumnTitle(sortedColumn_, columnHint(sortedColumn_));
    setColumnTitleColour(sortedColumn_, QColor());
  }
  sortState_ = 1;
  sortedColumn_ = -1;
  if (source_.sortColumn().empty() && !source_.sortDescending()) return;
  sortData(QString(), false);
}

void RecordGrid::markSorted(int column, int state) {
  if (column < 0 || column >= columnCount()) return;
  sortState_ = state;
  sortedColumn_ = column;
  setColumnTitle(column, columnHint(column) + SortMarker(state));
  setColumnTitleColour(column, kSortedTitleColour);
}

void RecordGrid::sortData(const QString& field, bool descending) {
  std::optional<db::Variant> key = isEmpty() ? std::nullopt : currentKey();
  source_.setSort(field.toStdString(), descending);
  if (!source_.isOpen()) return;
  resetModel();
  returnTo(key);
}

QString RecordGrid::columnField(int column) const {
  return column >= 0 && column < columnCount() ? model_->columns()[static_cast<std::size_t>(column)].field : QString();
}
QString RecordGrid::columnHint(int column) const {
  return column >= 0 && column < columnCount() ? model_->columns()[static_cast<std::size_t>(column)].hint : QString();
}
QString RecordGrid::columnTitle(int column) const {
  return column >= 0 && column < columnCount() ? model_->columns()[static_cast<std::size_t>(column)].title : QString();
}
QColor RecordGrid::columnTitleColour(int column) const {
  return column >= 0 && column < columnCount() ? model_->columns()[static_cast<std::size_t>(column)].titleColour
                                               : QColor();
}
void RecordGrid::setColumnTitle(int column, const QString& title) {
  if (column < 0 || column >= columnCount()) return;
  model_->column(column).title = title;
  model_->titleChanged(column);
}
void RecordGrid::setColumnTitleColour(int column, const QColor& colour) {
  if (column < 0 || column >= columnCount()) return;
  model_->column(column).titleColour = colour;
  model_->titleChanged(column);
}

namespace {
bool IsActionKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Insert || key == Qt::Key_Delete;
}
}  // namespace

void RecordGrid::keyPressEvent(QKeyEvent* event) {
  if (IsActionKey(event->key())) pressedKey_ = event->key();
  QTableView::keyPressEvent(event);
}

void RecordGrid::focusOutEvent(QFocusEvent* event) {
  pressedKey_ = 0;
  QTableView::focusOutEvent(event);
}

// The actions follow a key's release, and only of a key whose press came here too: the release of
// Enter that closed a message box falls through to the list and must not open a record.
void RecordGrid::keyReleaseEvent(QKeyEvent* event) {
  const int pressed = pressedKey_;
  if (!event->isAutoRepeat() && IsActionKey(event->key())) pressedKey_ = 0;
  if (event->isAutoRepeat() || event->key() != pressed) {
    QTableView::keyReleaseEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: emit modifyRequested(); break;
    case Qt::Key_Insert: emit addRequested(); break;
    case Qt::Key_Delete: emit deleteRequested(); break;
    default: break;
  }
  QTableView::keyReleaseEvent(event);
}

void RecordGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (indexAt(event->position().toPoint()).isValid()) emit modifyRequested();
}

}  // namespace velmora::gui
