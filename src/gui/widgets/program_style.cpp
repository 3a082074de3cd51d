#include "gui/widgets/program_style.h"

namespace velmora::gui {

TVelmoraStyle::TVelmoraStyle() = default;

int TVelmoraStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* ret) const {
  if (hint == SH_ToolTip_WakeUpDelay) return 250;
  return QProxyStyle::styleHint(hint, option, widget, ret);
}

}  // namespace velmora::gui
