#pragma once
// How a long operation of the core (a batch check, an import, an export, a summary, the test-data
// generator) reports its progress and learns that the user paused or stopped it, without knowing
// about windows. The program answers with its progress windows and buttons; the command line with a
// terminal line or nothing; tests with a scripted job.
//
// One level: start(total), step() per item, finish().
// Two levels: startOuter(total); per outer item startInner(total), stepInner() per inner item, then
// stepOuter(); finish().
// A loop does not call processEvents() itself per item: JobTicker below does, every few items.

#include <cstdint>

namespace velmora::jobs {

class Job {
 public:
  virtual ~Job() = default;

  virtual void start(std::int64_t total, std::int64_t done = 0) {
    (void)total;
    (void)done;
  }
  virtual void step(std::int64_t count = 1) { (void)count; }

  virtual void startOuter(std::int64_t total) { (void)total; }
  virtual void startInner(std::int64_t total) { (void)total; }
  virtual void stepOuter() {}
  virtual void stepInner(std::int64_t count = 1) { (void)count; }

  // The run is over (completed, stopped or failed): progress windows go away.
  virtual void finish() {}

  virtual bool paused() const { return false; }
  virtual bool stopRequested() const { return false; }
  // Lets the user interface handle its pending events; `wait` while the run is paused and has
  // nothing to do until the user acts (the call may block until an event arrives).
  virtual void processEvents(bool wait) { (void)wait; }
};

// A job that shows nothing and never stops: the default of every operation.
inline Job& NoJob() {
  static Job none;
  return none;
}

// Counts the items of a loop and hands control to the user interface every `interval` items: pending
// events are processed, a paused run waits there, and tick() returns false once the user asked to stop.
class JobTicker {
 public:
  explicit JobTicker(Job& job, int interval = 256) : job_(job), interval_(interval > 0 ? interval : 1) {}

  // Call once per item, after its work; false means stop now.
  bool tick() {
    if (++sinceEvents_ < interval_) return true;
    return poll();
  }
  // Hands control to the user interface now, whatever the count; false means stop.
  bool poll() {
    sinceEvents_ = 0;
    job_.processEvents(false);
    while (job_.paused() && !job_.stopRequested()) job_.processEvents(true);
    return !job_.stopRequested();
  }

 private:
  Job& job_;
  int interval_;
  int sinceEvents_ = 0;
};

}  // namespace velmora::jobs
