#pragma once
// "选择删除的方式": deletes the selected records of the list, every record, or a range of codes.
// Stays open after a deletion.

#include <QDialog>

#include "core/prompts/user_prompts.h"
#include "core/session/session.h"

class QLineEdit;
class QRadioButton;
class QToolButton;

namespace velmora::gui {

class RecordGrid;
class RecordScopeBox;

class TdlgDeleteForm : public QDialog {
  Q_OBJECT
 public:
  TdlgDeleteForm(session::DatabaseSession& session, UserPrompts& prompts, RecordGrid& grid, QWidget* parent = nullptr);

  RecordScopeBox* scopeBox() const { return scope_; }
  QRadioButton* Selected() const;
  QRadioButton* AllRecord() const;
  QRadioButton* Range() const;
  QLineEdit* c901_1() const;
  QLineEdit* c901_2() const;
  QToolButton* tbDelete() const { return delete_; }
  QToolButton* tbReturn() const { return return_; }

  void tbDeleteClick();

 private:
  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  RecordGrid& grid_;
  RecordScopeBox* scope_;
  QToolButton* delete_;
  QToolButton* return_;
};

}  // namespace velmora::gui
