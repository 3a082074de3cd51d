#include "gui/widgets/bar_job.h"

#include <QApplication>
#include <algorithm>

#include "gui/widgets/segmented_bar.h"

namespace velmora::gui {

void BarJob::start(std::int64_t total, std::int64_t done) {
  done_ = done;
  if (scale_ == Scale::Units) {
    total_ = static_cast<int>(total);
    bar_.setTotalParts(static_cast<int>(total_));
  } else {
    total_ = total > 0 ? total : 1;
    bar_.setTotalParts(100);
  }
  show();
}

void BarJob::step(std::int64_t count) {
  done_ += count;
  show();
  if (scale_ == Scale::Units && onStep) onStep(static_cast<int>(done_), static_cast<int>(total_));
}

void BarJob::processEvents(bool wait) {
  QApplication::processEvents(wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
}

void BarJob::show() {
  if (scale_ == Scale::Units)
    bar_.setPartsComplete(static_cast<int>(done_));
  else
    bar_.setPartsComplete(static_cast<int>(std::min<std::int64_t>(100, done_ * 100 / total_)));
}

}  // namespace velmora::gui
