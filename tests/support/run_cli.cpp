#include "support/run_cli.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <thread>
#include <cstdio>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "support/test_paths.h"

extern char** environ;

namespace velmora::testing {

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

CliResult RunCli(const std::string& args, const std::filesystem::path& scratch) {
  std::filesystem::path errFile = scratch / "stderr.txt";
  std::string cmd =
      ShellQuote((ProgramDir() / "velmora-cli").string()) + " " + args + " 2>" + ShellQuote(errFile.string());
  CliResult r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  int status = pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = ReadFileBytes(errFile);
  return r;
}

bool KillCliWhileItWrites(const std::vector<std::string>& args, const std::filesystem::path& database, int grace) {
  const std::string cli = (ProgramDir() / "velmora-cli").string();
  std::vector<std::string> all{cli};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, cli.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
  const std::filesystem::path journal = database.string() + "-journal";
  bool killed = false;
  for (int i = 0; i < 20000 && !killed; ++i) {
    std::error_code ec;
    if (std::filesystem::exists(journal, ec) && std::filesystem::file_size(journal, ec) > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(grace));
      killed = kill(pid, SIGKILL) == 0;
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return killed && WIFSIGNALED(status);
}

std::string IntegrityCheck(const std::filesystem::path& database) {
  db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + database.string());
  db::Statement check(c, "pragma integrity_check");
  return check.step() ? check.text(0) : std::string();
}

}  // namespace velmora::testing
