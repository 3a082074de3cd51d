#pragma once
// Runs the built velmora-cli as a script would and collects its exit code and output.

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::testing {

struct CliResult {
  int code = -1;
  std::string out, err;
};

// Puts a text between single quotes for the shell.
std::string ShellQuote(const std::string& s);

// Runs "velmora-cli <args>" (args already quoted for the shell); standard error goes through a file in
// `scratch`.
CliResult RunCli(const std::string& args, const std::filesystem::path& scratch);

// Starts "velmora-cli <args>" (unquoted, one argument each), waits until its write to `database` has
// begun (the rollback journal holds bytes), lets it run `grace` milliseconds more and kills it with
// SIGKILL. True when it was killed by that signal, false when it ended first.
bool KillCliWhileItWrites(const std::vector<std::string>& args, const std::filesystem::path& database, int grace);

// The engine's integrity check of a database file: "ok" when sound.
std::string IntegrityCheck(const std::filesystem::path& database);

}  // namespace velmora::testing
