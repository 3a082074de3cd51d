#pragma once
// The summary dialog ("数据分类汇总"): the worksheets to produce (the list of "sumtable.vm"), how the
// records are classified (five code tables or a custom group) and the run, which fills the summary
// workbook with a two-line progress window and hands it to the user. With "与上年对比" ticked the run
// makes the comparison workbook instead: this year against a file chosen (a backup, last year's
// database, a reporting package) or the previous-year table, changes beyond the threshold marked.

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "core/session/session.h"
#include "core/prompts/user_prompts.h"
#include "core/summary/sum_table_list.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QSpinBox;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace velmora::gui {

class TProgressBar2LineForm;

class TdlgSumForm : public QDialog {
  Q_OBJECT
 public:
  // `settingsFolder`: where "sumtable.vm" goes when the program's folder cannot take it (and is
  // read from first). Call Load() before showing the dialog.
  TdlgSumForm(session::DatabaseSession& session, UserPrompts& prompts, std::string settingsFolder,
              QWidget* parent = nullptr);
  ~TdlgSumForm() override;

  // Reads the worksheet list and the groups; false (the file error told) when the list cannot be
  // read, and then the dialog is not to be shown.
  bool Load();

  QListWidget* TableList() const { return list_; }
  QButtonGroup* SumType() const { return sumType_; }
  QRadioButton* SumTypeItem(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  QToolButton* tbGroup() const { return group_; }
  QMenu* GroupMenu() const { return groupMenu_; }
  QPushButton* Button1() const { return all_; }
  QPushButton* Button2() const { return none_; }
  QPushButton* tbSum() const { return sum_; }
  QPushButton* tbReturn() const { return return_; }
  TProgressBar2LineForm* ProgressBar2Line() const { return progress_; }
  // The comparison with last year: the option, the reference (the previous-year table, offered
  // while it holds records, or a file) and the threshold in percent.
  QCheckBox* cbCompare() const { return compare_; }
  QRadioButton* rbPreviousYear() const { return previousYear_; }
  QRadioButton* rbReferenceFile() const { return referenceFile_; }
  QLineEdit* edReference() const { return referencePath_; }
  QPushButton* btReference() const { return chooseReference_; }
  QSpinBox* seThreshold() const { return threshold_; }
  // The group chosen (tbGroup's tag); 0 when there is none.
  qint64 groupTag() const;
  // The list as it stands, with the ticks on screen.
  std::vector<summary::SumTableEntry> Entries() const;
  // The workbook handed over by the last run ("" when none).
  const std::string& lastWorkbook() const { return lastWorkbook_; }

  // The run of tbSum: the summary workbook, or with cbCompare ticked the comparison workbook.
  void RunSummary();
  // Asks for the reference file (btReference).
  void ChooseReference();

  void done(int result) override;

 private:
  void fillList();
  void fillGroups();
  void chooseGroup(qint64 id);
  void tickAll(bool checked);
  void headingDoubleClicked(QListWidgetItem* item);
  void fillReference();
  void updateCompareControls();
  void runCompare(const summary::SheetTicks& ticks, int classification, int groupId);

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  std::string settingsFolder_;
  std::vector<summary::SumTableEntry> entries_;
  std::string lastWorkbook_;

  QListWidget* list_;
  QButtonGroup* sumType_;
  std::vector<QRadioButton*> items_;
  QToolButton* group_;
  QMenu* groupMenu_;
  QPushButton* all_;
  QPushButton* none_;
  QPushButton* sum_;
  QPushButton* return_;
  TProgressBar2LineForm* progress_;
  QCheckBox* compare_;
  QRadioButton* previousYear_;
  QRadioButton* referenceFile_;
  QLineEdit* referencePath_;
  QPushButton* chooseReference_;
  QSpinBox* threshold_;
  bool previousOffered_ = false;  // the previous-year table holds records
};

}  // namespace velmora::gui
