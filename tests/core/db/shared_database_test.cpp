// The database while another program works on it: a second process (python3's sqlite3) holds a
// write transaction or leaves a write-ahead log behind, and velmora-cli compacts and checks the
// same file. Nothing another connection committed may be lost, the file stays sound, and a busy
// database is said to be busy, never reported as done.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "support/run_cli.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

bool HavePython() { return std::system("python3 -c 'import sqlite3' >/dev/null 2>&1") == 0; }

// Starts a python3 script in the background; it writes `ready` once its lock is taken.
void StartPython(const fs::path& script, const std::string& body) {
  { std::ofstream(script) << body; }
  ASSERT_EQ(std::system(("python3 " + ShellQuote(script.string()) + " &").c_str()), 0);
}

void WaitFor(const fs::path& file, int seconds = 10) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!fs::exists(file) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(fs::exists(file)) << file;
}

std::string Scalar(const std::string& db, const std::string& sql, const fs::path& scratch) {
  CliResult r = RunCli("--db " + ShellQuote(db) + " sql " + ShellQuote(sql), scratch);
  const std::size_t nl = r.out.find('\n');
  return nl == std::string::npos ? r.out : r.out.substr(nl + 1);
}

// python3: begin immediate, insert code 999, tell, sleep, commit.
std::string WriterScript(const fs::path& db, const fs::path& ready, double sleepSeconds, bool wal) {
  return "import sqlite3, time, os\n"
         "c = sqlite3.connect(" + ShellQuote(db.string()) + ", isolation_level=None)\n" +
         (wal ? "c.execute('pragma journal_mode=wal')\n" : "") +
         "c.execute('begin immediate')\n"
         "c.execute(\"insert into dt_data (c901, c902, c912, RecordState) values (999, 'x', 1, 0)\")\n"
         "open(" + ShellQuote(ready.string()) + ", 'w').close()\n"
         "time.sleep(" + std::to_string(sleepSeconds) + ")\n"
         "c.execute('commit')\n"
         "open(" + ShellQuote(ready.string() + ".done") + ", 'w').close()\n" +
         (wal ? "os._exit(0)\n" : "c.close()\n");
}

TEST(SharedDatabase, CompactionKeepsTheCommitOfAnotherConnection) {
  if (!HavePython()) GTEST_SKIP() << "python3 with sqlite3 is needed";
  struct Case {
    const char* name;
    bool wal;
  } cases[] = {{"rollback journal", false}, {"write-ahead log, writer exits without closing", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const fs::path db = dir.copyOfShipped("a.mdb");
    const fs::path ready = dir / "ready";
    StartPython(dir / "writer.py", WriterScript(db, ready, 1.5, c.wal));
    WaitFor(ready);
    CliResult r = RunCli("--db " + ShellQuote(db.string()) + " compact", dir.path());
    WaitFor(fs::path(ready.string() + ".done"));
    // Either compaction waited for the other program or it said the database was busy.
    if (r.code == 0)
      EXPECT_NE(r.out.find("压缩操作成功"), std::string::npos) << r.out;
    else
      EXPECT_EQ(r.out.find("压缩操作成功"), std::string::npos) << r.out;
    EXPECT_EQ(Scalar(db.string(), "select count(*) as n from dt_data where c901=999", dir.path()), "1\n");
    EXPECT_EQ(Scalar(db.string(), "pragma integrity_check", dir.path()), "ok\n");
  }
}

TEST(SharedDatabase, BusyCompactionSaysSoAndChangesNothing) {
  if (!HavePython()) GTEST_SKIP() << "python3 with sqlite3 is needed";
  TempDir dir;
  const fs::path db = dir.copyOfShipped("a.mdb");
  const fs::path ready = dir / "ready";
  // the other program keeps its transaction open longer than the engine waits
  StartPython(dir / "writer.py", WriterScript(db, ready, 8, false));
  WaitFor(ready);
  const std::string before = ReadFileBytes(db);
  CliResult r = RunCli("--db " + ShellQuote(db.string()) + " compact", dir.path());
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out.find("压缩操作成功"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("其他程序"), std::string::npos) << r.err;
  EXPECT_TRUE(ReadFileBytes(db) == before);
  WaitFor(fs::path(ready.string() + ".done"), 20);
  EXPECT_EQ(Scalar(db.string(), "select count(*) as n from dt_data where c901=999", dir.path()), "1\n");
}

TEST(SharedDatabase, CheckWaitsForAnotherProgramsWriteTransaction) {
  if (!HavePython()) GTEST_SKIP() << "python3 with sqlite3 is needed";
  TempDir dir;
  const fs::path db = dir.copyOfShipped("a.mdb");
  ASSERT_EQ(RunCli("--db " + ShellQuote(db.string()) +
                       " sql \"insert into dt_data (c901, c902, c912, RecordState, z002, z006, z020) values "
                       "(5, 'a', 1, 0, 2, 2, 1)\"",
                   dir.path())
                .code,
            0);
  const fs::path ready = dir / "ready";
  StartPython(dir / "writer.py", WriterScript(db, ready, 1.5, false));
  WaitFor(ready);
  CliResult r = RunCli("--db " + ShellQuote(db.string()) + " check --all --report " +
                           ShellQuote((dir / "r.txt").string()),
                       dir.path());
  WaitFor(fs::path(ready.string() + ".done"));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err.find("locked"), std::string::npos) << r.err;
  EXPECT_EQ(Scalar(db.string(), "select RecordState from dt_data where c901=5", dir.path()), "1\n");
  EXPECT_EQ(Scalar(db.string(), "select count(*) as n from dt_data where c901=999", dir.path()), "1\n");
}

}  // namespace
}  // namespace velmora::testing
