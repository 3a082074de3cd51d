#include <cstring>
#include <iostream>

#include "cli/cli.h"
#include "core/exchange/package_manifest.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "velmora-cli " << velmora::exchange::ProgramVersion() << "\n";
    return 0;
  }
  return velmora::cli::RunArgs(argc, argv, std::cout, std::cerr);
}
