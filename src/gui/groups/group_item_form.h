#pragma once
// The item dialog of one custom group ("自定义分组"): the group's name with its save button, the
// grid of items (title, lower and upper limit) in the group's stored order or sorted by a click on a
// column title (storing an item keeps the order on screen), and the editors of an item with the two
// symbol boxes that open the code list (drop-down button, Alt+Down or F4).

#include <QDialog>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/db/connection.h"
#include "core/groups/groups.h"
#include "core/prompts/user_prompts.h"

class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QAction;

namespace velmora::gui {

class TCodeNameBox;
class TToolForm;

class TdlgGroupItemForm : public QDialog {
  Q_OBJECT
 public:
  TdlgGroupItemForm(db::Connection& connection, UserPrompts& prompts, std::int64_t groupId, const QString& groupName,
                    QWidget* parent = nullptr);

  // The fields of the grid's columns, in order.
  static const QStringList& ColumnFields();

  QLineEdit* GroupName() const { return groupName_; }
  QPushButton* tbSave() const { return save_; }
  QTableWidget* DBGrid1() const { return grid_; }
  QLineEdit* name() const { return name_; }
  TCodeNameBox* LeftSymbol() const { return leftSymbol_; }
  TCodeNameBox* RightSymbol() const { return rightSymbol_; }
  QLineEdit* LowBoundary() const { return lowBoundary_; }
  QLineEdit* HighBoundary() const { return highBoundary_; }
  QPushButton* tbAdd() const { return add_; }
  QPushButton* tbRemove() const { return remove_; }
  QPushButton* tbEdit() const { return edit_; }
  QPushButton* tbReturn() const { return return_; }
  TToolForm* codePopup() const { return popup_; }
  const groups::SortState& sortState() const { return sort_; }
  const std::vector<groups::Item>& items() const { return items_; }

  // Stores the editors as a new item (append) or into the current one; the refusing message is
  // shown and nothing stored when the title is empty or the bounds do not increase.
  bool StoreItem(bool append);
  // A click on the title of column `column`.
  void SortByColumn(int column);

 signals:
  void groupRenamed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The parts of the window, built in the order they sit in it.
  QWidget* buildNameBar(const QString& groupName);
  QTableWidget* buildGrid();
  QGroupBox* buildEditors();
  QHBoxLayout* buildButtons();
  void connectSignals();
  void showFirstState();
  void loadItems(const std::string& order);
  void copyCurrentToEditors();
  void updateButtons();
  void removeItem();
  void saveName();
  void showError(const std::exception& e);
  groups::ItemDraft draft() const;
  int currentRow() const;
  void openSymbols(TCodeNameBox* box, const survey::TMenuItemDataArray& symbols);

  db::Connection& connection_;
  UserPrompts& prompts_;
  std::int64_t groupId_;
  groups::SortState sort_;
  std::string order_;  // the order the items are shown in (empty: id ASC)
  std::vector<groups::Item> items_;

  QLineEdit* groupName_;
  QPushButton* save_;
  QTableWidget* grid_;
  QGroupBox* box_;
  QLineEdit* name_;
  TCodeNameBox* leftSymbol_;
  TCodeNameBox* rightSymbol_;
  QLineEdit* lowBoundary_;
  QLineEdit* highBoundary_;
  QPushButton* add_;
  QPushButton* remove_;
  QPushButton* edit_;
  QPushButton* return_;
  TToolForm* popup_;
};

}  // namespace velmora::gui
