// A database file written by velmora-cli search --mdb to a new path is built beside it and renamed
// into place when complete: a kill leaves nothing at the path, and the temporary it leaves behind
// goes, with any engine file beside it, once it is stale and a later run writes into that folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "support/run_cli.h"
#include "support/test_paths.h"

extern char** environ;

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// Starts velmora-cli, waits until a file other than `before` in `folder` holds bytes (the export
// has begun to write), lets it run `graceMs` more and kills it. True when the kill ended it.
bool KillWhenWriting(const std::vector<std::string>& args, const fs::path& folder, const std::set<std::string>& before,
                     int graceMs) {
  const std::string cli = (ProgramDir() / "velmora-cli").string();
  std::vector<std::string> all{cli};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, cli.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
  bool killed = false;
  for (int i = 0; i < 40000 && !killed; ++i) {
    bool writing = false;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
      if (before.count(e.path().filename().string())) continue;
      if (e.is_regular_file(ec) && e.file_size(ec) > 0) writing = true;
    }
    if (writing) {
      std::this_thread::sleep_for(std::chrono::milliseconds(graceMs));
      killed = kill(pid, SIGKILL) == 0;
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return killed && WIFSIGNALED(status);
}

TEST(CliOutputKill, AKilledDatabaseExportLeavesNothingAtThePathAndItsTemporaryIsTidiedLater) {
  TempDir dir;
  const fs::path source = dir / "source.mdb";
  const CliResult g = RunCli("generate --records 20000 --faulty 0 --out " + ShellQuote(source.string()), dir.path());
  ASSERT_EQ(g.code, 0) << g.err;
  const fs::path out = dir / "out";
  fs::create_directory(out);
  const fs::path target = out / "result.mdb";

  int kills = 0;
  for (int graceMs : {0, 2, 5, 10, 20, 40}) {
    SCOPED_TRACE(graceMs);
    const std::set<std::string> before = Entries(out);
    if (!KillWhenWriting({"--db", source.string(), "search", "--range", ">=0", "--mdb", target.string()}, out, before,
                         graceMs))
      continue;
    ++kills;
    // Nothing at the path, or the whole table when the kill came after the rename.
    if (fs::exists(target)) {
      db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + target.string());
      db::Statement count(c, "select count(*) from [Velmora查询结果]");
      ASSERT_TRUE(count.step());
      EXPECT_EQ(count.int64(0), 20000);
      fs::remove(target);
    }
    EXPECT_FALSE(fs::exists(target.string() + "-journal"));
  }
  ASSERT_GT(kills, 0) << "every export ended before it could be killed";

  // What the killed runs left is stale a day later; the next export into the folder removes it.
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(30);
  for (const auto& e : fs::directory_iterator(out)) fs::last_write_time(e.path(), old);
  const CliResult next = RunCli("--db " + ShellQuote(source.string()) + " search --range '>=0' --mdb " +
                                    ShellQuote((out / "other.mdb").string()),
                                dir.path());
  EXPECT_EQ(next.code, 0) << next.err;
  std::set<std::string> left = Entries(out);
  left.erase("result.mdb");
  EXPECT_EQ(left, std::set<std::string>{"other.mdb"});
}

}  // namespace
}  // namespace velmora::testing
