#pragma once
// The splitter between the group bar and the list: a 7-pixel size bar. Dragging it resizes the
// left panel at once; a click on the hot spot in its middle collapses the panel or restores it.

#include <QSplitter>
#include <QSplitterHandle>

namespace velmora::gui {

class TSizeBarHandle : public QSplitterHandle {
  Q_OBJECT
 public:
  TSizeBarHandle(Qt::Orientation o, QSplitter* parent) : QSplitterHandle(o, parent) {}
  QRect hotSpot() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  bool pressedOnHotSpot_ = false;
};

class TSizeBarSplitter : public QSplitter {
  Q_OBJECT
 public:
  explicit TSizeBarSplitter(QWidget* parent = nullptr);
  bool leftCollapsed() const;
  // Collapses the left panel, or restores it to its last width.
  void toggleLeft();

 protected:
  QSplitterHandle* createHandle() override { return new TSizeBarHandle(orientation(), this); }

 private:
  int restoreWidth_ = 108;
};

}  // namespace velmora::gui
