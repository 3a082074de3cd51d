#pragma once
// The core's progress reports shown in the program's two progress windows.

#include <QPointer>

#include "core/prompts/progress.h"

namespace velmora::gui {

class TProgressBarForm;
class TProgressBar2LineForm;

class WindowProgress : public ProgressReporter {
 public:
  // Either window may be absent; its reports are then dropped.
  WindowProgress(TProgressBarForm* progress, TProgressBar2LineForm* twoLine);

  // Shows the progress window when it is hidden.
  void StartProgress(int total, int done) override;
  void StepProgress() override;
  // InitFirst shows the two-line window when it is hidden.
  void InitFirst(int total) override;
  void InitSecond(int total) override;
  void IncFirst() override;
  void IncSecond() override;
  void HideProgress() override;

  bool stopRequested() const override { return stop_; }
  void processEvents() override;

  // A stop button of the running operation sets this; the next run starts without it.
  void requestStop() { stop_ = true; }

 private:
  QPointer<TProgressBarForm> progress_;
  QPointer<TProgressBar2LineForm> twoLine_;
  bool stop_ = false;
};

}  // namespace velmora::gui
