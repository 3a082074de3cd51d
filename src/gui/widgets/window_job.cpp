#include "gui/widgets/window_job.h"

#include <QCoreApplication>
#include <limits>

#include "gui/widgets/progress_bar_2line_form.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/run_buttons.h"
#include "gui/widgets/segmented_bar.h"

namespace velmora::gui {

namespace {

constexpr std::int64_t kMaxParts = std::numeric_limits<int>::max();

std::int64_t ScaleFor(std::int64_t total) { return total > kMaxParts ? total / kMaxParts + 1 : 1; }

int Parts(std::int64_t count, std::int64_t scale) { return static_cast<int>(count / scale); }

}  // namespace

WindowJob::WindowJob(TProgressBarForm* progress, TProgressBar2LineForm* twoLine, bool stoppable)
    : progress_(progress), twoLine_(twoLine), stoppable_(stoppable) {}

void WindowJob::start(std::int64_t total, std::int64_t done) {
  twoLevels_ = false;
  total_ = total;
  done_ = done;
  scale_ = ScaleFor(total);
  if (!progress_) return;
  progress_->Buttons()->reset();
  progress_->ShowRunButtons(stoppable_);
  progress_->StartProgress(Parts(total, scale_), Parts(done, scale_));
  if (progress_->isHidden()) progress_->show();
}

void WindowJob::step(std::int64_t count) {
  const int before = Parts(done_, scale_);
  done_ += count;
  const int after = Parts(done_, scale_);
  if (!progress_ || after == before) return;
  // The bar repaints when the window next gets to handle its events, not once per item.
  progress_->RzProgressBar1()->setPartsComplete(after);
}

void WindowJob::startOuter(std::int64_t total) {
  twoLevels_ = true;
  total_ = total;
  done_ = 0;
  scale_ = ScaleFor(total);
  if (!twoLine_) return;
  twoLine_->Buttons()->reset();
  twoLine_->ShowRunButtons(stoppable_);
  twoLine_->InitFirst(Parts(total, scale_));
  if (twoLine_->isHidden()) twoLine_->show();
}

void WindowJob::startInner(std::int64_t total) {
  innerScale_ = ScaleFor(total);
  innerDone_ = 0;
  if (twoLine_) twoLine_->InitSecond(Parts(total, innerScale_));
}

void WindowJob::stepOuter() {
  ++done_;
  if (twoLine_) twoLine_->ProgressBar1()->setPartsComplete(Parts(done_, scale_));
}

void WindowJob::stepInner(std::int64_t count) {
  const int before = Parts(innerDone_, innerScale_);
  innerDone_ += count;
  const int after = Parts(innerDone_, innerScale_);
  if (twoLine_ && after != before) twoLine_->RzProgressBar2()->setPartsComplete(after);
}

void WindowJob::finish() {
  if (progress_) {
    progress_->hide();
    progress_->ShowRunButtons(false);
  }
  if (twoLine_) {
    twoLine_->hide();
    twoLine_->ShowRunButtons(false);
  }
}

RunButtons* WindowJob::buttons() const {
  if (!stoppable_) return nullptr;
  if (twoLevels_) return twoLine_ ? twoLine_->Buttons() : nullptr;
  return progress_ ? progress_->Buttons() : nullptr;
}

bool WindowJob::paused() const {
  const RunButtons* b = buttons();
  return b && b->paused();
}

bool WindowJob::stopRequested() const {
  const RunButtons* b = buttons();
  return b && b->stopRequested();
}

void WindowJob::processEvents(bool wait) {
  QCoreApplication::processEvents(wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
}

CaptionJob::CaptionJob(TProgressBarForm& form, QString caption)
    : WindowJob(&form, nullptr, true), form_(form), caption_(std::move(caption)) {}

void CaptionJob::start(std::int64_t total, std::int64_t done) {
  WindowJob::start(total, done);
  caption();
}

void CaptionJob::step(std::int64_t count) {
  WindowJob::step(count);
  if (form_.RzProgressBar1()->percent() != shown_) caption();
}

void CaptionJob::caption() {
  shown_ = form_.RzProgressBar1()->percent();
  form_.setWindowTitle(caption_ + QString::number(shown_) + "%");
}

}  // namespace velmora::gui
