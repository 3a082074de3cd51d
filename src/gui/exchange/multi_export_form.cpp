#include "gui/exchange/multi_export_form.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/session/session.h"
#include "core/exchange/reporting_package.h"
#include "core/jobs/job.h"
#include "core/prompts/user_prompts.h"
#include "gui/widgets/bar_job.h"
#include "gui/widgets/segmented_bar.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

constexpr const char* kWaiting = "等待导入";
const QString kUnreadable = QStringLiteral("无法读取：");
const QColor kFaultColour(176, 0, 0);  // a file that did not or will not go in

// The name a row shows: the file's own name (the whole path is its tip).
QString FileName(const std::string& path) {
  const std::u8string name = base::PathFromUtf8(path).filename().u8string();
  return QText(std::string(name.begin(), name.end()));
}

}  // namespace

std::string CompletedImportName(const std::string& name) {
  if (name.ends_with(".dat") || name.ends_with(".mdb")) return name;
  return exchange::WithExtension(name, ".dat");
}

TdlgMultiExportForm::TdlgMultiExportForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts) {
  setObjectName("dlgMultiExportForm");
  setWindowTitle("数据批量导入");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(560, 400);

  label_ = new QLabel("选择批量导入的数据文件", this);
  label_->setObjectName("RzLabel1");
  label_->setGeometry(16, 14, 300, 20);
  sourcePath_ = new QLineEdit(this);
  sourcePath_->setObjectName("SourcePath");
  sourcePath_->setReadOnly(true);
  sourcePath_->setFocusPolicy(Qt::ClickFocus);  // chosen with the browse button: no tab stop without a caret
  sourcePath_->setGeometry(16, 38, 490, 24);
  browse_ = new QToolButton(this);
  browse_->setObjectName("tbBrowse");
  browse_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  browse_->setToolTip("选择导入文件");
  browse_->setGeometry(512, 37, 32, 26);
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("RzMemo1");
  memo_->setReadOnly(true);
  memo_->setFocusPolicy(Qt::ClickFocus);
  memo_->setGeometry(16, 72, 528, 56);
  files_ = new QTreeWidget(this);
  files_->setObjectName("lvFiles");
  files_->setGeometry(16, 138, 528, 178);
  files_->setRootIsDecorated(false);
  files_->setUniformRowHeights(true);
  files_->setSelectionMode(QAbstractItemView::NoSelection);
  files_->setFocusPolicy(Qt::NoFocus);
  files_->setHeaderLabels({"文件", "标记", "导入结果"});
  files_->header()->setStretchLastSection(true);
  files_->setColumnWidth(kFileColumn, 160);
  files_->setColumnWidth(kLabelColumn, 120);
  bar_ = new SegmentedProgressBar(this);
  bar_->setObjectName("ProgressBar1");
  bar_->setGeometry(16, 326, 528, 20);
  import_ = new QPushButton("导  入", this);
  import_->setObjectName("tbExport");
  import_->setGeometry(368, 360, 80, 26);
  return_ = new QPushButton("取  消", this);
  return_->setObjectName("tbReturn");
  return_->setGeometry(464, 360, 80, 26);

  connect(browse_, &QToolButton::clicked, this, &TdlgMultiExportForm::tbBrowseClick);
  connect(import_, &QPushButton::clicked, this, &TdlgMultiExportForm::tbExportClick);
  connect(return_, &QPushButton::clicked, this, &TdlgMultiExportForm::reject);
  SetDefaultButton(this, import_);
}

TdlgMultiExportForm::~TdlgMultiExportForm() = default;

void TdlgMultiExportForm::tbBrowseClick() {
  if (running_) return;
  UserPrompts& prompts = prompts_;
  FileDialogRequest request{"选择导入文件", exchange::kImportFilter, session_.PersonalFolder(), "", "dat"};
  const std::optional<std::vector<std::string>> chosen = prompts.openFileNames(request);
  if (!chosen || chosen->empty()) return;
  std::vector<std::string> paths;
  paths.reserve(chosen->size());
  for (const std::string& name : *chosen) paths.push_back(CompletedImportName(name));
  const exchange::BrowsedFiles browsed = exchange::ReadPackageLabels(session_, paths);
  if (!browsed.ok) {
    prompts.message(browsed.message, MessageKind::Error);
    return;  // SourcePath and the memo keep what they showed
  }
  paths_ = std::move(paths);
  memo_->setPlainText(QText(browsed.labels));
  sourcePath_->setText(QText(browsed.sourcePath));
  bar_->setPartsComplete(0);
  files_->clear();
  QList<QTreeWidgetItem*> rows;
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    const QString fault = i < browsed.faults.size() ? QText(browsed.faults[i]) : QString();
    auto* row = new QTreeWidgetItem(QStringList{FileName(paths_[i]),
                                                i < browsed.fileLabels.size() ? QText(browsed.fileLabels[i]) : QString(),
                                                fault.isEmpty() ? QString(kWaiting) : kUnreadable + fault});
    row->setToolTip(kFileColumn, QText(paths_[i]));
    if (!fault.isEmpty()) {
      // chosen all the same: the import refuses it with its cause, the others go in
      row->setToolTip(kOutcomeColumn, fault);
      row->setForeground(kOutcomeColumn, QBrush(kFaultColour));
    }
    rows.push_back(row);
  }
  files_->addTopLevelItems(rows);
}

void TdlgMultiExportForm::showOutcome(std::size_t index, const exchange::FileImportResult& result) {
  QTreeWidgetItem* row = files_->topLevelItem(static_cast<int>(index));
  if (!row) return;
  const QString outcome = QText(exchange::FileOutcome(result));
  row->setText(kOutcomeColumn, outcome);
  row->setToolTip(kOutcomeColumn, outcome);
  // A file that did not go in stands out; one imported before is no fault.
  const bool fault = result.status != exchange::ImportStatus::Imported &&
                     result.status != exchange::ImportStatus::AlreadyImported;
  row->setForeground(kOutcomeColumn, fault ? QBrush(kFaultColour) : files_->palette().brush(QPalette::Text));
  files_->scrollToItem(row);
}

void TdlgMultiExportForm::tbExportClick() {
  if (running_) return;
  if (paths_.empty()) {
    prompts_.message("请先选择批量导入的数据文件。", MessageKind::Warning);
    return;
  }
  running_ = true;
  import_->setEnabled(false);
  return_->setEnabled(false);
  browse_->setEnabled(false);
  // one part of the bar per file
  BarJob job(*bar_, BarJob::Scale::Units);
  job.onStep = [this](int done, int total) { emit fileImported(done, total); };
  for (int i = 0; i < files_->topLevelItemCount(); ++i) {
    files_->topLevelItem(i)->setText(kOutcomeColumn, kWaiting);
    files_->topLevelItem(i)->setToolTip(kOutcomeColumn, QString());
    files_->topLevelItem(i)->setForeground(kOutcomeColumn, files_->palette().brush(QPalette::Text));
  }
  try {
    last_ = exchange::ImportPackageFiles(
        session_, prompts_, paths_, "dt_data", exchange::ImportOptions{}, job, {},
        [this](std::size_t index, const exchange::FileImportResult& result) { showOutcome(index, result); });
    // Files the batch did not reach (it was stopped or ended) say so.
    for (int i = static_cast<int>(last_->files.size()); i < files_->topLevelItemCount(); ++i)
      files_->topLevelItem(i)->setText(kOutcomeColumn, "没有处理");
  } catch (const std::exception& e) {
    prompts_.message(base::PublisherErrorText(e.what()),
                               MessageKind::Error);
  }
  running_ = false;
  import_->setEnabled(true);
  return_->setEnabled(true);
  browse_->setEnabled(true);
}

void TdlgMultiExportForm::reject() {
  if (running_) return;
  QDialog::reject();
}

}  // namespace velmora::gui
