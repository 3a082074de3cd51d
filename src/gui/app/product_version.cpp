#include "gui/app/product_version.h"

namespace velmora::gui {

TProductVersion ReadProductVersion() {
  TProductVersion v;
#ifdef VELMORA_PRODUCT_VERSION
  v.text = VELMORA_PRODUCT_VERSION;
#endif
#ifdef VELMORA_BUILD_NUMBER
  v.build = VELMORA_BUILD_NUMBER;
#endif
  return v;
}

}  // namespace velmora::gui
