// The command line's job: the progress line on a terminal and Ctrl-C as its stop button.
#include "cli/terminal_job.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <thread>

namespace velmora::cli {
namespace {

TEST(TerminalJob, DrawsOneLineInPlaceAndEndsItOnce) {
  std::ostringstream err;
  {
    TerminalJob job(err, "生成记录", true);
    job.start(1000);
    for (int i = 0; i < 1000; ++i) job.step();
    job.processEvents(false);  // drawn at the start: the redraw waits for its tenth of a second
    EXPECT_EQ(job.line(), "生成记录 1000/1000");
    job.finish();
    job.finish();  // a second end draws nothing more
  }
  const std::string s = err.str();
  EXPECT_EQ(s.front(), '\r');
  EXPECT_NE(s.find("生成记录 0/1000"), std::string::npos) << s;
  EXPECT_NE(s.find("\r生成记录 1000/1000\n"), std::string::npos) << s;
  EXPECT_EQ(s.find('\n'), s.size() - 1) << s;

  // Two levels show the current task after a colon; a shorter line wipes the longer one.
  std::ostringstream two;
  TerminalJob outer(two, "汇总", true);
  outer.startOuter(3);
  outer.startInner(12345);
  outer.stepInner(12345);
  outer.stepOuter();
  EXPECT_EQ(outer.line(), "汇总 1/3: 12345/12345");
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  outer.processEvents(false);
  outer.startInner(5);
  outer.finish();
  EXPECT_NE(two.str().find("\r汇总 1/3: 0/5" + std::string(8, ' ') + "\n"), std::string::npos) << two.str();

  // Not a terminal (a file, a pipe): nothing at all.
  std::ostringstream file;
  TerminalJob quiet(file, "检查记录", false);
  quiet.start(10);
  quiet.step(10);
  quiet.processEvents(false);
  quiet.finish();
  EXPECT_TRUE(file.str().empty());
}

TEST(TerminalJob, CtrlCStopsTheJobsThatLive) {
  std::ostringstream err;
  {
    TerminalJob job(err, "检查记录", false);
    EXPECT_FALSE(job.stopRequested());
    std::raise(SIGINT);  // handled: the process goes on
    EXPECT_TRUE(job.stopRequested());
  }
  // The next job starts without the stop of the last one.
  TerminalJob next(err, "检查记录", false);
  EXPECT_FALSE(next.stopRequested());
}

}  // namespace
}  // namespace velmora::cli
