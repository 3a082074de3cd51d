#include "gui/widgets/progress_bar_form.h"

#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <limits>

#include "gui/widgets/busy_animation.h"
#include "gui/widgets/run_buttons.h"
#include "gui/widgets/segmented_bar.h"

namespace velmora::gui {

namespace {

// ⌈a / b⌉ for b > 0, exact for every sign of a.
long long CeilDiv(long long a, long long b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

int ToInt(long long v) {
  return static_cast<int>(
      std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

void CentreOnScreen(QWidget& window) {
  if (QScreen* screen = window.screen()) {
    QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
  }
}

TProgressBarForm::TProgressBarForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
  setObjectName("ProgressBarForm");
  setFixedSize(kWidth, kHeight);

  label1_ = new QLabel("正在处理：", this);
  label1_->setObjectName("Label1");
  label1_->setGeometry(12, 6, 200, 18);

  bar_ = new SegmentedProgressBar(this);
  bar_->setObjectName("RzProgressBar1");
  bar_->setGeometry(12, 27, 400, 20);
  connect(bar_, &SegmentedProgressBar::percentChanged, this, &TProgressBarForm::barChanged);

  animator_ = new BusyAnimation(this);
  animator_->setObjectName("RzAnimator1");
  animator_->move(421, 21);

  label2_ = new QLabel(this);
  label2_->setObjectName("Label2");
  label2_->setGeometry(12, 53, 200, 18);
  label2_->hide();
  label3_ = new QLabel(this);
  label3_->setObjectName("Label3");
  label3_->setGeometry(212, 53, 200, 18);
  label3_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label3_->hide();

  buttons_ = new RunButtons(this);
  buttons_->setGeometry(12, kHeight, 400, RunButtons::kHeight);
  buttons_->hide();

  timer1_.setObjectName("Timer1");
  timer1_.setInterval(kTickMs);
  connect(&timer1_, &QTimer::timeout, this, &TProgressBarForm::tick);
  connect(buttons_, &RunButtons::pausedChanged, this, [this](bool paused) {
    if (paused)
      timer1_.stop();
    else if (label2_->isVisibleTo(this) && bar_->percent() < 100)
      timer1_.start();
  });
}

void TProgressBarForm::ShowRunButtons(bool show) {
  buttons_->setVisible(show);
  setFixedSize(kWidth, kHeight + (show ? RunButtons::kHeight : 0));
}

void TProgressBarForm::StartProgress(int total, int done) {
  bar_->setTotalParts(total);
  bar_->setPartsComplete(done);
  showShortTexts();
  label2_->show();
  label3_->show();
  ticks_ = 0;
  estimate_ = -1;
  // A run that is already complete has nothing left to time.
  if (bar_->percent() < 100) timer1_.start();
}

void TProgressBarForm::StepProgress() {
  bar_->incPartsBy(1);
  repaint();
}

void TProgressBarForm::showShortTexts() {
  const int done = bar_->partsComplete();
  const int left = bar_->totalParts() - done;
  label2_->setText(QString("已完成 %1").arg(done));
  label3_->setText(QString("待完成 %1").arg(left));
}

void TProgressBarForm::tick() {
  ++ticks_;
  const long long done = bar_->partsComplete();
  const long long left = static_cast<long long>(bar_->totalParts()) - done;
  if (ticks_ > kTicksBeforeEstimate && done > 0) {
    // Every part is taken to last as long as the parts done so far.
    estimate_ = ToInt(CeilDiv(ticks_ * left, done));
    const int used = ticks_ / 10;
    const int needed = ToInt(CeilDiv(estimate_, 10));
    label2_->setText(QString("已完成 %1 用时%2秒").arg(done).arg(used));
    label3_->setText(QString("待完成 %1 尚需%2秒").arg(left).arg(needed));
  } else {
    showShortTexts();
  }
}

void TProgressBarForm::barChanged(int percent) {
  if (percent >= 100) timer1_.stop();
}

void TProgressBarForm::showEvent(QShowEvent* event) {
  CentreOnScreen(*this);
  QWidget::showEvent(event);
}

void TProgressBarForm::hideEvent(QHideEvent* event) {
  label2_->hide();
  label3_->hide();
  timer1_.stop();
  QWidget::hideEvent(event);
}

}  // namespace velmora::gui
