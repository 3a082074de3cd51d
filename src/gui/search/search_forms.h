#pragma once
// The two searches: "查询数据" by a range of statistical codes and "指标查询" by the range of one
// indicator (chosen in "选择指标"). Operators and the connector are read-only name controls whose
// drop-down button, Alt+Down or F4 opens the shared code pop-up; the control's remembered code is
// the choice (-1 none). Every field is a tab stop in reading order and Enter runs "查  找". A
// search hands its condition to `showResults`, which shows the result list and answers false when
// the engine refused the condition (its text shown; the dialog stays).

#include <QDialog>
#include <functional>
#include <string>

#include "core/db/connection.h"
#include "core/prompts/user_prompts.h"
#include "core/search/search_conditions.h"

class QListWidget;
class QToolButton;

namespace velmora::gui {

class TCodeNameBox;
class TNumericEdit;
class TToolForm;
class ValidEdit;

class TdlgSearchForm : public QDialog {
  Q_OBJECT
 public:
  explicit TdlgSearchForm(UserPrompts& prompts, QWidget* parent = nullptr);

  std::function<bool(const std::string& condition)> showResults;

  TCodeNameBox* lc1() const { return lc1_; }
  TCodeNameBox* lc2() const { return lc2_; }
  TCodeNameBox* lc3() const { return lc3_; }
  TNumericEdit* number1() const { return number1_; }
  TNumericEdit* number2() const { return number2_; }
  QToolButton* tbSum() const { return sum_; }
  QToolButton* tbReturn() const { return return_; }
  TToolForm* ToolForm() const { return tool_; }

  // The condition of the fields as they stand (refused: the message and the field).
  search::SearchCondition condition() const;
  void tbSumClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  UserPrompts& prompts_;
  TToolForm* tool_;
  TCodeNameBox *lc1_, *lc2_, *lc3_;
  TNumericEdit *number1_, *number2_;
  QToolButton *sum_, *return_;
};

// "选择指标": the survey tables and the indicators of the chosen one. Starts on page 0, in the
// table list, whenever it is shown; wide enough for every table name to show whole. Enter confirms.
class TDataSearchCodeForm : public QDialog {
  Q_OBJECT
 public:
  TDataSearchCodeForm(db::Connection& connection, UserPrompts& prompts, QWidget* parent = nullptr);

  QListWidget* TypeList1() const { return tables_; }
  QListWidget* TypeList2() const { return indicators_; }
  QToolButton* tbOK() const { return ok_; }
  QToolButton* tbCancel() const { return cancel_; }
  // The chosen indicator's CodeName, trimmed (after OK).
  const std::string& Result() const { return result_; }

  // The indicators of one survey table, in their order.
  void showPage(int page);
  int shownPage() const { return page_; }
  void tbOKClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showCurrentTable();

  db::Connection& connection_;
  UserPrompts& prompts_;
  QListWidget* tables_;
  QListWidget* indicators_;
  QToolButton *ok_, *cancel_;
  std::string result_;
  int page_ = -1;
};

class TdlgDataSearchForm : public QDialog {
  Q_OBJECT
 public:
  TdlgDataSearchForm(db::Connection& connection, UserPrompts& prompts, QWidget* parent = nullptr);

  std::function<bool(const std::string& condition)> showResults;

  TCodeNameBox* DataField() const { return dataField_; }
  TCodeNameBox* lc1() const { return lc1_; }
  TCodeNameBox* lc3() const { return lc3_; }
  ValidEdit* Number1() const { return number1_; }
  ValidEdit* Number2() const { return number2_; }
  QToolButton* tbSum() const { return sum_; }
  QToolButton* tbReturn() const { return return_; }
  TToolForm* ToolForm() const { return tool_; }
  TDataSearchCodeForm* picker() const { return picker_; }

  search::SearchCondition condition() const;
  // The indicator picker, shown modally; on OK DataField shows the chosen indicator.
  void DataFieldButtonClick();
  void tbSumClick();

 private:
  UserPrompts& prompts_;
  TToolForm* tool_;
  TDataSearchCodeForm* picker_;
  TCodeNameBox *dataField_, *lc1_, *lc3_;
  ValidEdit *number1_, *number2_;
  QToolButton *sum_, *return_;
};

}  // namespace velmora::gui
