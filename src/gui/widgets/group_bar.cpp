#include "gui/widgets/group_bar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

namespace velmora::gui {

namespace {
const QColor kGradientTop(255, 239, 227);
const QColor kGradientBottom(234, 187, 153);

const char* kHeaderStyle =
    "QToolButton { border: 1px solid #b88a66; border-radius: 2px; padding: 4px; font-weight: bold;"
    " color: #5a2d0c; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff6ee, stop:1 #e8c3a6); }"
    "QToolButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fffaf5, stop:1 #f0d2bb); }"
    "QToolButton:checked { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f7d6bd, stop:1 #dba27b); }";

const char* kItemStyle =
    "QToolButton { border: 1px solid transparent; border-radius: 3px; padding: 3px; color: #3b2413; }"
    "QToolButton:hover { border-color: #c58a5c; background: rgba(255,255,255,90); }"
    "QToolButton:pressed { background: rgba(200,140,100,90); }"
    "QToolButton:disabled { color: #9a8a7e; }";
}  // namespace

TGroupBar::TGroupBar(QWidget* parent) : QWidget(parent), outer_(new QVBoxLayout(this)) {
  outer_->setContentsMargins(2, 2, 2, 2);
  outer_->setSpacing(1);
  setMinimumWidth(0);
}

int TGroupBar::addGroup(const QString& caption) {
  Group g;
  int index = static_cast<int>(groups_.size());
  g.header = new QToolButton(this);
  g.header->setText(caption);
  g.header->setCheckable(true);
  g.header->setToolButtonStyle(Qt::ToolButtonTextOnly);
  g.header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  g.header->setStyleSheet(kHeaderStyle);
  connect(g.header, &QToolButton::clicked, this, [this, index] { setOpenGroup(index); });

  g.page = new QWidget;
  g.page->setAttribute(Qt::WA_TranslucentBackground);
  g.layout = new QVBoxLayout(g.page);
  g.layout->setContentsMargins(2, 6, 2, 6);
  g.layout->setSpacing(4);
  g.layout->addStretch(1);
  g.scroll = new QScrollArea(this);
  g.scroll->setWidget(g.page);
  g.scroll->setWidgetResizable(true);
  g.scroll->setFrameShape(QFrame::NoFrame);
  g.scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g.scroll->setStyleSheet("QScrollArea { background: transparent; } QScrollArea > QWidget > QWidget { background: transparent; }");
  g.scroll->viewport()->setAutoFillBackground(false);
  g.scroll->hide();

  outer_->addWidget(g.header);
  outer_->addWidget(g.scroll, 1);
  groups_.push_back(g);
  if (open_ < 0) setOpenGroup(index);
  return index;
}

QToolButton* TGroupBar::makeItem(int group, QAction* action) {
  auto* b = new QToolButton(groups_[group].page);
  b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  b->setIconSize(QSize(32, 32));
  b->setAutoRaise(true);
  b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  b->setStyleSheet(kItemStyle);
  b->setDefaultAction(action);
  Group& g = groups_[group];
  g.layout->insertWidget(g.layout->count() - 1, b);
  g.items.push_back(b);
  return b;
}

QToolButton* TGroupBar::addItem(int group, QAction* action) { return makeItem(group, action); }

QToolButton* TGroupBar::addItem(int group, const QString& caption, const QIcon& icon, QAction* action) {
  QToolButton* b = makeItem(group, action);
  // The button shows its own caption and image while running the action.
  auto apply = [b, caption, icon] {
    b->setText(caption);
    b->setIcon(icon);
  };
  apply();
  connect(action, &QAction::changed, b, apply);
  return b;
}

void TGroupBar::setOpenGroup(int group) {
  if (group < 0 || group >= groups_.size()) return;
  for (int i = 0; i < groups_.size(); ++i) {
    groups_[i].scroll->setVisible(i == group);
    groups_[i].header->setChecked(i == group);
  }
  if (open_ != group) {
    open_ = group;
    emit groupOpened(group);
  }
}

QString TGroupBar::groupCaption(int group) const { return groups_.value(group).header->text(); }

QList<QToolButton*> TGroupBar::items(int group) const { return groups_.value(group).items; }

QSize TGroupBar::sizeHint() const {
  const QMargins outer = outer_->contentsMargins();
  int width = 0;
  for (const Group& g : groups_) {
    width = std::max(width, g.header->sizeHint().width());
    const QMargins page = g.layout->contentsMargins();
    for (const QToolButton* b : g.items)
      if (!b->isHidden()) width = std::max(width, b->sizeHint().width() + page.left() + page.right());
  }
  QSize hint = QWidget::sizeHint();
  hint.setWidth(std::max(hint.width(), width + outer.left() + outer.right()));
  return hint;
}

void TGroupBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, kGradientTop);
  g.setColorAt(1, kGradientBottom);
  p.fillRect(rect(), g);
}

}  // namespace velmora::gui
