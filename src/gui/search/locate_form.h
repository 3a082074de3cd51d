#pragma once
// "定位数据记录": moves the main list to one record, by its code exactly or by a part of its name.
// The list is paged: the record's row comes from a count by key, so the rows before it are never
// read. The radio buttons follow the box being typed into. It opens in the code box; Enter
// locates.

#include <QDialog>

#include "core/db/connection.h"
#include "core/prompts/user_prompts.h"

class QRadioButton;
class QToolButton;

namespace velmora::gui {

class RecordGrid;
class TNumericEdit;
class ValidEdit;

class TdlgLocateForm : public QDialog {
  Q_OBJECT
 public:
  TdlgLocateForm(db::Connection& connection, UserPrompts& prompts, RecordGrid& grid, QWidget* parent = nullptr);

  QRadioButton* rad901() const { return rad901_; }
  QRadioButton* rad902() const { return rad902_; }
  TNumericEdit* c901() const { return c901_; }
  ValidEdit* c902() const { return c902_; }
  QToolButton* tbSum() const { return sum_; }
  QToolButton* tbReturn() const { return return_; }

  // Found: the list's current row moves there and the dialog closes; else the message.
  void tbSumClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool moveTo(const db::Variant& code);

  db::Connection& connection_;
  UserPrompts& prompts_;
  RecordGrid& grid_;
  QRadioButton *rad901_, *rad902_;
  TNumericEdit* c901_;
  ValidEdit* c902_;
  QToolButton *sum_, *return_;
};

}  // namespace velmora::gui
