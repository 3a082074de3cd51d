#pragma once
// The code list of the cover's name controls: one pop-up menu on a hidden helper window, filled
// anew from a code cache (in cache order) each time a name control opens it. Choosing an item
// shows its name in the name control, makes the control remember its code and hands the code to
// the setter of the field.

#include <QMenu>
#include <QWidget>
#include <functional>

#include "core/survey/codes.h"

namespace velmora::gui {

class TCodeNameBox;

class TToolForm : public QWidget {
  Q_OBJECT
 public:
  explicit TToolForm(QWidget* parent = nullptr);

  QMenu* CodePopupMenu() const { return menu_; }

  // Fills the menu from the cache and opens it beside the name control (without waiting).
  void ShowCodePopup(TCodeNameBox& target, const survey::TMenuItemDataArray& cache,
                     std::function<void(int)> setter);
  // Where the menu opens for the name control, in screen coordinates.
  static QPoint PopupPoint(const TCodeNameBox& target);

 private:
  void itemClicked(QAction* item);

  QMenu* menu_;
  TCodeNameBox* target_ = nullptr;
  std::function<void(int)> setter_;
};

}  // namespace velmora::gui
