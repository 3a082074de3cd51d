#include "gui/entry/message_list_win.h"

#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScopeGuard>
#include <QVBoxLayout>
#include <algorithm>

namespace velmora::gui {

namespace {

constexpr int kDefaultRowHeight = 18;
constexpr int kFixedColumnWidth = 32;
constexpr int kColumnWidths[] = {340, 321, 73, 70};
constexpr QSize kDefaultSize(900, 258);

}  // namespace

TMessageListWinForm::TMessageListWinForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
  setObjectName("TMessageListWinForm");
  setWindowTitle("逻辑错误列表");
  resize(kDefaultSize);
  setAutoFillBackground(true);
  QPalette yellow = palette();
  yellow.setColor(QPalette::Window, QColor(255, 255, 225));
  yellow.setColor(QPalette::Base, QColor(255, 255, 225));
  setPalette(yellow);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  grid_ = new QTableWidget(1, 4, this);
  grid_->setObjectName("StringGrid1");
  grid_->setHorizontalHeaderLabels({"逻辑关系", "说明", "页号", "变量"});
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setShowGrid(true);
  grid_->setWordWrap(true);
  grid_->setPalette(yellow);
  QHeaderView* rows = grid_->verticalHeader();
  rows->setFixedWidth(kFixedColumnWidth);
  rows->setDefaultSectionSize(kDefaultRowHeight);
  rows->setMinimumSectionSize(kDefaultRowHeight);
  rows->setSectionResizeMode(QHeaderView::Interactive);
  rows->setDefaultAlignment(Qt::AlignCenter);
  QHeaderView* columns = grid_->horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setFixedHeight(kDefaultRowHeight + 2);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int c = 0; c < 4; ++c) grid_->setColumnWidth(c, kColumnWidths[c]);
  layout->addWidget(grid_);

  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { GridDblClick(row); });
  ClearEntries();
}

void TMessageListWinForm::ClearEntries() {
  HasEntries = false;
  grid_->clearContents();
  grid_->setRowCount(1);
  grid_->setRowHeight(0, kDefaultRowHeight);
  hide();
}

void TMessageListWinForm::AddEntry(const std::string& rule, const std::string& explanation, const std::string& focus,
                                   int page) {
  int row = 0;
  if (HasEntries) {
    row = grid_->rowCount();
    grid_->setRowCount(row + 1);
    grid_->setRowHeight(row, kDefaultRowHeight);
  } else {
    HasEntries = true;
  }
  const QString cells[] = {QString::fromStdString(rule), QString::fromStdString(explanation), QString::number(page),
                           QString::fromStdString(focus)};
  for (int c = 0; c < 4; ++c) {
    auto* item = new QTableWidgetItem(cells[c]);
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid_->setItem(row, c, item);
  }
  fitRowHeight(row, ColRule);
  fitRowHeight(row, ColExplanation);
}

// The row grows to the height its text needs in the column's width, wrapped as the cell wraps,
// plus 8 pixels; it never shrinks.
void TMessageListWinForm::fitRowHeight(int row, int column) {
  const QTableWidgetItem* item = grid_->item(row, column);
  if (!item) return;
  const QFontMetrics metrics(grid_->font());
  const int width = std::max(1, grid_->columnWidth(column) - 6);
  const QRect needed = metrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap | Qt::AlignLeft, item->text());
  grid_->setRowHeight(row, std::max(grid_->rowHeight(row), needed.height() + 8));
}

void TMessageListWinForm::Show() {
  show();
  raise();
}

QRect TMessageListWinForm::Placement(const QRect& screen, QSize size, const QRect& keepFree, const QRect& form) {
  constexpr int kMinimumHeight = 120;
  size = size.boundedTo(screen.size());
  auto fits = [&](const QRect& r) { return screen.contains(r) && !(keepFree.isValid() && r.intersects(keepFree)); };
  auto withinScreen = [&](QRect r) {
    r.moveLeft(std::clamp(r.left(), screen.left(), screen.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), screen.top(), screen.bottom() - r.height() + 1));
    return r;
  };
  const QRect preferred(QPoint(90, 476), size);
  if (fits(preferred)) return preferred;
  if (form.isValid()) {
    const QRect below = withinScreen(QRect(QPoint(preferred.left(), form.bottom() + 1), size));
    if (fits(below)) return below;
  }
  if (keepFree.isValid()) {
    // above the button row, over the lower part of the form (its notes)
    const int bottom = std::min(keepFree.top() - 1, screen.bottom());
    const int height = std::clamp(bottom - screen.top() + 1, 1, size.height());
    if (height >= kMinimumHeight || height == size.height()) {
      QRect above = withinScreen(QRect(QPoint(preferred.left(), bottom - height + 1), QSize(size.width(), height)));
      if (fits(above)) return above;
    }
  }
  return withinScreen(preferred);
}

void TMessageListWinForm::place() {
  QWidget* form = parentWidget() ? parentWidget()->window() : nullptr;
  QScreen* on = form ? form->screen() : screen();
  if (!on) return;
  QRect keepFree, formFrame;
  if (form) formFrame = form->frameGeometry();
  if (keepClear_) keepFree = QRect(keepClear_->mapToGlobal(QPoint(0, 0)), keepClear_->size());
  // the frame around the client area counts too
  const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                       frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
  const QRect outer = Placement(on->availableGeometry(), kDefaultSize.grownBy(frame), keepFree, formFrame);
  const QRect inner = outer.marginsRemoved(frame);
  resize(inner.size());
  move(outer.topLeft());
}

void TMessageListWinForm::showEvent(QShowEvent* event) {
  place();
  QWidget::showEvent(event);
}

void TMessageListWinForm::changeEvent(QEvent* event) {
  // Losing activation puts the program's stay-on-top windows back on top.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && (w->windowFlags() & Qt::WindowStaysOnTopHint)) w->raise();
  }
  QWidget::changeEvent(event);
}

void TMessageListWinForm::GridDblClick(int row) {
  if (Navigating) return;
  Navigating = true;
  const auto done = qScopeGuard([this] {
    grid_->setCurrentCell(0, 0);
    Navigating = false;
  });
  if (!HasEntries || row < 0 || row >= grid_->rowCount()) return;
  const QTableWidgetItem* page = grid_->item(row, ColPage);
  const QTableWidgetItem* focus = grid_->item(row, ColFocus);
  if (!page || !focus || !navigator_) return;
  navigator_(page->text().toInt(), focus->text().trimmed());
}

}  // namespace velmora::gui
