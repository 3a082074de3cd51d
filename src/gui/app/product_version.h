#pragma once
// The product version of this build: the project's version (the one of the package, the package
// manifest and `velmora-cli --version`) and the build number read at build time (the number of
// commits of the source tree; -1 when unknown).

#include <string>

namespace velmora::gui {

struct TProductVersion {
  std::string text;
  int build = -1;
};

TProductVersion ReadProductVersion();

}  // namespace velmora::gui
