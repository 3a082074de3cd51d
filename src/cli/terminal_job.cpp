#include "cli/terminal_job.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <utility>

namespace velmora::cli {

namespace {

// Set by the first Ctrl-C while a job lives; read by the job's stopRequested().
volatile std::sig_atomic_t gInterrupted = 0;
std::atomic<int> gLiveJobs{0};
using Handler = void (*)(int);
Handler gPrevious = SIG_DFL;

extern "C" void OnInterrupt(int) {
  gInterrupted = 1;
  // The next Ctrl-C does what it did before.
  std::signal(SIGINT, gPrevious);
}

constexpr std::chrono::milliseconds kRedraw{100};

}  // namespace

TerminalJob::TerminalJob(std::ostream& err, std::string label, bool terminal)
    : err_(err), label_(std::move(label)), terminal_(terminal) {
  if (gLiveJobs++ == 0) {
    gInterrupted = 0;
    gPrevious = std::signal(SIGINT, OnInterrupt);
    if (gPrevious == SIG_ERR) gPrevious = SIG_DFL;
  }
}

TerminalJob::~TerminalJob() {
  if (--gLiveJobs == 0) {
    std::signal(SIGINT, gPrevious);
    gInterrupted = 0;
  }
}

void TerminalJob::start(std::int64_t total, std::int64_t done) {
  twoLevels_ = false;
  total_ = total;
  done_ = done;
  draw(true);
}

void TerminalJob::step(std::int64_t count) { done_ += count; }

void TerminalJob::startOuter(std::int64_t total) {
  twoLevels_ = true;
  total_ = total;
  done_ = 0;
  innerTotal_ = innerDone_ = 0;
  draw(true);
}

void TerminalJob::startInner(std::int64_t total) {
  innerTotal_ = total;
  innerDone_ = 0;
}

void TerminalJob::stepOuter() { ++done_; }

void TerminalJob::stepInner(std::int64_t count) { innerDone_ += count; }

void TerminalJob::finish() {
  if (!drawn_) return;
  draw(true);
  if (terminal_) err_ << "\n" << std::flush;
  drawn_ = false;
}

bool TerminalJob::stopRequested() const { return gInterrupted != 0; }

void TerminalJob::processEvents(bool) { draw(false); }

std::string TerminalJob::line() const {
  std::string s = label_ + " " + std::to_string(done_) + "/" + std::to_string(total_);
  if (twoLevels_) s += ": " + std::to_string(innerDone_) + "/" + std::to_string(innerTotal_);
  return s;
}

void TerminalJob::draw(bool force) {
  if (!terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && drawn_ && now - lastDraw_ < kRedraw) return;
  lastDraw_ = now;
  const std::string s = line();
  // A shorter line than the last one is padded so that no digits of the last one remain.
  err_ << "\r" << s;
  if (s.size() < lastWidth_) err_ << std::string(lastWidth_ - s.size(), ' ');
  err_ << std::flush;
  lastWidth_ = s.size();
  drawn_ = true;
}

}  // namespace velmora::cli
