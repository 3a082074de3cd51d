#include "support/run_cli.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "support/test_paths.h"

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

}  // namespace velmora::testing
