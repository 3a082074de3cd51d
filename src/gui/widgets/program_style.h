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
  // The keyboard focus is marked clearly wherever the style marks it (buttons, check and radio
  // buttons, the current item of a list or grid): a dotted frame dark on light and light on dark,
  // shown whenever the control has the focus, not only after the first Tab.
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  // Push buttons and the current tab of a tab bar get the same mark (the platform style only tints
  // them), drop-down lists around their text, and a dialog's lists and grids on their frame.
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget = nullptr) const override;
};

// Draws the dotted focus frame just inside `rect` over a background of `background`.
void DrawFocusMark(QPainter* painter, const QRect& rect, const QColor& background, const QPalette& palette);

}  // namespace velmora::gui
