#include "gui/exchange/import_csv_form.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <filesystem>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/session/session.h"
#include "core/jobs/job.h"
#include "core/prompts/user_prompts.h"
#include "core/survey/machine_stamp.h"
#include "gui/widgets/bar_job.h"
#include "gui/widgets/segmented_bar.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

TdlgImportCSVForm::TdlgImportCSVForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts) {
  setObjectName("dlgImportCSVForm");
  setWindowTitle("导入文件");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(460, 190);

  label1_ = new QLabel("选择导入的数据文件:", this);
  label1_->setObjectName("RzLabel1");
  label1_->setGeometry(16, 14, 300, 20);
  sourcePath_ = new QLineEdit(this);
  sourcePath_->setObjectName("SourcePath");
  sourcePath_->setReadOnly(true);
  sourcePath_->setFocusPolicy(Qt::ClickFocus);  // chosen with the browse button: no tab stop without a caret
  sourcePath_->setGeometry(16, 38, 390, 24);
  browse_ = new QToolButton(this);
  browse_->setObjectName("tbBrowse");
  browse_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  browse_->setToolTip("选择导入文件");
  browse_->setGeometry(412, 37, 32, 26);
  bar_ = new SegmentedProgressBar(this);
  bar_->setObjectName("ProgressBar1");
  bar_->setTotalParts(100);
  bar_->setPartsComplete(0);
  bar_->setGeometry(16, 72, 428, 20);
  label2_ = new QLabel(" 说明：导入的文件必须为csv格式的文件", this);
  label2_->setObjectName("RzLabel2");
  label2_->setAutoFillBackground(true);
  QPalette pale = label2_->palette();
  pale.setColor(QPalette::Window, QColor(255, 255, 204));
  label2_->setPalette(pale);
  label2_->setGeometry(16, 104, 428, 26);
  import_ = new QPushButton("导  入", this);
  import_->setObjectName("tbExport");
  import_->setGeometry(268, 148, 80, 26);
  return_ = new QPushButton("取  消", this);
  return_->setObjectName("tbReturn");
  return_->setGeometry(364, 148, 80, 26);

  connect(browse_, &QToolButton::clicked, this, &TdlgImportCSVForm::tbBrowseClick);
  connect(import_, &QPushButton::clicked, this, &TdlgImportCSVForm::tbExportClick);
  connect(return_, &QPushButton::clicked, this, &TdlgImportCSVForm::reject);
  SetDefaultButton(this, import_);
}

TdlgImportCSVForm::~TdlgImportCSVForm() = default;

void TdlgImportCSVForm::takeStamp() {
  if (stamp_.empty()) stamp_ = survey::GetMachineStamp();
}

void TdlgImportCSVForm::showEvent(QShowEvent* event) {
  takeStamp();
  if (QScreen* screen = QApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

void TdlgImportCSVForm::tbBrowseClick() {
  if (running_) return;
  UserPrompts& prompts = prompts_;
  const FileDialogRequest request{"选择导入文件", exchange::kCsvOpenFilter, session_.PersonalFolder(), "", "csv"};
  const std::optional<std::string> chosen = prompts.openFileName(request);
  if (!chosen || exchange::CompletedCsvName(*chosen) == ".csv") return;
  const std::string path = exchange::CompletedCsvName(*chosen);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(base::PathFromUtf8(path), ec)) {
    prompts.message("您选择的文件名为【" + path + "】的文件并不存在，请选择其它文件。", MessageKind::Error);
    return;
  }
  sourcePath_->setText(QText(path));
  bar_->setPartsComplete(0);
}

void TdlgImportCSVForm::tbExportClick() {
  if (running_) return;
  takeStamp();
  running_ = true;
  import_->setEnabled(false);
  return_->setEnabled(false);
  browse_->setEnabled(false);
  bar_->setPartsComplete(0);
  BarJob job(*bar_, BarJob::Scale::Percent);  // in percent of the file read
  try {
    last_ = exchange::ImportOnlineCsv(session_, prompts_, sourcePath_->text().toStdString(), stamp_, job);
    if (last_->status == exchange::CsvImportStatus::Imported) bar_->setPartsComplete(100);
  } catch (const std::exception& e) {
    prompts_.message(base::PublisherErrorText(e.what()),
                               MessageKind::Error);
  }
  running_ = false;
  import_->setEnabled(true);
  return_->setEnabled(true);
  browse_->setEnabled(true);
}

void TdlgImportCSVForm::reject() {
  if (running_) return;
  QDialog::reject();
}

}  // namespace velmora::gui
