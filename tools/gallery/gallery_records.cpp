#include "gallery.h"

namespace velmora::gallery {

void RenderRecordList(GalleryContext&) {}

}  // namespace velmora::gallery
