#pragma once
// A run's progress on a dialog's own segmented bar (no progress window): one part per unit of the
// run, or the share done in percent. The window stays responsive between the steps.

#include <cstdint>
#include <functional>

#include "core/jobs/job.h"

namespace velmora::gui {

class SegmentedProgressBar;

class BarJob : public jobs::Job {
 public:
  enum class Scale {
    Units,    // one part of the bar per unit (a file of a batch)
    Percent,  // 100 parts: the share of the total done
  };
  BarJob(SegmentedProgressBar& bar, Scale scale) : bar_(bar), scale_(scale) {}

  // Called after every step with the units done and the total (Units only).
  std::function<void(int done, int total)> onStep;

  void start(std::int64_t total, std::int64_t done) override;
  void step(std::int64_t count) override;
  void processEvents(bool wait) override;

 private:
  void show();

  SegmentedProgressBar& bar_;
  Scale scale_;
  std::int64_t total_ = 1;
  std::int64_t done_ = 0;
};

}  // namespace velmora::gui
