#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) { return velmora::cli::RunArgs(argc, argv, std::cout, std::cerr); }
