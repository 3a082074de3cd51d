#pragma once
// The progress bar of the exchange dialogs, outlined on every side. The segmented bar draws its
// upper and left edges in the palette's shadow colour and its lower and right edges in the light
// colour, which vanishes between its white inside and the dialog's light face: these dialogs give
// the lower and right edges the shadow colour as well, so the whole bar shows.

#include <QPalette>

#include "gui/settings/segmented_bar.h"

namespace velmora::gui {

inline void OutlineProgressBar(SegmentedProgressBar& bar) {
  QPalette palette = bar.palette();
  palette.setColor(QPalette::Light, palette.color(QPalette::Dark));
  bar.setPalette(palette);
}

}  // namespace velmora::gui
