#pragma once
// "逻辑错误列表": the list of the rules the open record breaks. A tool window of the entry form (its
// parent), so that it takes input while the form is modal and stays above it; a double-click on an
// entry leads the form to the entry's page and field.

#include <QPointer>
#include <QTableWidget>
#include <QWidget>
#include <functional>

#include "core/checks/page_rules.h"

namespace velmora::gui {

class TMessageListWinForm : public QWidget, public checks::ErrorList {
  Q_OBJECT
 public:
  explicit TMessageListWinForm(QWidget* parent = nullptr);

  // Where the list opens: (90, 476) when that lies on the screen and clear of the rectangle to
  // keep free (the form's button row, in screen coordinates); otherwise below the form, else just
  // above the button row, shortened to the room there; always within the screen.
  static QRect Placement(const QRect& screen, QSize size, const QRect& keepFree, const QRect& form);

  // ErrorList
  void ClearEntries() override;
  void AddEntry(const std::string& rule, const std::string& explanation, const std::string& focus,
                int page) override;
  bool HasNoEntries() const override { return !HasEntries; }
  void Show() override;

  // Leads the entry form to a page (1 "表1" ... 7 "表7&&表8") and the control named like the focus.
  using Navigator = std::function<void(int page, const QString& focus)>;
  void setNavigator(Navigator navigator) { navigator_ = std::move(navigator); }
  // The part of the form the list must not cover (its save, return and navigation buttons).
  void setKeepClear(QWidget* widget) { keepClear_ = widget; }

  // Serves a double-click on a row: the page and field of that row's entry.
  void GridDblClick(int row);

  QTableWidget* Grid() const { return grid_; }
  int entryCount() const { return HasEntries ? grid_->rowCount() : 0; }

  bool HasEntries = false;  // row 1 holds a real entry
  bool Navigating = false;  // set while a double-click leads the form

  // Column indexes of the grid.
  enum Column { ColRule = 0, ColExplanation = 1, ColPage = 2, ColFocus = 3 };

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void fitRowHeight(int row, int column);
  void place();

  QTableWidget* grid_;
  Navigator navigator_;
  QPointer<QWidget> keepClear_;
};

}  // namespace velmora::gui
