#include "gui/widgets/run_buttons.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "gui/widgets/dialog_buttons.h"

namespace velmora::gui {

RunButtons::RunButtons(QWidget* parent) : QWidget(parent) {
  setObjectName("RunButtons");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 2, 0, 2);
  layout->addStretch();
  pause_ = DialogToolButton("tbPause", QStringLiteral("暂  停"), this);
  resume_ = DialogToolButton("tbResume", QStringLiteral("继  续"), this);
  stop_ = DialogToolButton("tbStop", QStringLiteral("停  止"), this);
  for (QToolButton* b : {pause_, resume_, stop_}) layout->addWidget(b);
  connect(pause_, &QToolButton::clicked, this, [this] { setPaused(true); });
  connect(resume_, &QToolButton::clicked, this, [this] { setPaused(false); });
  connect(stop_, &QToolButton::clicked, this, [this] {
    // A paused run is let go so that it can end.
    stopRequested_ = true;
    setPaused(false);
    pause_->setEnabled(false);
    resume_->setEnabled(false);
    stop_->setEnabled(false);
  });
  reset();
}

void RunButtons::reset() {
  stopRequested_ = false;
  setPaused(false);
  stop_->setEnabled(true);
}

void RunButtons::setPaused(bool paused) {
  const bool changed = paused_ != paused;
  paused_ = paused;
  pause_->setEnabled(!paused);
  resume_->setEnabled(paused);
  if (changed) emit pausedChanged(paused);
}

}  // namespace velmora::gui
