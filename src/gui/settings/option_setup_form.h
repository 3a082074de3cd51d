#pragma once
// The settings dialog "软件参数设置": the input method that Chinese text fields switch on, whether
// the functions of an upper-level office show ("显示上级单位功能"), and the settings of those
// functions: packages only with a manifest, and the principle of the record-by-record import.

#include <QComboBox>
#include <QDialog>
#include <memory>

namespace velmora {
class UserPrompts;
}

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace velmora::gui {

// A choose-only list that tells before it drops down, so that it can be filled then.
class DropDownComboBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  void showPopup() override;
 signals:
  void aboutToDropDown();
};

class TdlgOptionSetupForm : public QDialog {
  Q_OBJECT
 public:
  // A setting that cannot be written is reported through `prompts`, or through the program's
  // message boxes with the second constructor.
  explicit TdlgOptionSetupForm(UserPrompts& prompts, QWidget* parent = nullptr);
  explicit TdlgOptionSetupForm(QWidget* parent = nullptr);
  ~TdlgOptionSetupForm() override;

  DropDownComboBox* cbIme() const { return cbIme_; }
  // "显示上级单位功能": shows the items an upper-level office needs.
  QCheckBox* cbUpperLevel() const { return cbUpperLevel_; }
  QCheckBox* cbRequireManifest() const { return cbRequireManifest_; }
  // The import principle of the record-by-record import: "有错就全部放弃" or "只放弃出错的数据".
  QGroupBox* gbImportPrinciple() const { return gbImportPrinciple_; }
  QRadioButton* rbAllOrNothing() const { return rbAllOrNothing_; }
  QRadioButton* rbSkipFailing() const { return rbSkipFailing_; }
  QPushButton* OKBtn() const { return okBtn_; }
  QPushButton* CancelBtn() const { return cancelBtn_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void cbImeDropDown();
  void OKBtnClick();

 private:
  TdlgOptionSetupForm(std::unique_ptr<UserPrompts> own, QWidget* parent);
  void showPreferredIme();

  std::unique_ptr<UserPrompts> ownPrompts_;
  UserPrompts& prompts_;
  QTabWidget* pages_;
  DropDownComboBox* cbIme_;
  QCheckBox* cbUpperLevel_;
  QCheckBox* cbRequireManifest_;
  QGroupBox* gbImportPrinciple_;
  QRadioButton* rbAllOrNothing_;
  QRadioButton* rbSkipFailing_;
  QPushButton* okBtn_;
  QPushButton* cancelBtn_;
};

}  // namespace velmora::gui
