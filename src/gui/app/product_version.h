#pragma once
// The product version of this build: the text and the build number stamped in at configure time
// (the build number is the number of commits of the source tree; -1 when unknown).

#include <string>

namespace velmora::gui {

struct TProductVersion {
  std::string text;
  int build = -1;
};

TProductVersion ReadProductVersion();

}  // namespace velmora::gui
