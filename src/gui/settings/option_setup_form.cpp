#include "gui/settings/option_setup_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "core/exchange/package_import.h"
#include "core/exchange/record_import.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/settings.h"
#include "gui/settings/input_methods.h"
#include "gui/settings/upper_level_option.h"
#include "gui/widgets/qt_prompts.h"
#include "gui/widgets/dialog_buttons.h"

namespace velmora::gui {

void DropDownComboBox::showPopup() {
  emit aboutToDropDown();
  QComboBox::showPopup();
}

TdlgOptionSetupForm::TdlgOptionSetupForm(QWidget* parent)
    : TdlgOptionSetupForm(std::make_unique<QtPrompts>(parent), parent) {}

TdlgOptionSetupForm::TdlgOptionSetupForm(std::unique_ptr<UserPrompts> own, QWidget* parent)
    : TdlgOptionSetupForm(*own, parent) {
  ownPrompts_ = std::move(own);
}

TdlgOptionSetupForm::~TdlgOptionSetupForm() = default;

TdlgOptionSetupForm::TdlgOptionSetupForm(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setObjectName("dlgOptionSetup");
  setWindowTitle("软件参数设置");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(427, 300);

  pages_ = new QTabWidget(this);
  pages_->setGeometry(8, 8, 411, 249);
  auto* page = new QWidget;
  page->setObjectName("TabSheet1");
  pages_->addTab(page, "软件环境");

  auto* label = new QLabel("选择使用的输入法:", page);
  label->setObjectName("Label1");
  label->setGeometry(24, 28, 300, 20);
  cbIme_ = new DropDownComboBox(page);
  cbIme_->setObjectName("cbIme");
  cbIme_->setEditable(false);
  cbIme_->setGeometry(24, 52, 265, 24);
  label->setBuddy(cbIme_);
  connect(cbIme_, &DropDownComboBox::aboutToDropDown, this, &TdlgOptionSetupForm::cbImeDropDown);

  // The functions of an upper-level office that this edition hides (batch import, restore, ...).
  cbUpperLevel_ = new QCheckBox("显示上级单位功能", page);
  cbUpperLevel_->setObjectName("cbUpperLevel");
  cbUpperLevel_->setGeometry(24, 96, 300, 22);
  cbUpperLevel_->setToolTip("在“备份与上报”中显示数据批量导入、数据恢复等上级单位使用的功能");
  cbRequireManifest_ = new QCheckBox(exchange::kRequireManifestCaption, page);
  cbRequireManifest_->setObjectName("cbRequireManifest");
  cbRequireManifest_->setGeometry(24, 124, 300, 22);
  cbRequireManifest_->setToolTip("导入数据包时拒绝没有校验信息（清单）的文件；校验信息只证明文件完整，不证明是谁制作的");
  // What a failing record does to the record-by-record import ("逐条导入").
  gbImportPrinciple_ = new QGroupBox("逐条导入的导入原则", page);
  gbImportPrinciple_->setObjectName("gbImportPrinciple");
  gbImportPrinciple_->setGeometry(24, 154, 360, 54);
  rbAllOrNothing_ = new QRadioButton(exchange::kPrincipleAllOrNothing, gbImportPrinciple_);
  rbAllOrNothing_->setObjectName("rbAllOrNothing");
  rbAllOrNothing_->setGeometry(12, 22, 160, 22);
  rbAllOrNothing_->setToolTip("有一条记录出错，就不导入任何记录");
  rbSkipFailing_ = new QRadioButton(exchange::kPrincipleSkipFailing, gbImportPrinciple_);
  rbSkipFailing_->setObjectName("rbSkipFailing");
  rbSkipFailing_->setGeometry(184, 22, 160, 22);
  rbSkipFailing_->setToolTip("出错的记录逐条询问，可以跳过它继续导入其他记录");
  rbAllOrNothing_->setChecked(true);
  OneTabStop({rbAllOrNothing_, rbSkipFailing_});

  okBtn_ = new QPushButton("确定", this);
  okBtn_->setObjectName("OKBtn");
  okBtn_->setGeometry(258, 266, 75, 25);
  okBtn_->setDefault(true);
  cancelBtn_ = new QPushButton("取消", this);
  cancelBtn_->setObjectName("CancelBtn");
  cancelBtn_->setGeometry(344, 266, 75, 25);
  connect(okBtn_, &QPushButton::clicked, this, &TdlgOptionSetupForm::OKBtnClick);
  connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);  // Escape rejects as well
}

void TdlgOptionSetupForm::showEvent(QShowEvent* event) {
  showPreferredIme();
  cbUpperLevel_->setChecked(ShowUpperLevelItems());
  cbRequireManifest_->setChecked(exchange::RequireManifestSetting());
  (settings::ImportPrincipleFlag ? rbSkipFailing_ : rbAllOrNothing_)->setChecked(true);
  QDialog::showEvent(event);
}

void TdlgOptionSetupForm::showPreferredIme() {
  QString preferred = QString::fromStdString(settings::PreferredIme);
  if (preferred.isEmpty()) {
    cbIme_->setCurrentIndex(-1);
    return;
  }
  if (cbIme_->findText(preferred) < 0) cbIme_->addItem(preferred);
  cbIme_->setCurrentIndex(cbIme_->findText(preferred));
}

void TdlgOptionSetupForm::cbImeDropDown() {
  QString current = cbIme_->currentText();
  QStringList names = InstalledInputMethods();
  // A choice made earlier stays selectable even when its input method is no longer reported.
  if (!current.isEmpty() && !names.contains(current)) names << current;
  cbIme_->clear();
  cbIme_->addItems(names);
  cbIme_->setCurrentIndex(current.isEmpty() ? -1 : names.indexOf(current));
}

void TdlgOptionSetupForm::OKBtnClick() {
  settings::PreferredIme = cbIme_->currentText().toStdString();
  settings::ImportPrincipleFlag = rbSkipFailing_->isChecked();
  try {
    settings::RegWriteString("ImePrefer", settings::PreferredIme, settings::kProgramRoot, settings::kEnvSettingKey);
    settings::RegWriteInteger(settings::kImportPrincipleValue, settings::ImportPrincipleFlag ? 1 : 0,
                              settings::kProgramRoot, settings::kEnvSettingKey);
    WriteShowUpperLevelItems(cbUpperLevel_->isChecked());
    exchange::WriteRequireManifestSetting(cbRequireManifest_->isChecked());
  } catch (const settings::SettingsError& e) {
    // The choice applies for this run even when it could not be kept.
    prompts_.message(e.what(), MessageKind::Error);
  }
  accept();
}

}  // namespace velmora::gui
