#pragma once
// "自定义列表项": one check box per catalogue field, on the page of the entry form it sits on;
// saving makes the checked fields the visible list columns.

#include <QDialog>
#include <functional>
#include <vector>

#include "core/db/connection.h"
#include "core/prompts/user_prompts.h"

class QCheckBox;
class QTabWidget;
class QToolButton;

namespace velmora::gui {

class TdlgShowForm : public QDialog {
  Q_OBJECT
 public:
  TdlgShowForm(db::Connection& connection, UserPrompts& prompts, QWidget* parent = nullptr);

  // Called after a successful save, before "保存成功" (the owner reloads its catalogue).
  std::function<void()> onSaved;

  QTabWidget* DataPage() const { return pages_; }
  const std::vector<QCheckBox*>& checkBoxes() const { return boxes_; }
  QToolButton* tbSave() const { return save_; }
  QToolButton* tbReturn() const { return return_; }

  void tbSaveClick();

 private:
  QWidget* addPage(const QString& title);
  db::Connection& connection_;
  UserPrompts& prompts_;
  QTabWidget* pages_;
  std::vector<QCheckBox*> boxes_;
  QToolButton* save_;
  QToolButton* return_;
};

}  // namespace velmora::gui
