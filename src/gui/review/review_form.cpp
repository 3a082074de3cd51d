#include "gui/review/review_form.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/base/text.h"
#include "core/intake/source_file.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"
#include "gui/widgets/gui_text.h"
#include "gui/widgets/progress_bar_2line_form.h"
#include "gui/widgets/window_job.h"

namespace velmora::gui {

namespace {

QDoubleSpinBox* Spin(const QString& name, double low, double high, double step, int decimals, double value,
                     QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(name);
  box->setRange(low, high);
  box->setSingleStep(step);
  box->setDecimals(decimals);
  box->setValue(value);
  return box;
}

}  // namespace

TdlgReviewForm::TdlgReviewForm(session::DatabaseSession& session, UserPrompts& prompts,
                               std::vector<review::ReviewField> fields, bool previousYearOffered, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts), fields_(std::move(fields)) {
  setObjectName("TdlgReviewForm");
  setWindowTitle("数据审核");
  runner_ = [this](const review::Reference& reference, const review::ReviewOptions& options, jobs::Job& job) {
    return review::RunReview(session_, reference, options, job);
  };

  // what this year is compared with
  auto* referenceBox = new QGroupBox("对照的上年数据", this);
  fileChoice_ = new QRadioButton("上年数据文件(&F)：", referenceBox);
  fileChoice_->setObjectName("FileChoice");
  fileChoice_->setChecked(true);
  path_ = new QLineEdit(referenceBox);
  path_->setObjectName("ReferencePath");
  path_->setReadOnly(true);
  path_->setMinimumWidth(300);
  path_->setPlaceholderText("数据备份、上年的数据库或上报数据文件(.dat)");
  browse_ = new QPushButton("浏览(&B)…", referenceBox);
  browse_->setObjectName("tbBrowse");
  previousChoice_ = new QRadioButton(QString("本数据库的") + review::kPreviousYearName + "(&P)", referenceBox);
  previousChoice_->setObjectName("PreviousYearChoice");
  previousChoice_->setEnabled(previousYearOffered);
  if (!previousYearOffered) previousChoice_->setToolTip("本数据库的上年数据表中没有记录");
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(fileChoice_);
  fileRow->addWidget(path_, 1);
  fileRow->addWidget(browse_);
  auto* referenceLayout = new QVBoxLayout(referenceBox);
  referenceLayout->addLayout(fileRow);
  referenceLayout->addWidget(previousChoice_);

  // the parameters of the test
  auto* parameterBox = new QGroupBox("检验参数", this);
  const review::HbParameters defaults;
  u_ = Spin("ParameterU", 0, 1, 0.05, 2, defaults.u, parameterBox);
  a_ = Spin("ParameterA", 0, 1, 0.01, 3, defaults.a, parameterBox);
  c_ = Spin("ParameterC", 0.5, 100, 0.5, 1, defaults.c, parameterBox);
  auto* parameters = new QFormLayout(parameterBox);
  parameters->addRow("规模指数 U(&U)：", u_);
  parameters->addRow("最小离散度 A(&A)：", a_);
  parameters->addRow("界限倍数 C(&C)：", c_);

  // the indicators: none ticked tests them all
  auto* fieldBox = new QGroupBox("审核的指标（都不勾选时审核全部指标）", this);
  fieldList_ = new QListWidget(fieldBox);
  fieldList_->setObjectName("FieldList");
  for (const review::ReviewField& f : fields_) {
    auto* item = new QListWidgetItem(QText(f.name) + "  " + QText(f.caption), fieldList_);
    item->setData(Qt::UserRole, QText(f.name));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  auto* fieldLayout = new QVBoxLayout(fieldBox);
  fieldLayout->addWidget(fieldList_);

  run_ = new QPushButton("开始审核(&R)", this);
  run_->setObjectName("tbRun");
  run_->setDefault(true);
  return_ = new QPushButton("返回", this);
  return_->setObjectName("tbReturn");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(run_);
  buttons->addWidget(return_);

  auto* upper = new QHBoxLayout;
  upper->addWidget(parameterBox);
  upper->addWidget(fieldBox, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(referenceBox);
  layout->addLayout(upper, 1);
  layout->addLayout(buttons);
  resize(640, 420);

  progress_ = new TProgressBar2LineForm(this);
  progress_->setObjectName("ProgressBar2Line");

  connect(browse_, &QPushButton::clicked, this, &TdlgReviewForm::tbBrowseClick);
  connect(run_, &QPushButton::clicked, this, &TdlgReviewForm::tbRunClick);
  connect(return_, &QPushButton::clicked, this, [this] {
    if (!running_) reject();
  });
  connect(path_, &QLineEdit::textChanged, this, [this] { fileChoice_->setChecked(true); });
}

TdlgReviewForm::~TdlgReviewForm() = default;

void TdlgReviewForm::tbBrowseClick() {
  if (running_) return;
  const FileDialogRequest request{"选择上年数据文件",
                                  "数据库文件(*.mdb)|*.mdb|上报数据文件(*.dat)|*.dat|所有文件(*.*)|*.*",
                                  session_.PersonalFolder(), "", "mdb"};
  const std::optional<std::string> chosen = prompts_.openFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return;
  path_->setText(QText(*chosen));
  fileChoice_->setChecked(true);
}

std::optional<review::Reference> TdlgReviewForm::reference() const {
  if (previousChoice_->isChecked() && previousChoice_->isEnabled())
    return review::Reference{review::Reference::Kind::PreviousYear, {}};
  const std::string path = base::Trim(StdText(path_->text()));
  if (!fileChoice_->isChecked() || path.empty()) return std::nullopt;
  return review::Reference{review::Reference::Kind::File, path};
}

review::ReviewOptions TdlgReviewForm::options() const {
  review::ReviewOptions options;
  options.parameters.u = u_->value();
  options.parameters.a = a_->value();
  options.parameters.c = c_->value();
  for (int i = 0; i < fieldList_->count(); ++i)
    if (fieldList_->item(i)->checkState() == Qt::Checked)
      options.fields.push_back(StdText(fieldList_->item(i)->data(Qt::UserRole).toString()));
  return options;
}

void TdlgReviewForm::tbRunClick() {
  if (running_) return;
  const std::optional<review::Reference> chosen = reference();
  if (!chosen) {
    prompts_.message(kNoReferenceText, MessageKind::Warning);
    return;
  }
  running_ = true;
  run_->setEnabled(false);
  return_->setEnabled(false);
  result_.reset();
  WindowJob job(nullptr, progress_, true);
  try {
    result_ = runner_(*chosen, options(), job);
    job.finish();
  } catch (const intake::IntakeError& e) {
    job.finish();
    if (e.kind() == intake::IntakeError::Kind::Stopped)
      prompts_.message(kStoppedText);
    else
      prompts_.message(e.what(), MessageKind::Error);
  } catch (const std::exception& e) {
    job.finish();
    prompts_.message(job.stopRequested() ? std::string(kStoppedText) : std::string(e.what()),
                     job.stopRequested() ? MessageKind::Information : MessageKind::Error);
  }
  running_ = false;
  run_->setEnabled(true);
  return_->setEnabled(true);
  if (result_) accept();
}

}  // namespace velmora::gui
