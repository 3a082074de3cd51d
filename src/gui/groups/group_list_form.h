#pragma once
// The list of custom groups ("自定义分组列表"): add a group (named through the input box), edit its
// items, remove it, and move the groups to or from a transfer file.

#include <QDialog>
#include <cstdint>
#include <vector>

#include "core/groups/groups.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"

class QPushButton;
class QTableWidget;

namespace velmora::gui {

class TdlgGroupItemForm;
class TProgressBarForm;

class TdlgGroupListForm : public QDialog {
  Q_OBJECT
 public:
  // `prompts` asks for the name of a new group and the removal question; the transfers speak
  // through the session's prompts.
  TdlgGroupListForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent = nullptr);

  QTableWidget* DBGrid1() const { return grid_; }
  QPushButton* tbAdd() const { return add_; }
  QPushButton* tbRemove() const { return remove_; }
  QPushButton* tbEdit() const { return edit_; }
  QPushButton* btnImport() const { return import_; }
  QPushButton* btnExport() const { return export_; }
  QPushButton* btnReturn() const { return return_; }
  const std::vector<groups::Group>& groupRows() const { return groups_; }

  // Reads the list again, keeping the current group when it is still there.
  void Requery();

 private:
  void setButtons();
  void addGroup();
  void editCurrent();
  void removeCurrent();
  void importGroups();
  void exportGroups();
  void openItems(std::int64_t id, const QString& name);
  int currentRow() const;
  void showError(const std::exception& e);

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  std::vector<groups::Group> groups_;
  QTableWidget* grid_;
  QPushButton* add_;
  QPushButton* remove_;
  QPushButton* edit_;
  QPushButton* import_;
  QPushButton* export_;
  QPushButton* return_;
  TProgressBarForm* progress_;
};

}  // namespace velmora::gui
