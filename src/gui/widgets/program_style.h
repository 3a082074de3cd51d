#pragma once
// The program's style: the platform's own with the program's few differences. main() installs it
// for the whole application.

#include <QProxyStyle>

namespace velmora::gui {

class TVelmoraStyle : public QProxyStyle {
 public:
  TVelmoraStyle();

  // Hints appear a quarter of a second after the mouse rests.
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* ret) const override;
};

}  // namespace velmora::gui
