#pragma once
// The long verbs' job on the command line: a progress line redrawn in place on a terminal (nothing
// when standard error is a file or a pipe), and Ctrl-C as the stop button while the job lives. A
// second Ctrl-C ends the program at once, as without a job.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli/platform.h"
#include "core/jobs/job.h"

namespace velmora::cli {

class TerminalJob : public jobs::Job {
 public:
  // `label` stands before the counts ("生成记录 1200/5000"); `terminal` false draws nothing.
  TerminalJob(std::ostream& err, std::string label, bool terminal = StderrIsTerminal());
  ~TerminalJob() override;
  TerminalJob(const TerminalJob&) = delete;
  TerminalJob& operator=(const TerminalJob&) = delete;

  void start(std::int64_t total, std::int64_t done = 0) override;
  void step(std::int64_t count = 1) override;
  void startOuter(std::int64_t total) override;
  void startInner(std::int64_t total) override;
  void stepOuter() override;
  void stepInner(std::int64_t count = 1) override;
  void finish() override;

  bool stopRequested() const override;
  // Redraws the line, at most ten times a second.
  void processEvents(bool wait) override;

  // The line as it stands: "<label> done/total", with the inner counts after a colon.
  std::string line() const;

 private:
  void draw(bool force);

  std::ostream& err_;
  std::string label_;
  bool terminal_;
  bool twoLevels_ = false;
  bool drawn_ = false;
  std::int64_t total_ = 0, done_ = 0;
  std::int64_t innerTotal_ = 0, innerDone_ = 0;
  std::size_t lastWidth_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace velmora::cli
