#pragma once
// "查询结果列表": the records a search selected, in the record list's own grid (paged, so a
// condition matching a million records opens at once), with their count; modify through the entry
// form over this list, delete through the list routines. The export menu's entries are enabled
// once their routines are handed in.

#include <QDialog>
#include <functional>
#include <string>

#include "core/prompts/user_prompts.h"
#include "core/session/session.h"

class QAction;
class QLabel;
class QMenu;
class QToolButton;

namespace velmora::gui {

class RecordGrid;

class TdlgQueryListForm : public QDialog {
  Q_OBJECT
 public:
  TdlgQueryListForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent = nullptr);
  ~TdlgQueryListForm() override;

  // Opens the records of view_data meeting the condition ("where ..."), in code order, under the
  // catalogue's visible columns. False when the engine refused it (its text has been shown).
  bool SetCondition(const std::string& condition);
  const std::string& condition() const { return condition_; }
  session::DatabaseSession& session() const { return session_; }
  UserPrompts& prompts() const { return prompts_; }

  // Opens the entry form in modifying mode over this list (set by the main window).
  std::function<void(RecordGrid&)> modifyRecord;
  // The exports of the result; an entry stays disabled while its routine is not set.
  void setExports(std::function<void(TdlgQueryListForm&)> saveAsExcel,
                  std::function<void(TdlgQueryListForm&)> saveAsAccess);

  RecordGrid* DBGrid1() const { return grid_; }
  QLabel* CountLabel() const { return count_; }
  QToolButton* tbEdit() const { return edit_; }
  QToolButton* tbDelete() const { return delete_; }
  QToolButton* tbDataExport() const { return export_; }
  QToolButton* tbReturn() const { return return_; }
  QAction* mnSaveAsAccess() const { return saveAccess_; }
  QAction* mnSaveAsExecel() const { return saveExcel_; }

  void tbEditClick();
  void tbDeleteClick();

 private:
  void loadColumns();

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  std::string condition_;
  RecordGrid* grid_;
  QLabel* count_;
  QToolButton* edit_;
  QToolButton* delete_;
  QToolButton* export_;
  QToolButton* return_;
  QMenu* exportMenu_;
  QAction* saveAccess_;
  QAction* saveExcel_;
  std::function<void(TdlgQueryListForm&)> saveAsExcel_, saveAsAccess_;
};

}  // namespace velmora::gui
