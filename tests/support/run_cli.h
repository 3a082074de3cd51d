#pragma once
// Runs the built velmora-cli as a script would and collects its exit code and output.

#include <filesystem>
#include <string>

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

}  // namespace velmora::testing
