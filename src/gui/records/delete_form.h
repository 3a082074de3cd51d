#pragma once
// "选择删除的方式": deletes the selected records of the list, every record, or a range of codes.
// Stays open after a deletion.

#include <QDialog>

#include "core/db/session.h"
#include "core/prompts/user_prompts.h"

class QLineEdit;
class QRadioButton;
class QToolButton;

namespace velmora::gui {

class RecordGrid;

class TdlgDeleteForm : public QDialog {
  Q_OBJECT
 public:
  TdlgDeleteForm(db::DatabaseSession& session, UserPrompts& prompts, RecordGrid& grid, QWidget* parent = nullptr);

  QRadioButton* Selected() const { return selected_; }
  QRadioButton* AllRecord() const { return allRecord_; }
  QRadioButton* Range() const { return range_; }
  QLineEdit* c901_1() const { return from_; }
  QLineEdit* c901_2() const { return to_; }
  QToolButton* tbDelete() const { return delete_; }
  QToolButton* tbReturn() const { return return_; }

  void tbDeleteClick();

 private:
  db::DatabaseSession& session_;
  UserPrompts& prompts_;
  RecordGrid& grid_;
  QRadioButton* selected_;
  QRadioButton* allRecord_;
  QRadioButton* range_;
  QLineEdit* from_;
  QLineEdit* to_;
  QToolButton* delete_;
  QToolButton* return_;
};

}  // namespace velmora::gui
