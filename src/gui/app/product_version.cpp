#include "gui/app/product_version.h"

// VELMORA_BUILD_NUMBER, written at every build (cmake/build_number.cmake).
#include "velmora_build_number.h"

namespace velmora::gui {

TProductVersion ReadProductVersion() {
  TProductVersion v;
#ifdef VELMORA_PRODUCT_VERSION
  v.text = VELMORA_PRODUCT_VERSION;
#endif
  v.build = VELMORA_BUILD_NUMBER;
  return v;
}

}  // namespace velmora::gui
