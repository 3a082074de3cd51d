#include "gallery.h"

namespace velmora::gallery {

void RenderMainWindow(GalleryContext&) {}

}  // namespace velmora::gallery
