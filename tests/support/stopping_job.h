#pragma once
// A scripted job that asks to stop after a while: after a number of its event calls, or once a
// number of items were stepped. Counting event calls, it can also pause once on the way.

#include <cstdint>

#include "core/jobs/job.h"

namespace velmora::testing {

class StoppingJob : public jobs::Job {
 public:
  enum class Counting { EventCalls, Steps };

  // Stops once `after` event calls were made or items stepped; a negative `after` never stops.
  // With `pauseOnce`, the third event call that does not wait pauses the job for two waiting calls.
  StoppingJob(Counting counting, std::int64_t after, bool pauseOnce = false)
      : counting_(counting), after_(after), pauseOnce_(pauseOnce) {}

  void step(std::int64_t count) override { steps += count; }
  bool paused() const override { return pauseFor_ > 0; }
  bool stopRequested() const override {
    return after_ >= 0 && (counting_ == Counting::EventCalls ? calls : steps) >= after_;
  }
  void processEvents(bool wait) override {
    ++calls;
    if (wait) {
      --pauseFor_;
      ++waits;
    } else if (pauseOnce_ && calls == 3) {
      pauseFor_ = 2;
    }
  }

  std::int64_t calls = 0;
  std::int64_t steps = 0;
  int waits = 0;

 private:
  Counting counting_;
  std::int64_t after_;
  bool pauseOnce_;
  int pauseFor_ = 0;
};

}  // namespace velmora::testing
