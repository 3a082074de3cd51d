#include "gui/settings/progress_reporter.h"

#include <QCoreApplication>

#include "gui/settings/progress_bar_2line_form.h"
#include "gui/settings/progress_bar_form.h"

namespace velmora::gui {

WindowProgress::WindowProgress(TProgressBarForm* progress, TProgressBar2LineForm* twoLine)
    : progress_(progress), twoLine_(twoLine) {}

void WindowProgress::StartProgress(int total, int done) {
  stop_ = false;
  if (!progress_) return;
  progress_->StartProgress(total, done);
  if (progress_->isHidden()) progress_->show();
}

void WindowProgress::StepProgress() {
  if (progress_) progress_->StepProgress();
}

void WindowProgress::InitFirst(int total) {
  stop_ = false;
  if (!twoLine_) return;
  twoLine_->InitFirst(total);
  if (twoLine_->isHidden()) twoLine_->show();
}

void WindowProgress::InitSecond(int total) {
  if (twoLine_) twoLine_->InitSecond(total);
}

void WindowProgress::IncFirst() {
  if (twoLine_) twoLine_->IncFirst();
}

void WindowProgress::IncSecond() {
  if (twoLine_) twoLine_->IncSecond();
}

void WindowProgress::HideProgress() {
  if (progress_) progress_->hide();
  if (twoLine_) twoLine_->hide();
}

void WindowProgress::processEvents() { QCoreApplication::processEvents(); }

}  // namespace velmora::gui
