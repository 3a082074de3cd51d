#include "gui/checks/check_form.h"

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "core/session/session.h"
#include "core/prompts/user_prompts.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/checks/check_actions.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/segmented_bar.h"
#include "gui/widgets/record_scope_box.h"

namespace velmora::gui {

namespace {

constexpr int kWidth = 330;

// ⌈a / b⌉ for b > 0 and a >= 0.
long long CeilDiv(long long a, long long b) { return (a + b - 1) / b; }

}  // namespace

TdlgCheckForm::TdlgCheckForm(session::DatabaseSession& session, UserPrompts& prompts, RecordGrid* grid, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts), grid_(grid) {
  setObjectName("dlgCheck");
  setWindowTitle(QStringLiteral("选择检查的方式"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
  setFixedSize(kWidth, kRestHeight);

  RecordScopeBox::Geometry scope;
  scope.box = QRect(8, 4, kWidth - 16, 124);
  scope.fromLabelX = 32;
  scope.fromX = 50;
  scope.toLabelX = 170;
  scope.toX = 188;
  scope.editWidth = 110;
  groupBox1_ = new RecordScopeBox(QStringLiteral("检查的内容"), scope, this);
  groupBox1_->setObjectName("GroupBox1");

  auto* bar = new QFrame(this);
  bar->setObjectName("ToolBar");
  bar->setFrameShape(QFrame::StyledPanel);
  bar->setGeometry(0, kRestHeight - 38, kWidth, 38);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addStretch();
  tbCheck_ = DialogToolButton("tbCheck", QStringLiteral("检  查"), bar);
  tbPause_ = DialogToolButton("tbPause", QStringLiteral("暂  停"), bar);
  tbResume_ = DialogToolButton("tbResume", QStringLiteral("继  续"), bar);
  tbReturn_ = DialogToolButton("tbReturn", QStringLiteral("返  回"), bar);
  for (QToolButton* b : {tbCheck_, tbPause_, tbResume_, tbReturn_}) layout->addWidget(b);
  tbPause_->setEnabled(false);
  tbResume_->setEnabled(false);
  buttonBar_ = bar;

  groupBox2_ = new QGroupBox(QStringLiteral("检查进度"), this);
  groupBox2_->setObjectName("GroupBox2");
  groupBox2_->setGeometry(8, 130, kWidth - 16, 78);
  bar_ = new SegmentedProgressBar(groupBox2_);
  bar_->setObjectName("RzProgressBar1");
  bar_->setGeometry(10, 22, kWidth - 36, 18);
  label1_ = new QLabel(QStringLiteral("正在准备数据 ..."), groupBox2_);
  label1_->setObjectName("Label1");
  label1_->setGeometry(10, 46, 200, 20);
  label2_ = new QLabel(groupBox2_);
  label2_->setObjectName("Label2");
  label2_->setGeometry(10, 46, 150, 20);
  label2_->hide();
  label3_ = new QLabel(groupBox2_);
  label3_->setObjectName("Label3");
  label3_->setGeometry(kWidth - 36 - 140, 46, 150, 20);
  label3_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label3_->hide();
  groupBox2_->hide();

  timer1_.setObjectName("Timer1");
  timer1_.setInterval(kTickMs);
  connect(&timer1_, &QTimer::timeout, this, &TdlgCheckForm::Timer1Timer);
  connect(tbCheck_, &QToolButton::clicked, this, &TdlgCheckForm::tbCheckClick);
  connect(tbPause_, &QToolButton::clicked, this, &TdlgCheckForm::tbPauseClick);
  connect(tbResume_, &QToolButton::clicked, this, &TdlgCheckForm::tbResumeClick);
  connect(tbReturn_, &QToolButton::clicked, this, &TdlgCheckForm::tbReturnClick);
}

void TdlgCheckForm::setRunning(bool running) {
  running_ = running;
  const int height = running ? kRunHeight : kRestHeight;
  setFixedSize(kWidth, height);
  groupBox2_->setVisible(running);
  buttonBar_->move(0, height - buttonBar_->height());
}

void TdlgCheckForm::tbCheckClick() {
  groupBox1_->setChoicesEnabled(false);
  bar_->setTotalParts(0);
  bar_->setPartsComplete(0);
  done_ = 0;
  label1_->show();
  label2_->hide();
  label3_->hide();
  setRunning(true);
  QApplication::processEvents();
  tbCheck_->setEnabled(false);
  tbPause_->setEnabled(false);
  tbReturn_->setEnabled(false);

  bool ran = false;
  const std::string filter = checks::CheckFilter(session_.Edition());
  switch (groupBox1_->kind()) {
    case records::ScopeKind::Current:
    case records::ScopeKind::Selected:
      if (grid_) {
        lastResult_ = CheckSelectedRecords(session_, prompts_, *grid_, this);
        ran = lastResult_.has_value();
      }
      break;
    case records::ScopeKind::All:
      lastResult_ = RunSessionCheck(session_, prompts_, checks::AllRecordsSql(filter), this);
      ran = true;
      break;
    case records::ScopeKind::Range: {
      // A text that is no code cannot be typed into the boxes; either refusal asks for the range.
      const records::RangeResolution resolved = groupBox1_->resolveRange();
      if (!resolved.range) {
        prompts_.message(checks::kRangeMissing, MessageKind::Warning);
      } else {
        lastResult_ = RunSessionCheck(session_, prompts_,
                                      checks::RangeRecordsSql(resolved.range->lower, resolved.range->upper, filter), this);
        ran = true;
      }
      break;
    }
  }
  if (ran && grid_) {
    try {
      grid_->requery();
    } catch (const std::exception&) {
    }
  }

  timer1_.stop();
  setRunning(false);
  tbCheck_->setEnabled(true);
  groupBox1_->setChoicesEnabled(true);
  tbPause_->setEnabled(false);
  tbResume_->setEnabled(false);
  tbReturn_->setEnabled(true);
}

void TdlgCheckForm::StartProgress(std::int64_t total, std::int64_t done) {
  label1_->hide();
  paused_ = false;
  stopRequested_ = false;
  tbPause_->setEnabled(true);
  tbResume_->setEnabled(false);
  tbReturn_->setEnabled(true);
  total_ = total;
  done_ = done;
  bar_->setTotalParts(static_cast<int>(total));
  bar_->setPartsComplete(static_cast<int>(done));
  showShortTexts();
  label2_->show();
  label3_->show();
  tickCount_ = 0;
  estimatedTicks_ = -1;
  if (done_ < total_) timer1_.start();
}

void TdlgCheckForm::StepProgress(std::int64_t count) {
  done_ += count;
  bar_->setPartsComplete(static_cast<int>(done_));
  if (done_ >= total_) timer1_.stop();
}

void TdlgCheckForm::processEvents(bool wait) {
  QApplication::processEvents(wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
}

void TdlgCheckForm::showShortTexts() {
  label2_->setText(QString("已完成 %1").arg(done_));
  label3_->setText(QString("待完成 %1").arg(total_ - done_));
}

void TdlgCheckForm::Timer1Timer() {
  ++tickCount_;
  if (tickCount_ > kTicksBeforeEstimate && done_ > 0) {
    const long long left = total_ - done_;
    estimatedTicks_ = static_cast<int>(std::min<long long>(CeilDiv(tickCount_ * left, done_), INT32_MAX));
    label2_->setText(QString("已完成 %1 用时%2秒").arg(done_).arg(tickCount_ / 10));
    label3_->setText(QString("待完成 %1 尚需%2秒").arg(left).arg(CeilDiv(estimatedTicks_, 10)));
  } else {
    showShortTexts();
  }
}

void TdlgCheckForm::tbPauseClick() {
  timer1_.stop();
  paused_ = true;
  tbPause_->setEnabled(false);
  tbResume_->setEnabled(true);
}

void TdlgCheckForm::tbResumeClick() {
  paused_ = false;
  timer1_.start();
  tbPause_->setEnabled(true);
  tbResume_->setEnabled(false);
}

void TdlgCheckForm::tbReturnClick() { reject(); }

void TdlgCheckForm::reject() {
  // a running check stops at its next record
  stopRequested_ = true;
  QDialog::reject();
}

}  // namespace velmora::gui
