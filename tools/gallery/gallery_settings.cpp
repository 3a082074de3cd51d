#include "gallery.h"

namespace velmora::gallery {

void RenderSettingsDialogs(GalleryContext&) {}

}  // namespace velmora::gallery
