#pragma once
// An Outlook-style group bar: group headers stacked top to bottom, one group open at a time, the
// open group's large buttons in a column below its header.

#include <QAction>
#include <QList>
#include <QToolButton>
#include <QWidget>

class QVBoxLayout;
class QScrollArea;

namespace velmora::gui {

class TGroupBar : public QWidget {
  Q_OBJECT
 public:
  explicit TGroupBar(QWidget* parent = nullptr);

  int addGroup(const QString& caption);
  // A large button for an action (caption and image follow the action; it is enabled with it).
  QToolButton* addItem(int group, QAction* action);
  // A large button with its own caption and image (an item without an action); `action` runs it.
  QToolButton* addItem(int group, const QString& caption, const QIcon& icon, QAction* action);

  void setOpenGroup(int group);
  int openGroup() const { return open_; }
  int groupCount() const { return static_cast<int>(groups_.size()); }
  QString groupCaption(int group) const;
  // The buttons of a group in order (hidden ones included).
  QList<QToolButton*> items(int group) const;

  // Wide enough for every header and every shown item of every group, at the bar's font.
  QSize sizeHint() const override;

 signals:
  void groupOpened(int group);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  struct Group {
    QToolButton* header = nullptr;
    QWidget* page = nullptr;
    QVBoxLayout* layout = nullptr;
    QScrollArea* scroll = nullptr;
    QList<QToolButton*> items;
  };
  QToolButton* makeItem(int group, QAction* action);
  QVBoxLayout* outer_;
  QList<Group> groups_;
  int open_ = -1;
};


}  // namespace velmora::gui
