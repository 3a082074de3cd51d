#pragma once
// How a long loop in the core reports its progress without knowing about windows. The program
// answers with its progress windows; tests and the command line with NullProgress.
//
// A loop over one list: StartProgress(total, done), StepProgress() per item, HideProgress().
// A loop with an outer and an inner list: InitFirst(outer), per outer item InitSecond(inner) and
// IncSecond() per inner item, then IncFirst().
// After each step the loop calls processEvents() and ends early when stopRequested() is true.

namespace velmora {

class ProgressReporter {
 public:
  virtual ~ProgressReporter() = default;

  virtual void StartProgress(int total, int done) = 0;
  virtual void StepProgress() = 0;

  virtual void InitFirst(int total) = 0;
  virtual void InitSecond(int total) = 0;
  virtual void IncFirst() = 0;
  virtual void IncSecond() = 0;

  // Puts the progress windows away at the end of a run.
  virtual void HideProgress() {}

  virtual bool stopRequested() const = 0;
  // Lets the user interface handle pending events (repaints, a stop button).
  virtual void processEvents() = 0;
};

// Reports nowhere and never asks to stop.
class NullProgress : public ProgressReporter {
 public:
  void StartProgress(int, int) override {}
  void StepProgress() override {}
  void InitFirst(int) override {}
  void InitSecond(int) override {}
  void IncFirst() override {}
  void IncSecond() override {}
  bool stopRequested() const override { return false; }
  void processEvents() override {}
};

}  // namespace velmora
