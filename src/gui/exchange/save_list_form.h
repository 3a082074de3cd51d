#pragma once
// The data list export "选择导出数据的方式": the survey tables to list (captions from
// "exporttable.vm"), all records, a code range or one custom group, then the workbook through the
// result-set export. The controls are disabled while the export runs.

#include <QDialog>
#include <optional>

#include "core/prompts/user_prompts.h"
#include "core/exchange/data_list.h"

class QCheckBox;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class ValidEdit;

class TdlgSaveListForm : public QDialog {
  Q_OBJECT
 public:
  TdlgSaveListForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent = nullptr);
  ~TdlgSaveListForm() override;

  QListWidget* TableList() const { return tableList_; }
  QRadioButton* AllRecord() const { return allRecord_; }
  QRadioButton* Range() const { return range_; }
  QRadioButton* radioGroup() const { return radioGroup_; }
  ValidEdit* c901_1() const { return from_; }
  ValidEdit* c901_2() const { return to_; }
  QToolButton* tbGroup() const { return tbGroup_; }
  QMenu* GroupMenu() const { return groupMenu_; }
  QCheckBox* CheckBox1() const { return checkBox1_; }
  QPushButton* tbSave() const { return tbSave_; }
  QPushButton* tbReturn() const { return tbReturn_; }
  const std::optional<exchange::GroupItem>& currentGroup() const { return group_; }
  // The outcome of the last export.
  const exports::ExportOutcome& lastOutcome() const { return last_; }

  // The request the controls make.
  exchange::DataListRequest request() const;

 public slots:
  void ExportDataList();
  void chooseGroup(qint64 id);
  void tbReturnClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void loadTables();
  void loadGroups();
  void setControlsEnabled(bool enabled);

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  QListWidget* tableList_;
  QRadioButton* allRecord_;
  QRadioButton* range_;
  QRadioButton* radioGroup_;
  ValidEdit* from_;
  ValidEdit* to_;
  QToolButton* tbGroup_;
  QMenu* groupMenu_;
  QCheckBox* checkBox1_;
  QPushButton* tbSave_;
  QPushButton* tbReturn_;
  std::optional<exchange::GroupItem> group_;
  exports::ExportOutcome last_;
};

}  // namespace velmora::gui
